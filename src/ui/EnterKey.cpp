#include "ui/EnterKey.h"

#include "ui/KeySender.h"

#include <QAbstractButton>
#include <QKeyEvent>

bool isEnterKey(const QKeyEvent* e)
{
    return e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
}

bool enterMovesOn(QKeyEvent* e)
{
    if (!isEnterKey(e))
        return false;
    KeySender::sendTab();
    return true;
}

std::function<bool(QKeyEvent*)> enterPresses(QAbstractButton* button)
{
    return [button](QKeyEvent* e) {
        if (!isEnterKey(e))
            return false;
        if (!e->isAutoRepeat())
            button->click();
        return true;
    };
}
