#pragma once

#include "platform/ScreenReaderPresence.h"

// Another screen reader reads this desktop: Windows' screen-reader flag
// (SPI_GETSCREENREADER) is set, and the screen reader whose object the
// program speaks through is not installed. That reader then reads the
// controls' accessible names, and the system voice standing in for the
// missing object would only talk over it. With the object installed the
// program speaks through it, whoever set the flag.
class WindowsScreenReaderPresence : public ScreenReaderPresence
{
public:
    // VORNIX_SCREEN_READER first, then the system.
    bool isRunning() override;
};
