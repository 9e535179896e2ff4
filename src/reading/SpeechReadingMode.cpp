#include "reading/SpeechReadingMode.h"

#include <QtGlobal>

SpeechReadingMode parseSpeechReadingMode(const QString& value)
{
    const QString v = value.trimmed().toLower();
    if (v == QLatin1String("kana"))
        return SpeechReadingMode::Kana;
    if (v == QLatin1String("off"))
        return SpeechReadingMode::Off;
    if (v == QLatin1String("jtalk"))
        return SpeechReadingMode::JTalk;
    return SpeechReadingMode::Auto;
}

SpeechReadingMode speechReadingModeFromEnvironment()
{
    return parseSpeechReadingMode(qEnvironmentVariable(SpeechReadingVariable));
}

bool isEspeakModule(const QString& moduleName)
{
    return moduleName.trimmed().startsWith(QLatin1String("espeak"), Qt::CaseInsensitive);
}
