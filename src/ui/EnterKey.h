#pragma once

#include <functional>

class QAbstractButton;
class QKeyEvent;

bool isEnterKey(const QKeyEvent* e);

// A key handler for entry fields, lists and check boxes: Enter moves on like
// Tab so a form can be filled without looking. Any other key is left to the
// control.
bool enterMovesOn(QKeyEvent* e);

// A key handler for a push button: Enter presses it, as Space does, where Qt
// leaves Enter on a button without auto-default unanswered. An auto-repeated
// Enter presses nothing: a key held down must not press the button again, nor
// whatever takes the focus after it.
std::function<bool(QKeyEvent*)> enterPresses(QAbstractButton* button);
