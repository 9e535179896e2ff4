#pragma once

#include <QFont>
#include <QString>

// The two font families the windows ask for, by their Windows names; start-up
// maps them onto installed Japanese fonts.
inline const QString GothicFamily = QStringLiteral("ＭＳ ゴシック");
inline const QString PGothicFamily = QStringLiteral("ＭＳ Ｐゴシック");

QFont designFont(const QString& family, qreal points, bool bold = false);
