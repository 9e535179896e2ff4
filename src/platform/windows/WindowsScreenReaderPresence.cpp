#include "platform/windows/WindowsScreenReaderPresence.h"

#include <QString>

#include <windows.h>

ScreenReaderAnswer WindowsScreenReaderPresence::ask()
{
    if (const auto forced = forcedScreenReaderAnswer(qEnvironmentVariable(ScreenReaderVariable)))
        return *forced ? ScreenReaderAnswer::Runs : ScreenReaderAnswer::None;
    BOOL flagSet = FALSE;
    if (SystemParametersInfoW(SPI_GETSCREENREADER, 0, &flagSet, 0) && flagSet)
        return ScreenReaderAnswer::Runs;
    return m_modules->isLoaded(QString::fromLatin1(ScreenReaderModule)) ? ScreenReaderAnswer::Runs
                                                                        : ScreenReaderAnswer::None;
}
