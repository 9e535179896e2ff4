#pragma once

#include "platform/SpeechObject.h"

#include <QString>

class SpeechChannel;

// Said in place of an empty value.
inline const QString NotRegistered = QStringLiteral("未登録");

// The value phrase of a field announcement. An exactly empty text (spaces are
// content) is replaced by "未登録" in the caller's string too.
QString AddNaiyo(QString& text);

// Every announcement first cuts off whatever is still being spoken.
namespace Announce {
// "label" + separator + text (or 未登録), in one Voice call.
void field(SpeechChannel& speech, const QString& label, QString text);
// "label" + separator + key hint, in one Voice call.
void button(SpeechChannel& speech, const QString& label, const QString& keyHint);
// The title, then (only when something is selected) the selected entry, in two calls.
void list(SpeechChannel& speech, const QString& title, const QString* selectedEntry);
} // namespace Announce
