#pragma once

class QAbstractButton;
class QKeyEvent;

bool isEnterKey(const QKeyEvent* e);

// A key handler for entry fields, lists and check boxes: Enter moves on like
// Tab so a form can be filled without looking. Any other key is left to the
// control.
bool enterMovesOn(QKeyEvent* e);
