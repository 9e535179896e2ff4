#include "app/AppSetup.h"
#include "app/FormSupport.h"
#include "app/Program.h"
#include "platform/Platform.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vornix-support"));
    QApplication::setApplicationDisplayName(FormSupport::Title);
    installJapaneseTranslation(app);
    installFontSubstitutions();

    Program program(createSystemPlatform());
    if (!program.start())
        return 0;
    return app.exec();
}
