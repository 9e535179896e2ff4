#pragma once

#include <QFocusEvent>
#include <QKeyEvent>
#include <functional>

// Handlers a window attaches to one of its controls, named after the events
// they stand for (GotFocus, LostFocus, KeyPress, KeyUp).
struct ControlHandlers {
    std::function<void(Qt::FocusReason)> gotFocus;
    std::function<void(Qt::FocusReason)> lostFocus;
    // Answer true to swallow the key.
    std::function<bool(QKeyEvent*)> keyPress;
    std::function<bool(QKeyEvent*)> keyRelease;
};

// Opening a menu or a list's popup takes the focus away for a moment and gives
// it back; that is not a move of the user's, so nothing announces it.
inline bool isFocusMove(Qt::FocusReason reason)
{
    return reason != Qt::PopupFocusReason && reason != Qt::MenuBarFocusReason;
}

// A Qt control whose focus and key events reach the window's handlers. The
// control does its own work first (a line edit selects its text on Tab), so a
// handler that puts the caret at the start has the last word.
template <typename Base> class Hooked : public Base
{
public:
    using Base::Base;

    ControlHandlers handlers;

protected:
    void focusInEvent(QFocusEvent* e) override
    {
        Base::focusInEvent(e);
        if (handlers.gotFocus && isFocusMove(e->reason()))
            handlers.gotFocus(e->reason());
    }

    void focusOutEvent(QFocusEvent* e) override
    {
        Base::focusOutEvent(e);
        if (handlers.lostFocus && isFocusMove(e->reason()))
            handlers.lostFocus(e->reason());
    }

    void keyPressEvent(QKeyEvent* e) override
    {
        if (handlers.keyPress && handlers.keyPress(e)) {
            e->accept();
            return;
        }
        Base::keyPressEvent(e);
    }

    void keyReleaseEvent(QKeyEvent* e) override
    {
        if (handlers.keyRelease && handlers.keyRelease(e)) {
            e->accept();
            return;
        }
        Base::keyReleaseEvent(e);
    }
};

inline bool isEnterKey(const QKeyEvent* e)
{
    return e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
}
