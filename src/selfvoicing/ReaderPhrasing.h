#pragma once

#include <QAccessible>
#include <QString>

// The words the program's own reader says for Qt's boxes, dialogs, menus and
// lists, in the pattern of the program's announcements: a name, the
// separator, then a value or what the control is. Every fixed word is
// Japanese; names come from Qt's Japanese translation or the file system.
namespace ReaderPhrasing
{

// How a control is read, by its accessible role.
enum class Kind {
    Button, // caption + "のボタン"
    Field,  // label, separator, text or "未登録"
    Choice, // label, separator, chosen entry
    List,   // label, separator, current entry or "項目なし"
    Other,  // name, separator, value when there is one
};
Kind kindOf(QAccessible::Role role);

// A caption as it is heard: without the access-key marker ("はい(&Y)",
// "はい(Y)" and "&Yes" alike), the shortcut after a tab, and the trailing
// ":" or "..." that only the eye needs.
QString plainCaption(const QString& caption);

QString button(const QString& caption);
QString menu(const QString& title);
QString field(const QString& label, const QString& text);
QString choice(const QString& label, const QString& entry);
QString list(const QString& label, const QString& entry);
QString other(const QString& name, const QString& value);
// An entry of a list; a folder says so.
QString entry(const QString& name, bool folder);

} // namespace ReaderPhrasing
