#include "speech/Announce.h"

#include "reading/PauseCharacters.h"
#include "speech/SpeechChannel.h"

#include <utility>

// Every announcement puts the separator between name and value; read as kana,
// it must still be heard as a pause.
static_assert(isPauseCharacter(AnnounceSeparator), "the kana reading must pause where the separator stands");

QString AddNaiyo(QString& text)
{
    if (text.isEmpty())
        text = NotRegistered;
    return AnnounceSeparator + text;
}

namespace AnnouncementText {

namespace {
// A name and the word that says what it names ("のボタン"), or nothing: the
// word alone would name nothing.
QString named(const QString& name, const QString& word)
{
    return name.isEmpty() ? QString() : name + word;
}
} // namespace

QString joined(const QString& name, const QString& value)
{
    if (name.isEmpty())
        return value;
    if (value.isEmpty())
        return name;
    return name + AnnounceSeparator + value;
}

QString field(const QString& label, QString text)
{
    const QString naiyo = AddNaiyo(text);
    return label.isEmpty() ? text : label + naiyo;
}

QString button(const QString& caption)
{
    return named(caption, QStringLiteral("のボタン"));
}

QString menu(const QString& title)
{
    return named(title, QStringLiteral("のメニュー"));
}

QString list(const QString& label, const QString& entry)
{
    return joined(label, entry.isEmpty() ? QStringLiteral("項目なし") : entry);
}

QString entry(const QString& name, bool folder)
{
    return folder ? joined(name, QStringLiteral("フォルダ")) : name;
}

} // namespace AnnouncementText

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
    speech.Voice(AnnouncementText::field(label, std::move(text)));
}

void fieldElsewhere(SpeechChannel& speech, const QString& label, QString text)
{
    speech.Quick();
    speech.Voice(AnnouncementText::field(label, std::move(text)));
}

void button(SpeechChannel& speech, const QString& label, const QString& keyHint)
{
    if (!begin(speech))
        return;
    speech.Voice(AnnouncementText::joined(label, keyHint));
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
    speech.Voice(AnnouncementText::joined(title, text));
}

void title(SpeechChannel& speech, const QString& title)
{
    if (!speech.screenReaderReads())
        speech.Voice(title);
}

} // namespace Announce
