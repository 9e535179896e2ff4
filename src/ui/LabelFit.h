#pragma once

class QLabel;

// The layout's widths were made for other fonts: a caption cut short hides
// part of what the window says. A label whose text does not fit grows to the
// right, into the free space up to the next control on its row or the edge of
// its container, never over another control; it never shrinks.
void showLabelWhole(QLabel* label);
