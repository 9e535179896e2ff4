#pragma once

#include <QRect>

class QWidget;

// The dialogs are laid out in twips, as their control tables give them: 15
// twips to the pixel at 96 dots per inch, rounded to the nearest pixel.
constexpr int fromTwips(int twips)
{
    return twips >= 0 ? (twips + 7) / 15 : -((-twips + 7) / 15);
}

constexpr QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(fromTwips(left), fromTwips(top), fromTwips(width), fromTwips(height));
}

// Places a dialog of fixed size over the middle of the main window (or of the
// screen when there is none), kept inside the screen's available area so that
// no part of it is out of reach.
void centreOver(QWidget* dialog, const QWidget* mainWindow);
