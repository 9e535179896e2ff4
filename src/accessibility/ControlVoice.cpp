#include "accessibility/ControlVoice.h"

#include "accessibility/AccessibleNames.h"
#include "speech/Announce.h"
#include "ui/AnnounceOnFocus.h"

namespace ControlVoice {

void field(Hooked<QLineEdit>* field, SpeechChannel& speech, const QString& label, std::function<void()> arrived)
{
    if (label.isEmpty()) {
        announceOnFocus(field, [] {}, std::move(arrived));
        return;
    }
    AccessibleNames::setSpokenField(field, label, NotRegistered);
    announceOnFocus(
        field, [field, &speech, label] { Announce::field(speech, label, field->text()); }, std::move(arrived));
}

void button(Hooked<QPushButton>* button, SpeechChannel& speech, const QString& label, const QString& keyHint)
{
    AccessibleNames::setSpoken(button, label, keyHint);
    button->handlers.gotFocus = [&speech, label, keyHint](Qt::FocusReason) {
        Announce::button(speech, label, keyHint);
    };
}

} // namespace ControlVoice
