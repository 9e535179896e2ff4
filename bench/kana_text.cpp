// Prints a text as the tool sends it to espeak-ng: its kana reading, with the
// dictionary the tool uses. The Open JTalk bench gives espeak-ng's module the
// same words the tool would. Usage: kana_text TEXT

#include "platform/linux/dictionary/MecabWordReadings.h"
#include "reading/KanaReading.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    KanaReading reading(MecabWordReadings::open());
    const QString kana = reading.read(QString::fromUtf8(argv[1]));
    std::fputs(kana.toUtf8().constData(), stdout);
    return 0;
}
