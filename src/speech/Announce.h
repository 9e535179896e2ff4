#pragma once

#include "platform/SpeechObject.h"

#include <QString>

class SpeechChannel;

// Said in place of an empty value.
inline const QString NotRegistered = QStringLiteral("未登録");

// The value phrase of a field announcement. An exactly empty text (spaces are
// content) is replaced by "未登録" in the caller's string too.
QString AddNaiyo(QString& text);

// The words a control says of itself when it gets the focus. Every
// announcement first cuts off whatever is still being spoken. While a screen
// reader runs, none is spoken: the control carries the same words for the
// reader (AccessibleWords).
namespace Announce {
// "label" + separator + text (or 未登録), in one Voice call.
void field(SpeechChannel& speech, const QString& label, QString text);
// The same words for a field named while the focus is elsewhere (a refused
// value in a field that cannot take the focus): no focus move carries them,
// so they are spoken with a screen reader too.
void fieldElsewhere(SpeechChannel& speech, const QString& label, QString text);
// "label" + separator + key hint, in one Voice call.
void button(SpeechChannel& speech, const QString& label, const QString& keyHint);
// The title, then (only when something is selected) the selected entry, in two calls.
void list(SpeechChannel& speech, const QString& title, const QString* selectedEntry);
// A pane's title, separator and text, in one Voice call.
void pane(SpeechChannel& speech, const QString& title, const QString& text);
// Only a title, without cutting off what led here (a help key's own words).
void title(SpeechChannel& speech, const QString& title);
} // namespace Announce
