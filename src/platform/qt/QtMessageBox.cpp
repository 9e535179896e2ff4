#include "platform/qt/QtMessageBox.h"

#include <QMessageBox>

namespace {

// The texts are the program's own messages, never markup: a file name or
// value with "<" in it must show as typed.
void prepare(QMessageBox& box, QMessageBox::StandardButton defaultButton, QMessageBox::StandardButton escapeButton)
{
    box.setTextFormat(Qt::PlainText);
    // Enter acts on the button that has the focus; as in a system box, the
    // default button starts with it, so Enter answers Yes.
    box.setDefaultButton(defaultButton);
    box.setEscapeButton(escapeButton);
}

} // namespace

MessageBox::Answer QtMessageBox::question(QWidget* parent, const QString& text, const QString& title)
{
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    prepare(box, QMessageBox::Yes, QMessageBox::No);
    box.exec();
    return box.clickedButton() == box.button(QMessageBox::Yes) ? Answer::Yes : Answer::No;
}

void QtMessageBox::error(QWidget* parent, const QString& text, const QString& title)
{
    QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok, parent);
    prepare(box, QMessageBox::Ok, QMessageBox::Ok);
    box.exec();
}
