#pragma once

#include "ui/Twips.h"

#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QRect>
#include <QString>
#include <limits>
#include <type_traits>
#include <variant>

// Controls made as a window's layout gives them: named after their design
// name (so tests and screen readers find them by it) and placed in twips.

template <typename W> W* placeControl(W* widget, const char* name, const QRect& twips)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(fromTwips(twips));
    return widget;
}

// Captions are never markup, whatever characters they hold.
template <typename L = QLabel>
L* makeLabel(QWidget* parent, const char* name, const QString& text, const QRect& twips)
{
    auto* label = placeControl(new L(parent), name, twips);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    return label;
}

// A value read from a file must come back out whole, however long.
template <typename E> E* makeTextBox(QWidget* parent, const char* name, const QRect& twips, const QFont& font)
{
    auto* box = placeControl(new E(parent), name, twips);
    box->setFont(font);
    box->setMaxLength(std::numeric_limits<int>::max());
    return box;
}

// A control that shows its caption as its text: a check box, an option
// button, a push button.
template <typename B>
B* makeCaptioned(QWidget* parent, const char* name, const QString& caption, const QRect& twips)
{
    auto* control = placeControl(new B(parent), name, twips);
    control->setText(caption);
    return control;
}

// A check box or option button, found by its caption.
template <typename B>
B* makeCheckBox(QWidget* parent, const char* name, const QString& caption, const QRect& twips)
{
    auto* box = makeCaptioned<B>(parent, name, caption, twips);
    box->setAccessibleName(caption);
    return box;
}

// No button is the default: Enter moves on from a field and must never press
// a button the user has not reached.
template <typename B>
B* makePushButton(QWidget* parent, const char* name, const QString& caption, const QRect& twips)
{
    auto* button = makeCaptioned<B>(parent, name, caption, twips);
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

// A frame only groups: the keyboard passes it by.
inline QGroupBox* makeFrame(QWidget* parent, const char* name, const QString& title, const QRect& twips)
{
    auto* frame = placeControl(new QGroupBox(title, parent), name, twips);
    frame->setFocusPolicy(Qt::NoFocus);
    return frame;
}

// A window's layout table names each control by its member, one of several
// member pointer types. Makes the control for the member's type with make
// (called with a null pointer of that type, to choose what to make), stores it
// in owner's member unless the member is null (a control nothing refers to)
// and answers it.
template <typename Owner, typename... Members, typename Make>
QWidget* makeMember(Owner* owner, const std::variant<Members...>& member, Make make)
{
    return std::visit(
        [&](auto m) -> QWidget* {
            using Control = std::remove_pointer_t<std::remove_reference_t<decltype(owner->*m)>>;
            Control* control = make(static_cast<Control*>(nullptr));
            if (m)
                owner->*m = control;
            return control;
        },
        member);
}
