#pragma once

#include <QRect>

// Every window is laid out in twips, as its control table gives it: 15 twips
// to the pixel at 96 dots per inch, rounded to the nearest pixel.
constexpr int fromTwips(int twips)
{
    return twips >= 0 ? (twips + 7) / 15 : -((-twips + 7) / 15);
}

constexpr QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(fromTwips(left), fromTwips(top), fromTwips(width), fromTwips(height));
}

// A rectangle given in twips, in pixels.
constexpr QRect fromTwips(const QRect& twips)
{
    return twipsRect(twips.x(), twips.y(), twips.width(), twips.height());
}
