#include "ui/KeySender.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace KeySender {

void postKey(QWidget* target, int key, int modifiers)
{
    if (!target)
        return;
    const auto mods = Qt::KeyboardModifiers(modifiers);
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, key, mods));
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyRelease, key, mods));
}

void sendTab(bool backwards)
{
    QWidget* target = QApplication::focusWidget();
    if (backwards)
        postKey(target, Qt::Key_Backtab, Qt::ShiftModifier);
    else
        postKey(target, Qt::Key_Tab);
}

void sendF1()
{
    postKey(QApplication::focusWidget(), Qt::Key_F1);
}

} // namespace KeySender
