#pragma once

class QWidget;

// Puts a window, frame included, in the middle of the available area of the
// screen it is on. Called when it is first shown, once its frame is known.
void centreOnScreen(QWidget* window);
