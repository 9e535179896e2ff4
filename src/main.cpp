#include "app/AppSetup.h"
#include "app/Program.h"
#include "platform/Platform.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    disableCrashDumps();
    keepLibrariesOutOfWorkingFolder();
    auto fontConfiguration = preloadFontConfiguration();
    QApplication app(argc, argv);
    setUpApplication(app, fontConfiguration);

    Program program(createSystemPlatform());
    if (!program.start())
        return 0;
    return app.exec();
}
