#pragma once

#include "ui/Hooked.h"

#include <QLineEdit>
#include <functional>

// A text field says itself each time it gets the focus, with the caret at the
// start and nothing selected, so the user reads and types from the beginning;
// back in a window that kept the focus there, it only says itself again.
// arrived, when given, runs first, before the caret moves.
void announceOnFocus(Hooked<QLineEdit>* field, std::function<void()> announce,
                     std::function<void()> arrived = {});
