#pragma once

#include "platform/Browser.h"
#include "platform/DriveTypes.h"
#include "platform/FileDialogLibrary.h"
#include "platform/FileSystem.h"
#include "platform/MessageBox.h"
#include "platform/ModulePresence.h"
#include "platform/ScreenReaderPresence.h"
#include "platform/SingleInstance.h"
#include "platform/SpeechObject.h"
#include "platform/StandardFileDialog.h"

#include <future>
#include <memory>

// Everything outside the program, in one place. Start-up fills it with the
// real implementations of this operating system; tests fill it with fakes.
struct Platform {
    SpeechObjectFactory speechFactory;
    std::shared_ptr<MessageBox> messageBox;
    std::shared_ptr<FileDialogLibrary> fileDialogLibrary;
    std::shared_ptr<StandardFileDialog> standardFileDialog;
    std::shared_ptr<DriveTypes> driveTypes;
    BrowserFactory browserFactory;
    std::shared_ptr<ModulePresence> modulePresence;
    std::shared_ptr<FileSystem> fileSystem;
    std::shared_ptr<SingleInstance> singleInstance;
    // Asked once at start; left empty (as in tests of the window alone), the
    // program reads nothing beyond its own announcements.
    std::shared_ptr<ScreenReaderPresence> screenReaderPresence;
};

// The real implementations of the operating system the program was built for.
Platform createSystemPlatform();

// The account's password lives in the process's memory: a crash must not
// write it into a core file.
void disableCrashDumps();

// Reads the system's font configuration on a thread of its own, so that the
// reading overlaps connecting to the display. Wait for the result before the
// first text is measured: Qt would otherwise read the configuration again.
std::future<void> preloadFontConfiguration();
