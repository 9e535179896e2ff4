#pragma once

#include <QColor>

class QWidget;

// The coloured captions of the windows: the red of the hints and warnings,
// the blue of the help-key hint.
inline const QColor DarkRed(0xC0, 0x00, 0x00);
inline const QColor DarkBlue(0x00, 0x00, 0x80);

void setTextColour(QWidget* widget, const QColor& colour);
