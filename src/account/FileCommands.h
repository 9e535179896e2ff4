#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <functional>

class DriveTypes;
class FileDialogLibrary;
class StandardFileDialog;
class QWidget;

// The folders and file names the four file commands remember for the rest of
// the run (never saved).
struct FileCommandState {
    QString AcdLoadPath; // what LoadAcd reads
    QString AcdSavePath; // what saveAcd writes
    QString OpenFolder;
    QString SaveFolder; // empty: the program's folder
    QString LastAcdFile;
    QString FdSaveFile;
};

// What ShowFileDialog hands to the accessible dialog. Like the state above, a
// value a command does not set keeps what it was last given.
struct FileDialogParameters {
    static constexpr int32_t PathBufferOffered = 100;

    QString DlgTitle;
    QString DlgFilter;
    QString DlgDefaultExt;
    QString DlgFileName;
    QString DlgInitDir;
    bool DlgSaveMode = false;
    intptr_t DlgOwner = 0;
    int32_t DlgHandle = 0;
    int32_t DlgResult = -1;
    std::array<char, 256> PathBuffer{};
};

// The File menu's read, save, floppy-read and floppy-write commands: they
// choose a path through the accessible dialog library, fall back to the
// standard dialog when the library fails, and hand the path to the window's
// LoadAcd or saveAcd.
class FileCommands
{
public:
    using Procedure = std::function<void()>;
    using WritableProbe = std::function<bool(const QString& folder)>;

    static const QString ReadTitle;
    static const QString SaveTitle;
    static const QString LibraryFilter;
    static const QString StandardFilter;
    static const QString LibraryDefaultExt;
    static const QString StandardDefaultExt;
    static const QString ErrorMarker;
    static const QString NoDriveRoot;

    // programFolder is the folder of the program file. isWritable decides
    // whether it can stand as the dialogs' first folder; empty: ask the file
    // system.
    FileCommands(FileDialogLibrary& library, StandardFileDialog& standardDialog, DriveTypes& drives,
                 QWidget* owner, const QString& programFolder, Procedure loadAcd, Procedure saveAcd,
                 WritableProbe isWritable = {});
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

    void mnu_file_open_Click();
    void mnu_file_save_Click();
    // False, with no dialog shown, when there is no removable disk: on a
    // system without drive letters "A:" would open the dialog anywhere, and
    // a write could land on the hard disk.
    [[nodiscard]] bool mnu_file_fdopen_Click();
    [[nodiscard]] bool mnu_file_fdsave_Click();

    void XLOAD();
    void XSAVE();
    QString GetFD();
    QString ShowFileDialog();

    const FileCommandState& state() const { return m_state; }
    const FileDialogParameters& dialogParameters() const { return m_dlg; }
    // The folder the dialogs stand for "the program's own folder".
    const QString& programFolder() const { return m_programFolder; }

private:
    FileDialogLibrary& m_library;
    StandardFileDialog& m_standardDialog;
    DriveTypes& m_drives;
    QWidget* m_owner;
    QString m_programFolder;
    Procedure m_loadAcd;
    Procedure m_saveAcd;
    FileCommandState m_state;
    FileDialogParameters m_dlg;
};
