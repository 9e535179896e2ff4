#include "speech/Announce.h"

#include "speech/SpeechChannel.h"

QString AddNaiyo(QString& text)
{
    if (text.isEmpty())
        text = NotRegistered;
    return AnnounceSeparator + text;
}

namespace Announce {

namespace {
// Cuts off what is still being spoken; false when the screen reader says the
// words instead.
bool begin(SpeechChannel& speech)
{
    if (speech.screenReaderReads())
        return false;
    speech.Quick();
    return true;
}
} // namespace

void field(SpeechChannel& speech, const QString& label, QString text)
{
    if (!begin(speech))
        return;
    speech.Voice(label + AddNaiyo(text));
}

void fieldElsewhere(SpeechChannel& speech, const QString& label, QString text)
{
    speech.Quick();
    speech.Voice(label + AddNaiyo(text));
}

void button(SpeechChannel& speech, const QString& label, const QString& keyHint)
{
    if (!begin(speech))
        return;
    speech.Voice(label + AnnounceSeparator + keyHint);
}

void list(SpeechChannel& speech, const QString& title, const QString* selectedEntry)
{
    if (!begin(speech))
        return;
    speech.Voice(title);
    if (selectedEntry)
        speech.Voice(*selectedEntry);
}

void pane(SpeechChannel& speech, const QString& title, const QString& text)
{
    if (!begin(speech))
        return;
    speech.Voice(title + AnnounceSeparator + text);
}

void title(SpeechChannel& speech, const QString& title)
{
    if (!speech.screenReaderReads())
        speech.Voice(title);
}

} // namespace Announce
