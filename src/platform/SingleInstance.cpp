#include "platform/SingleInstance.h"

namespace {

// A primary that took the message and ended without answering frees its
// place; the next try finds it free. Rounds beyond a few mean no primary can
// be reached at all.
constexpr int HandOverRounds = 3;

} // namespace

bool SingleInstance::becomePrimaryOrHandOver()
{
    for (int round = 1;; ++round) {
        if (becomePrimary())
            return true;
        // A second window is a lesser harm than a start that shows none.
        if (round > HandOverRounds)
            return true;
        if (activatePrimary())
            return false;
    }
}
