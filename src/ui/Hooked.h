#pragma once

#include "ui/HookedControl.h"

#include <QAbstractButton>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QShortcutEvent>
#include <QVariant>
#include <QWidget>
#include <type_traits>
#include <utility>

// Opening a menu or a list's popup takes the focus away for a moment and gives
// it back; that is not a move of the user's, so nothing announces it.
inline bool isFocusMove(Qt::FocusReason reason)
{
    return reason != Qt::PopupFocusReason && reason != Qt::MenuBarFocusReason;
}

// A Qt control whose focus and key events reach the window's handlers. The
// control does its own work first (a line edit selects its text on Tab), so a
// handler that puts the caret at the start has the last word.
template <typename Base> class Hooked : public Base, public HookedControl
{
public:
    template <typename... Args>
    explicit Hooked(Args&&... args) : Base(std::forward<Args>(args)...)
    {
        if constexpr (std::is_base_of_v<QLineEdit, Base>) {
            // A text set from outside puts the caret at its end; the field is
            // to have it at the start before it gets the focus (see focusInEvent).
            QObject::connect(this, &QLineEdit::textChanged, this, [this] {
                if (!this->hasFocus())
                    this->setCursorPosition(0);
            });
        }
    }

protected:
    bool event(QEvent* e) override
    {
        // Qt clicks a button by its access key and leaves the focus where it
        // was. The user hears where they are from the focus, and the window
        // tracks the field last left, so the key first moves the focus to the
        // button, with its announcement as on Tab, then clicks it.
        if constexpr (std::is_base_of_v<QAbstractButton, Base>) {
            if (e->type() == QEvent::Shortcut && !static_cast<QShortcutEvent*>(e)->isAmbiguous()
                && this->isEnabled()) {
                if (this->focusPolicy() != Qt::NoFocus)
                    this->setFocus(Qt::ShortcutFocusReason);
                this->click();
                return true;
            }
        }
        return Base::event(e);
    }

    void focusInEvent(QFocusEvent* e) override
    {
        // A screen reader learns of a move of the caret or the selection in
        // the moments before it learns of the focus, takes that move for the
        // focus and then says nothing of the field. So a field has its caret
        // at the start and nothing selected before it gets the focus (it is
        // put there when the field loses the focus or its text is set), and
        // it does not select its text on Tab: it gets the focus as if by code.
        const bool selectsAll = std::is_base_of_v<QLineEdit, Base>
                                && (e->reason() == Qt::TabFocusReason || e->reason() == Qt::BacktabFocusReason
                                    || e->reason() == Qt::ShortcutFocusReason);
        QFocusEvent plain(e->type(), Qt::OtherFocusReason);
        Base::focusInEvent(selectsAll ? &plain : e);
        if (!isFocusMove(e->reason()))
            return;
        // The focus may also have been moved while the window was inactive (a
        // file read puts it into the first field): then it lands here anew.
        const bool regained = e->reason() == Qt::ActiveWindowFocusReason && focusHolder() == asKey();
        setFocusHolder(this);
        if (regained && handlers.regainedFocus)
            handlers.regainedFocus();
        else if (handlers.gotFocus)
            handlers.gotFocus(e->reason());
    }

    void focusOutEvent(QFocusEvent* e) override
    {
        Base::focusOutEvent(e);
        if (!isFocusMove(e->reason()))
            return;
        if (e->reason() != Qt::ActiveWindowFocusReason && focusHolder() == asKey())
            setFocusHolder(nullptr);
        if constexpr (std::is_base_of_v<QLineEdit, Base>) {
            if (e->reason() != Qt::ActiveWindowFocusReason) {
                this->deselect();
                this->setCursorPosition(0);
            }
        }
        if (handlers.lostFocus)
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

private:
    // The control of this window that last gained the focus and has not lost
    // it to another control since; kept on the window, as the window keeps
    // its focus while inactive. Compared, never followed.
    static constexpr const char* FocusHolderProperty = "vxFocusHolder";
    const void* asKey() const { return static_cast<const QObject*>(this); }
    const void* focusHolder() const
    {
        return this->window()->property(FocusHolderProperty).template value<void*>();
    }
    void setFocusHolder(const QObject* holder)
    {
        void* key = const_cast<QObject*>(holder);
        this->window()->setProperty(FocusHolderProperty, QVariant::fromValue(key));
    }
};
