#include "app/TypingAidKeys.h"

#include "ui/EnterKey.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace
{

void showEdit(QLineEdit* field, const AddressEdit& current, const AddressEdit& edit)
{
    // A completion is inserted like typing, which keeps the field's undo
    // history (setting the whole text would wipe it).
    if (edit.text.startsWith(current.text) && current.selectionStart == current.text.size())
        field->insert(edit.text.mid(current.text.size()));
    else if (edit.text != current.text)
        field->setText(edit.text);
    if (edit.selectionLength > 0) {
        field->setSelection(edit.selectionStart, edit.selectionLength);
    } else {
        field->deselect();
        field->setCursorPosition(edit.selectionStart);
    }
}

} // namespace

TypingAidAction::Kind applyTypingAid(QLineEdit* field, const QKeyEvent* e)
{
    // Only character keys reach the typing aid; shortcuts keep their meaning.
    if (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return TypingAidAction::Kind::TypeNormally;
    QChar typed;
    if (isEnterKey(e))
        typed = QChar(u'\r');
    else if (e->text().size() == 1)
        typed = e->text().front();
    else
        return TypingAidAction::Kind::TypeNormally;

    AddressEdit current;
    current.text = field->text();
    // Qt answers -1 without a selection; the aid wants the caret then.
    current.selectionStart = field->hasSelectedText() ? field->selectionStart() : field->cursorPosition();
    current.selectionLength = int(field->selectedText().size());

    const TypingAidAction action = typingAid(current, typed);
    if (action.kind == TypingAidAction::Kind::ReplaceEdit)
        showEdit(field, current, action.edit);
    return action.kind;
}
