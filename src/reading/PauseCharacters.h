#pragma once

#include <QChar>

// C0 and C1 controls and DEL, which are never said: each parts the words on
// either side.
constexpr bool isControlCharacter(QChar c)
{
    return c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F);
}

// The characters a text to be read pauses at and that are never said
// themselves: the control characters, and U+F8F2, which the speech object
// takes as the pause between a control's name and its value (byte FE of the
// Japanese ANSI code page). No word of a dictionary reaches across one.
constexpr bool isPauseCharacter(QChar c)
{
    return c.unicode() == 0xF8F2 || isControlCharacter(c);
}
