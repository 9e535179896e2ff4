#pragma once

#include "platform/ScreenReaderPresence.h"

// Another screen reader reads this desktop: SPI_GETSCREENREADER, the flag
// every Windows screen reader sets while it runs, is set, and the screen
// reader whose speech object the program speaks through is not installed.
// That reader then reads the controls' accessible names, and the system
// voice standing in for the missing object would only talk over it. With
// the object installed the program speaks through it, whoever set the flag.
// ScreenReaderVariable settles it first.
class WindowsScreenReaderPresence : public ScreenReaderPresence
{
public:
    ScreenReaderAnswer ask() override;
};
