#pragma once

#include <optional>

class QString;

// What the desktop said when asked whether a screen reader reads it. A busy
// screen reader may not answer within the bound: that is no sign it has
// gone, so "no answer" is an answer of its own.
enum class ScreenReaderAnswer { Runs, None, NoAnswer };

// Whether a screen reader is reading this desktop. Without one the program
// speaks every focus move and reads Qt's own boxes, dialogs and menus itself;
// with one, that reader does, with the program's words.
class ScreenReaderPresence
{
public:
    virtual ~ScreenReaderPresence() = default;
    // May be asked from any thread, one question at a time. Answers within a
    // bound of its own: the start waits for the answer, and so does the exit
    // for a question still on its way.
    virtual ScreenReaderAnswer ask() = 0;
};

// The environment variable that settles the answer without asking the
// desktop: "on" (a screen reader runs) or "off" (none does).
inline constexpr char ScreenReaderVariable[] = "VORNIX_SCREEN_READER";

// The answer the variable's value forces; nothing for an empty or unknown
// value, which leaves the question to the desktop.
std::optional<bool> forcedScreenReaderAnswer(const QString& value);
