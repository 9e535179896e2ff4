#include "platform/windows/WindowsScreenReaderPresence.h"

#include "platform/windows/VoxbridgeSpeechObject.h"

#include <QString>

#include <windows.h>

ScreenReaderAnswer WindowsScreenReaderPresence::ask()
{
    if (const auto forced = forcedScreenReaderAnswer(qEnvironmentVariable(ScreenReaderVariable)))
        return *forced ? ScreenReaderAnswer::Runs : ScreenReaderAnswer::None;
    BOOL running = FALSE;
    if (!SystemParametersInfoW(SPI_GETSCREENREADER, 0, &running, 0) || !running)
        return ScreenReaderAnswer::None;
    return VoxbridgeSpeechObject::classRegistered() ? ScreenReaderAnswer::None : ScreenReaderAnswer::Runs;
}
