#pragma once

#include "platform/FileDialogRequest.h"

#include <QString>
#include <functional>
#include <optional>

class DriveTypes;
class FileDialogLibrary;
class StandardFileDialog;

// The folders and file names the four file commands remember for the rest of
// the run (never saved).
struct FileCommandState {
    QString OpenFolder;
    QString SaveFolder; // empty: the program's folder
    QString LastAcdFile;
    QString FdSaveFile;
};

// What a floppy command came to: a path, a cancel, or no removable disk to
// offer, in which case no dialog was shown.
struct FileChoice {
    enum class Outcome { Chosen, Cancelled, NoRemovableDisk };

    Outcome outcome = Outcome::Cancelled;
    QString path; // Chosen only

    explicit operator bool() const { return outcome == Outcome::Chosen; }
    const QString& operator*() const { return path; }
};

// The File menu's read, save, floppy-read and floppy-write commands: each
// chooses a path through the accessible dialog, falls back to the standard
// dialog when that fails, and answers the path for the window to read or
// write (nothing when the user cancelled). A chosen path is remembered
// whether or not reading or writing it then succeeds: the user looked there.
class FileCommands
{
public:
    using WritableProbe = std::function<bool(const QString& folder)>;

    static const QString ReadTitle;
    static const QString SaveTitle;
    static const QString LibraryFilter;
    static const QString StandardFilter;
    static const QString LibraryDefaultExt;
    static const QString StandardDefaultExt;
    static const QString NoDriveRoot;

    // programFolder is the folder of the program file. isWritable decides
    // whether it can stand as the dialogs' first folder; empty: ask the file
    // system.
    FileCommands(FileDialogLibrary& library, StandardFileDialog& standardDialog, DriveTypes& drives,
                 const QString& programFolder, WritableProbe isWritable = {});
    FileCommands(const FileCommands&) = delete;
    FileCommands& operator=(const FileCommands&) = delete;

    // An installed program lives in a folder the user cannot write to, so
    // offering it for saving would only end in the write-error box: the home
    // folder stands in for it then.
    static QString dialogFolderFor(const QString& programFolder, const QString& homeFolder,
                                   const WritableProbe& isWritable);
    static bool folderIsWritable(const QString& folder);

    // The folder part of a chosen path, without the trailing separator.
    static QString folderOf(const QString& path);

    [[nodiscard]] std::optional<QString> mnu_file_open_Click();
    [[nodiscard]] std::optional<QString> mnu_file_save_Click();
    // NoRemovableDisk, with no dialog shown, when there is no removable disk:
    // on a system without drive letters "A:" would open the dialog anywhere,
    // and a write could land on the hard disk.
    [[nodiscard]] FileChoice mnu_file_fdopen_Click();
    [[nodiscard]] FileChoice mnu_file_fdsave_Click();

    QString GetFD();

    const FileCommandState& state() const { return m_state; }
    // What each dialog was last asked. Like the dialog controls they stand
    // for, a value a command does not set keeps what it was last given.
    const FileDialogRequest& libraryRequest() const { return m_libraryRequest; }
    const FileDialogRequest& standardRequest() const { return m_standardRequest; }
    // The folder the dialogs stand for "the program's own folder".
    const QString& programFolder() const { return m_programFolder; }

private:
    std::optional<QString> XLOAD();
    std::optional<QString> XSAVE();
    std::optional<QString> choose(const QString& title, bool saveMode);

    FileDialogLibrary& m_library;
    StandardFileDialog& m_standardDialog;
    DriveTypes& m_drives;
    QString m_programFolder;
    FileCommandState m_state;
    FileDialogRequest m_libraryRequest;
    FileDialogRequest m_standardRequest;
};
