#pragma once

class QLabel;

// The layout's widths were made for other fonts: a caption cut short hides
// part of what the window says. A label whose text does not fit grows to the
// right, into the free space up to the next control on its row or the edge of
// its container. A label whose text changes at run time (the hints a worked
// example puts above the fields) may also reach left into the free space
// before it when the right is still too little; captions of the layout keep
// their left edge. Nothing ever covers another control. Each call starts
// again from the label's place in the layout, so a shorter text set later is
// shown where the layout has it.
enum class LabelReach { Right, BothSides };
void showLabelWhole(QLabel* label, LabelReach reach = LabelReach::Right);
