#pragma once

#include <Qt>
#include <functional>

class QKeyEvent;
class QWidget;

// Handlers a window attaches to one of its controls, named after the events
// they stand for (GotFocus, LostFocus, KeyPress, KeyUp).
struct ControlHandlers {
    std::function<void(Qt::FocusReason)> gotFocus;
    // The window became active again with the focus still here (the user came
    // back from another window, a dialog or box closed): nothing moved, so the
    // control only says itself again. Unset: gotFocus runs.
    std::function<void()> regainedFocus;
    std::function<void(Qt::FocusReason)> lostFocus;
    // Answer true to swallow the key.
    std::function<bool(QKeyEvent*)> keyPress;
    std::function<bool(QKeyEvent*)> keyRelease;
};

// What every hooked control has, whatever Qt control it is.
class HookedControl
{
public:
    ControlHandlers handlers;

    // The handlers refer to members of the window that made them, but Qt
    // deletes the controls only after that part of the window is gone, and
    // may move or clear the focus on the way. A window's destructor calls this
    // first, so no handler runs on a window that is half destroyed.
    static void releaseAll(QWidget* window);

protected:
    ~HookedControl() = default;
};
