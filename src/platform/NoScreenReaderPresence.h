#pragma once

#include "platform/ScreenReaderPresence.h"

// Nothing to ask whether a screen reader runs: the program speaks for
// itself, so that nobody is left without a voice.
class NoScreenReaderPresence : public ScreenReaderPresence
{
public:
    ScreenReaderAnswer ask() override { return ScreenReaderAnswer::None; }
};
