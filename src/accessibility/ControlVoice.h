#pragma once

#include "ui/Hooked.h"

#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <functional>

class SpeechChannel;

// What a control says of itself when it gets the focus, given once. The
// program speaks the phrase itself; while a screen reader runs, the control
// carries the same phrase for the reader (AccessibleNames), which then says
// it in its own voice.
namespace ControlVoice {

// An entry field says its label, then its value ("未登録" while it is empty),
// with the caret at the start. arrived, when given, runs first on every focus
// gain. A field without a label says nothing, yet has its caret put at the
// start like any other.
void field(Hooked<QLineEdit>* field, SpeechChannel& speech, const QString& label,
           std::function<void()> arrived = {});

// A push button says its label, then its key hint.
void button(Hooked<QPushButton>* button, SpeechChannel& speech, const QString& label, const QString& keyHint);

} // namespace ControlVoice
