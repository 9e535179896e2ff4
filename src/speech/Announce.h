#pragma once

#include "platform/SpeechObject.h"

#include <QString>

class SpeechChannel;

// Said in place of an empty value.
inline const QString NotRegistered = QStringLiteral("未登録");

// The value phrase of a field announcement. An exactly empty text (spaces are
// content) is replaced by "未登録" in the caller's string too.
QString AddNaiyo(QString& text);

// The words of an announcement, one pattern each, for whoever says them: the
// program's own controls below, and its reader of Qt's windows, so that a
// control of Qt's is heard the way the program's own are.
namespace AnnouncementText {
// A name, the separator, then what follows (a value, a key hint, a pane's
// text). A part that is missing takes its separator with it.
QString joined(const QString& name, const QString& value);
// An entry field: its label, then its text or "未登録".
QString field(const QString& label, QString text);
// A button known only by its caption ("はいのボタン"); nothing without one.
QString button(const QString& caption);
// A menu by its title ("ファイルのメニュー"); nothing without one.
QString menu(const QString& title);
// A list: its label, then the current entry or "項目なし".
QString list(const QString& label, const QString& entry);
// An entry of a list; a folder says so.
QString entry(const QString& name, bool folder);
} // namespace AnnouncementText

// The words a control says of itself when it gets the focus. Every
// announcement first cuts off whatever is still being spoken. While a screen
// reader runs, none is spoken: the control carries the same words for the
// reader (AccessibleNames).
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
