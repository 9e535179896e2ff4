#pragma once

class QWidget;

// Keystrokes the program sends to itself. They are posted, not sent: they take
// effect after the handler that sends them has returned, like a typed key.
namespace KeySender {
// Press and release of Tab (or Shift+Tab) for the control that has the focus.
void sendTab(bool backwards = false);
// Press and release of F1 for the control that has the focus.
void sendF1();
// Press and release of one key for the given widget.
void postKey(QWidget* target, int key, int modifiers = 0);
} // namespace KeySender
