#pragma once

#include "platform/ScreenReaderPresence.h"

// Nothing to ask whether a screen reader runs: the program then reads nothing
// beyond its own announcements, as it would beside a screen reader.
class NoScreenReaderPresence : public ScreenReaderPresence
{
public:
    bool isRunning() override { return true; }
};
