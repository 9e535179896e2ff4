#include "platform/windows/WindowsScreenReaderPresence.h"

#include "platform/windows/VoxbridgeSpeechObject.h"

#include <QString>
#include <windows.h>

bool WindowsScreenReaderPresence::isRunning()
{
    if (const auto forced = forcedScreenReaderAnswer(qEnvironmentVariable(ScreenReaderVariable)))
        return *forced;
    BOOL flag = FALSE;
    if (!SystemParametersInfoW(SPI_GETSCREENREADER, 0, &flag, 0) || !flag)
        return false;
    return !VoxbridgeSpeechObject::classRegistered();
}
