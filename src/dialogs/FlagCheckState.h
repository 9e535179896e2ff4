#pragma once

#include <Qt>
#include <cstdint>

// How a flag of the account record shows in a check box and comes back.
// The record takes any integer (a hand-edited file may say 2 or 7), so the
// mapping has to hold for every value, not only 0 and 1.

// Anything but 0 counts as on: it enables the dependent text box.
constexpr bool isFlagOn(int32_t flag)
{
    return flag != 0;
}

// 0 unchecked, 2 the third (partly checked) state, every other value checked.
Qt::CheckState checkStateForFlag(int32_t flag);

// What OK stores: while the box still shows what the loaded flag showed, the
// loaded flag itself, so that a value the box cannot show survives a visit to
// the dialog; once the user has changed the box, 0 or 1 (2 for the third state).
int32_t flagForCheckState(int32_t loadedFlag, Qt::CheckState state);
