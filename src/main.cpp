#include "accessibility/AccessibleFactory.h"
#include "app/AppSetup.h"
#include "app/Program.h"
#include "platform/Platform.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    auto fontConfiguration = preloadFontConfiguration();
    QApplication app(argc, argv);
    installAccessibleFactory();
    QApplication::setApplicationName(QStringLiteral("vornix-support"));
    keepNoSettings();
    disableCrashDumps();
    installJapaneseTranslation(app);
    fontConfiguration.wait();
    installFontSubstitutions();
    QApplication::setFont(applicationFont());

    Program program(createSystemPlatform());
    if (!program.start())
        return 0;
    return app.exec();
}
