#pragma once

#include <QString>

class QLineEdit;
class QWidget;

// The words a screen reader finds on a control, in two sets. The control's
// own (its caption and hint, as on any window) are there while the program
// speaks for itself. While a screen reader runs, the program does not speak
// a control's announcement on a focus move; the control carries the words of
// that announcement instead, so the reader's own reading of the focused
// control says them, once and in the reader's voice.
namespace AccessibleNames {

// The control's own name and description, kept while the spoken words show.
void setOwn(QWidget* control, const QString& name, const QString& description = {});
void setOwnDescription(QWidget* control, const QString& description);

// What the program says when the control gets the focus: a name and the key
// hint after it.
void setSpoken(QWidget* control, const QString& name, const QString& keyHint);

// An entry field says its label, then its value. A screen reader reads the
// value itself but says nothing for an empty field, so the description says
// the word for "nothing there" exactly when the field is empty.
void setSpokenField(QLineEdit* field, const QString& label, const QString& emptyValue);

// Switches every control of window (itself included) that has spoken words
// to them, or back to its own.
void showSpoken(QWidget* window, bool spoken);

bool showsSpoken(const QWidget* window);

} // namespace AccessibleNames
