#include "platform/Platform.h"

#include "platform/NoFileDialogLibrary.h"
#include "platform/linux/LinuxScreenReaderPresence.h"
#include "platform/linux/LinuxDriveTypes.h"
#include "platform/linux/LinuxFileSystem.h"
#include "platform/linux/LinuxSingleInstance.h"
#include "platform/linux/dictionary/MecabWordReadings.h"
#include "platform/linux/LinuxModulePresence.h"
#include "platform/linux/speechd/SpeechDispatcherObject.h"
#include "platform/linux/LinuxBrowser.h"
#include "platform/qt/QtMessageBox.h"
#include "platform/qt/QtStandardFileDialog.h"

#include <fontconfig/fontconfig.h>
#include <sys/resource.h>
#include <system_error>

Platform createSystemPlatform()
{
    Platform platform;
    platform.speechFactory = [] { return SpeechDispatcherObject::create([] { return MecabWordReadings::open(); }); };
    platform.messageBox = std::make_shared<QtMessageBox>();
    // There is no accessible file-dialog library on Linux; the program falls
    // back to the standard dialog, as it does wherever the library fails.
    platform.fileDialogLibrary = std::make_shared<NoFileDialogLibrary>();
    platform.standardFileDialog = std::make_shared<QtStandardFileDialog>();
    platform.driveTypes = std::make_shared<LinuxDriveTypes>();
    platform.browserFactory = [] { return LinuxBrowser::create(); };
    platform.modulePresence = std::make_shared<LinuxModulePresence>();
    platform.fileSystem = createSystemFileSystem();
    platform.singleInstance = std::make_shared<LinuxSingleInstance>();
    platform.screenReaderPresence = std::make_shared<LinuxScreenReaderPresence>();
    return platform;
}

std::shared_ptr<FileSystem> createSystemFileSystem()
{
    return std::make_shared<LinuxFileSystem>();
}

void disableCrashDumps()
{
    const rlimit none{0, 0};
    setrlimit(RLIMIT_CORE, &none);
}

void keepLibrariesOutOfWorkingFolder()
{
    // The dynamic loader never looks in the working folder by itself.
}

std::future<void> preloadFontConfiguration()
{
    // Qt's font database starts with this same call, which then finds the
    // configuration loaded and returns at once.
    const auto load = [] { FcInit(); };
    try {
        return std::async(std::launch::async, load);
    } catch (const std::system_error&) {
        // No thread to spare: read when waited for, as if never preloaded.
        return std::async(std::launch::deferred, load);
    }
}
