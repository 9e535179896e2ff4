#include "platform/windows/WindowsScreenReaderPresence.h"

#include "platform/windows/VoxbridgeSpeechObject.h"

#include <QString>

#include <windows.h>

bool WindowsScreenReaderPresence::isRunning()
{
    if (const auto forced = forcedScreenReaderAnswer(qEnvironmentVariable(ScreenReaderVariable)))
        return *forced;
    BOOL running = FALSE;
    if (!SystemParametersInfoW(SPI_GETSCREENREADER, 0, &running, 0) || !running)
        return false;
    return !VoxbridgeSpeechObject::classRegistered();
}
