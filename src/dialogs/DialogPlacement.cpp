#include "dialogs/DialogPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

void centreOver(QWidget* dialog, const QWidget* mainWindow)
{
    const QWidget* owner = mainWindow ? mainWindow->window() : nullptr;
    QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect();
    const QPoint centre = owner ? owner->frameGeometry().center() : available.center();

    QRect placed(QPoint(0, 0), dialog->size());
    placed.moveCenter(centre);
    if (!available.isEmpty()) {
        if (placed.right() > available.right())
            placed.moveRight(available.right());
        if (placed.bottom() > available.bottom())
            placed.moveBottom(available.bottom());
        if (placed.left() < available.left())
            placed.moveLeft(available.left());
        if (placed.top() < available.top())
            placed.moveTop(available.top());
    }
    // The client area is placed, not the frame: its size is known before the
    // window is shown, the frame's is not.
    dialog->setGeometry(placed);
}
