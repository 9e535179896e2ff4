#include "app/AppSetup.h"

#include "accessibility/AccessibleFactory.h"
#include "ui/ProgramIcon.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFont>
#include <QFontDatabase>
#include <QProcess>
#include <QLibraryInfo>
#include <QSettings>
#include <QTranslator>
#include <qpa/qplatformfontdatabase.h>

namespace {

// Qt looks for a family it does not know before it takes a substitute, and
// asks the font configuration for that family's fallbacks in every script
// it meets (a sort of every installed font, each time) only to drop them.
// Known as another name of the font the substitutes lead to, the Windows
// name finds that same font at once.
void nameFirstInstalled(const QString& windowsFamily, const QStringList& substitutes, const QStringList& installed)
{
    for (const QString& family : substitutes) {
        if (installed.contains(family, Qt::CaseInsensitive)) {
            QPlatformFontDatabase::registerAliasToFontFamily(family, windowsFamily);
            return;
        }
    }
}

} // namespace

void installFontSubstitutions()
{
    // The IPA fonts keep the Windows fonts' character widths, so captions fit
    // the boxes the layout gives them; Noto's kana are wider and get cut off.
    const QStringList gothic{QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP"),
                             QStringLiteral("Noto Sans CJK JP")};
    const QStringList pGothic{QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")};
    QFont::insertSubstitutions(GothicFamily, gothic);
    QFont::insertSubstitutions(PGothicFamily, pGothic);

    const QStringList installed = QFontDatabase::families();
    nameFirstInstalled(GothicFamily, gothic, installed);
    nameFirstInstalled(PGothicFamily, pGothic, installed);
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

void setUpApplication(QApplication& app, std::future<void>& fontConfiguration)
{
    installAccessibleFactory();
    QApplication::setApplicationName(QStringLiteral("vornix-support"));
    QApplication::setWindowIcon(programIcon());
    keepNoSettings();
    installJapaneseTranslation(app);
    fontConfiguration.wait();
    installFontSubstitutions();
    QApplication::setFont(applicationFont());
}
