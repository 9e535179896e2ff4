#include "ui/EnterMovesOn.h"

#include "ui/KeySender.h"

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
