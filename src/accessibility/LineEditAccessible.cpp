#include "accessibility/LineEditAccessible.h"

#include "accessibility/TextBoundaries.h"

#include <QFontMetrics>
#include <QLineEdit>
#include <QValidator>
#include <algorithm>

LineEditAccessible::LineEditAccessible(QLineEdit* edit) : QAccessibleWidget(edit, QAccessible::EditableText)
{
    // The objects these signals reach are the ones this edit controls.
    addControllingSignal(QStringLiteral("textChanged(QString)"));
    addControllingSignal(QStringLiteral("returnPressed()"));
}

QLineEdit* LineEditAccessible::lineEdit() const
{
    return static_cast<QLineEdit*>(widget());
}

QString LineEditAccessible::exposedText() const
{
    const QLineEdit* edit = lineEdit();
    switch (edit->echoMode()) {
    case QLineEdit::Normal:
        return edit->text();
    case QLineEdit::NoEcho:
        return {};
    case QLineEdit::Password:
    case QLineEdit::PasswordEchoOnEdit:
        break;
    }
    return QString(edit->text().size(), QLatin1Char('*'));
}

void* LineEditAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    if (type == QAccessible::EditableTextInterface)
        return static_cast<QAccessibleEditableTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString LineEditAccessible::text(QAccessible::Text t) const
{
    QString str = t == QAccessible::Value ? exposedText() : QString();
    if (str.isEmpty())
        str = QAccessibleWidget::text(t);
    if (str.isEmpty() && t == QAccessible::Description)
        str = lineEdit()->placeholderText();
    return str;
}

void LineEditAccessible::setText(QAccessible::Text t, const QString& text)
{
    if (t != QAccessible::Value) {
        QAccessibleWidget::setText(t, text);
        return;
    }
    QString newText = text;
    int pos = 0;
    if (const QValidator* validator = lineEdit()->validator();
        validator && validator->validate(newText, pos) != QValidator::Acceptable)
        return;
    lineEdit()->setText(newText);
}

QAccessible::State LineEditAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    const QLineEdit* edit = lineEdit();
    state.editable = true;
    state.readOnly = edit->isReadOnly();
    state.passwordEdit = edit->echoMode() != QLineEdit::Normal;
    state.selectableText = true;
    return state;
}

void LineEditAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const
{
    *startOffset = *endOffset = 0;
    const QLineEdit* edit = lineEdit();
    if (selectionIndex != 0 || !edit->hasSelectedText())
        return;
    *startOffset = edit->selectionStart();
    *endOffset = edit->selectionEnd();
}

int LineEditAccessible::selectionCount() const
{
    return lineEdit()->hasSelectedText() ? 1 : 0;
}

void LineEditAccessible::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

void LineEditAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        lineEdit()->deselect();
}

void LineEditAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex == 0)
        lineEdit()->setSelection(startOffset, endOffset - startOffset);
}

int LineEditAccessible::cursorPosition() const
{
    return std::min(lineEdit()->cursorPosition(), characterCount());
}

void LineEditAccessible::setCursorPosition(int position)
{
    lineEdit()->setCursorPosition(position);
}

QString LineEditAccessible::text(int startOffset, int endOffset) const
{
    const QString all = exposedText();
    if (endOffset == -1)
        endOffset = int(all.size());
    if (startOffset < 0 || endOffset < startOffset)
        return {};
    return all.mid(startOffset, endOffset - startOffset);
}

template <typename Pick>
QString LineEditAccessible::textSpan(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                                     int* endOffset, Pick pick) const
{
    if (offset == -2)
        offset = cursorPosition();
    const QString all = exposedText();
    const TextSpan span = pick(TextBoundaries(all, boundaryType), offset);
    *startOffset = span.start;
    *endOffset = span.end;
    return span.start < 0 ? QString() : all.mid(span.start, span.end - span.start);
}

QString LineEditAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                             int* startOffset, int* endOffset) const
{
    return textSpan(offset, boundaryType, startOffset, endOffset,
                    [](const TextBoundaries& b, int at) { return b.before(at); });
}

QString LineEditAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                            int* startOffset, int* endOffset) const
{
    return textSpan(offset, boundaryType, startOffset, endOffset,
                    [](const TextBoundaries& b, int at) { return b.after(at); });
}

QString LineEditAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                         int* startOffset, int* endOffset) const
{
    return textSpan(offset, boundaryType, startOffset, endOffset,
                    [](const TextBoundaries& b, int at) { return b.at(at); });
}

int LineEditAccessible::characterCount() const
{
    return int(exposedText().size());
}

// Measured from the caret, the one place of the shown text whose position Qt
// tells, so the edit's margins and scrolling need not be known here.
QRect LineEditAccessible::characterRect(int offset) const
{
    const QLineEdit* edit = lineEdit();
    const QString shown = edit->displayText();
    if (offset < 0 || offset > shown.size())
        return {};
    const QFontMetrics metrics(edit->font());
    const QRect caret = edit->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    const int caretOffset = std::min(edit->cursorPosition(), int(shown.size()));
    const int x = caret.center().x() + metrics.horizontalAdvance(shown.left(offset)) -
                  metrics.horizontalAdvance(shown.left(caretOffset));
    const int width = offset < shown.size() ? metrics.horizontalAdvance(shown.mid(offset, 1)) : 1;
    return {edit->mapToGlobal(QPoint(x, caret.top())), QSize(width, caret.height())};
}

int LineEditAccessible::offsetAtPoint(const QPoint& point) const
{
    QLineEdit* edit = lineEdit();
    const QPoint local = edit->mapFromGlobal(point);
    return edit->rect().contains(local) ? edit->cursorPositionAt(local) : -1;
}

void LineEditAccessible::scrollToSubstring(int startIndex, int endIndex)
{
    // The edit scrolls to show its caret; the start is shown last so that it
    // wins when the whole range does not fit.
    lineEdit()->setCursorPosition(endIndex);
    lineEdit()->setCursorPosition(startIndex);
}

QString LineEditAccessible::attributes(int, int* startOffset, int* endOffset) const
{
    // One run over the whole text: the screen reader cuts a line into
    // attribute runs, and a run shorter than the text loses characters.
    *startOffset = 0;
    *endOffset = characterCount();
    return {};
}

void LineEditAccessible::deleteText(int startOffset, int endOffset)
{
    replaceText(startOffset, endOffset, QString());
}

void LineEditAccessible::insertText(int offset, const QString& text)
{
    replaceText(offset, offset, text);
}

// Edited as if typed, so the edit's validator, input mask, length limit and
// undo history apply.
void LineEditAccessible::replaceText(int startOffset, int endOffset, const QString& text)
{
    QLineEdit* edit = lineEdit();
    if (edit->isReadOnly() || startOffset < 0 || endOffset < startOffset || endOffset > characterCount())
        return;
    edit->setSelection(startOffset, endOffset - startOffset);
    edit->insert(text);
}
