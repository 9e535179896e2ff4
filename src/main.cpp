#include "app/AppSetup.h"
#include "app/Program.h"
#include "platform/Platform.h"

#include <QApplication>
#include <QFont>

int main(int argc, char* argv[])
{
    auto fontConfiguration = preloadFontConfiguration();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vornix-support"));
    keepNoSettings();
    disableCrashDumps();
    installJapaneseTranslation(app);
    fontConfiguration.wait();
    installFontSubstitutions();
    // Every window and dialog of a Japanese desktop starts from this font
    // unless a control asks for another; the dialogs' captions are laid out for it.
    QApplication::setFont(QFont(PGothicFamily, 9));

    Program program(createSystemPlatform());
    if (!program.start())
        return 0;
    return app.exec();
}
