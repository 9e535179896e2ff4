#include "speech/Announce.h"

#include "speech/SpeechChannel.h"

QString AddNaiyo(QString& text)
{
    if (text.isEmpty())
        text = NotRegistered;
    return AnnounceSeparator + text;
}

namespace Announce {

void field(SpeechChannel& speech, const QString& label, QString text)
{
    speech.Quick();
    speech.Voice(label + AddNaiyo(text));
}

void button(SpeechChannel& speech, const QString& label, const QString& keyHint)
{
    speech.Quick();
    speech.Voice(label + AnnounceSeparator + keyHint);
}

void list(SpeechChannel& speech, const QString& title, const QString* selectedEntry)
{
    speech.Quick();
    speech.Voice(title);
    if (selectedEntry)
        speech.Voice(*selectedEntry);
}

} // namespace Announce
