#include "platform/Platform.h"

#include "platform/qt/EntryPointFileDialogLibrary.h"
#include "platform/qt/QtMessageBox.h"
#include "platform/windows/LoadedFileDialogEntryPoints.h"
#include "platform/windows/WindowsBrowser.h"
#include "platform/windows/WindowsDriveTypes.h"
#include "platform/windows/WindowsFileSystem.h"
#include "platform/windows/WindowsModulePresence.h"
#include "platform/windows/WindowsScreenReaderPresence.h"
#include "platform/windows/WindowsSingleInstance.h"
#include "platform/windows/WindowsSpeechObject.h"
#include "platform/windows/WindowsStandardFileDialog.h"

#include <windows.h>

Platform createSystemPlatform()
{
    Platform platform;
    // Made here, the object holds no COM yet: that comes at its first call,
    // on the window's thread.
    platform.speechFactory = [] { return std::unique_ptr<SpeechObject>(std::make_unique<WindowsSpeechObject>()); };
    platform.fileDialogLibrary =
        std::make_shared<EntryPointFileDialogLibrary>(std::make_shared<LoadedFileDialogEntryPoints>());
    platform.messageBox = std::make_shared<QtMessageBox>();
    platform.standardFileDialog = std::make_shared<WindowsStandardFileDialog>();
    platform.driveTypes = std::make_shared<WindowsDriveTypes>();
    platform.browserFactory = [] { return WindowsBrowser::create(); };
    auto modules = std::make_shared<WindowsModulePresence>();
    platform.modulePresence = modules;
    platform.fileSystem = createSystemFileSystem();
    // The later start finds the running copy by its main window's title.
    platform.singleInstance = std::make_shared<WindowsSingleInstance>(QStringLiteral("VORNIXサポートソフト"));
    platform.screenReaderPresence = std::make_shared<WindowsScreenReaderPresence>(modules);
    return platform;
}

std::shared_ptr<FileSystem> createSystemFileSystem()
{
    return std::make_shared<WindowsFileSystem>();
}

void disableCrashDumps()
{
    // The account's password lives in the process's memory: no error report
    // box that offers to send it (and its dump) away.
    SetErrorMode(GetErrorMode() | SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
}

void keepLibrariesOutOfWorkingFolder()
{
    // An empty folder takes the working folder out of the search for the
    // whole process.
    SetDllDirectoryW(L"");
}

std::future<void> preloadFontConfiguration()
{
    // Fonts come from the system's own font list, which needs no loading.
    std::promise<void> ready;
    ready.set_value();
    return ready.get_future();
}
