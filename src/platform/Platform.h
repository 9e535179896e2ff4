#pragma once

#include "platform/Browser.h"
#include "platform/DriveTypes.h"
#include "platform/FileDialogLibrary.h"
#include "platform/FileSystem.h"
#include "platform/MessageBox.h"
#include "platform/ModulePresence.h"
#include "platform/NoFileDialogLibrary.h"
#include "platform/NoScreenReaderPresence.h"
#include "platform/NoSingleInstance.h"
#include "platform/ScreenReaderPresence.h"
#include "platform/SingleInstance.h"
#include "platform/SpeechObject.h"
#include "platform/StandardFileDialog.h"

#include <QStringList>
#include <chrono>
#include <future>
#include <memory>

// Everything outside the program, in one place. Start-up fills it with the
// real implementations of this operating system; tests fill it with fakes.
//
// Two kinds of service, each treated one way:
//  - required: the program cannot do its work without them; the main window
//    refuses a platform that lacks one (missingServices), and nothing asks
//    again whether one is there;
//  - may be absent: each starts as the object that stands for "not there",
//    and the program uses it like any other, never asking: no speech object
//    (the program works silently), no accessible file-dialog library (the
//    standard dialog asks), no browser (the web page commands do nothing),
//    no single-instance service (every start opens its own window), nothing
//    to ask about a screen reader (the program speaks for itself).
struct Platform {
    // Required.
    std::shared_ptr<MessageBox> messageBox;
    std::shared_ptr<StandardFileDialog> standardFileDialog;
    std::shared_ptr<DriveTypes> driveTypes;
    std::shared_ptr<FileSystem> fileSystem;
    std::shared_ptr<ModulePresence> modulePresence;
    // How long the window waits for an account file to be read or written:
    // longer than a real floppy disk takes, and then the error box, rather
    // than a window frozen for good by a hung network folder.
    std::chrono::milliseconds fileBound = std::chrono::seconds(30);

    // May be absent. A factory that creates nothing stands for a service that
    // is not there, as one whose creation fails does.
    SpeechObjectFactory speechFactory = [] { return std::unique_ptr<SpeechObject>(); };
    std::shared_ptr<FileDialogLibrary> fileDialogLibrary = std::make_shared<NoFileDialogLibrary>();
    BrowserFactory browserFactory = [] { return std::unique_ptr<Browser>(); };
    std::shared_ptr<SingleInstance> singleInstance = std::make_shared<NoSingleInstance>();
    // Asked at start and again whenever the window is activated.
    std::shared_ptr<ScreenReaderPresence> screenReaderPresence = std::make_shared<NoScreenReaderPresence>();

    // The names of the required services that are missing; empty when the
    // platform is complete.
    QStringList missingServices() const;
};

// The real implementations of the operating system the program was built for.
Platform createSystemPlatform();

// The system's file operations alone, for the tests that save real files.
std::shared_ptr<FileSystem> createSystemFileSystem();

// The account's password lives in the process's memory: a crash must not
// write it into a core file.
void disableCrashDumps();

// Libraries the program loads by name (the screen reader's file-dialog
// library) are never taken from the working folder, which may be one the
// user browsed: the program's own folder, the system's and the search path
// remain.
void keepLibrariesOutOfWorkingFolder();

// Reads the system's font configuration on a thread of its own, so that the
// reading overlaps connecting to the display (with no thread to spare, when
// waited for). Wait for the result before the first text is measured: Qt
// would otherwise read the configuration again.
std::future<void> preloadFontConfiguration();
