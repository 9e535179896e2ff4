#include "app/AppSetup.h"
#include "app/Program.h"
#include "platform/Platform.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vornix-support"));
    keepNoSettings();
    disableCrashDumps();
    installJapaneseTranslation(app);
    installFontSubstitutions();
    QApplication::setFont(applicationFont());

    Program program(createSystemPlatform());
    if (!program.start())
        return 0;
    return app.exec();
}
