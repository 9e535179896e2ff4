#pragma once

#include "platform/ScreenReaderPresence.h"

// SPI_GETSCREENREADER: the flag every Windows screen reader sets while it
// runs, whichever reader it is. ScreenReaderVariable settles it first.
class WindowsScreenReaderPresence : public ScreenReaderPresence
{
public:
    bool isRunning() override;
};
