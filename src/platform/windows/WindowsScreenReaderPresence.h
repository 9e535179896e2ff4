#pragma once

#include "platform/ModulePresence.h"
#include "platform/ScreenReaderPresence.h"

#include <memory>

// A screen reader reads this desktop: SPI_GETSCREENREADER, the flag every
// Windows screen reader sets while it runs, is set, or the screen reader's
// core module has come into this process. Whether the program's focus words
// still go through the speech object beside it is the speech object's to
// say, not this question's. ScreenReaderVariable settles it first.
class WindowsScreenReaderPresence : public ScreenReaderPresence
{
public:
    explicit WindowsScreenReaderPresence(std::shared_ptr<ModulePresence> modules) : m_modules(std::move(modules)) {}
    ScreenReaderAnswer ask() override;

private:
    std::shared_ptr<ModulePresence> m_modules;
};
