#include "app/AppSetup.h"

#include <QCoreApplication>
#include <QFont>
#include <QProcess>
#include <QLibraryInfo>
#include <QSettings>
#include <QTranslator>

void installFontSubstitutions()
{
    // The IPA fonts keep the Windows fonts' character widths, so captions fit
    // the boxes the layout gives them; Noto's kana are wider and get cut off.
    QFont::insertSubstitutions(GothicFamily, {QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP"),
                                              QStringLiteral("Noto Sans CJK JP")});
    QFont::insertSubstitutions(PGothicFamily, {QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")});
}

QFont applicationFont()
{
    return QFont(PGothicFamily, 9);
}

bool installJapaneseTranslation(QCoreApplication& app)
{
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

void keepNoSettings()
{
    // A folder below the null device can never be created, so every settings
    // write fails quietly and nothing is read back either.
    const QString nowhere = QProcess::nullDevice() + QStringLiteral("/no-settings");
    for (auto format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, nowhere);
}
