#include "account/FileCommands.h"

#include "platform/DriveTypes.h"
#include "platform/FileDialogLibrary.h"
#include "platform/StandardFileDialog.h"

#include <QDir>
#include <QFileInfo>

const QString FileCommands::ReadTitle = QStringLiteral("ヴォルニクス用のアカウントデータを読み込む");
const QString FileCommands::SaveTitle = QStringLiteral("ヴォルニクス用にアカウントデータを作成・保存");
const QString FileCommands::LibraryFilter = QStringLiteral("VORNIXアカウントデータ (*.acd)|*.acd||");
const QString FileCommands::StandardFilter = QStringLiteral("VORNIXアカウントデータ (*.acd)|*.acd");
const QString FileCommands::LibraryDefaultExt = QStringLiteral(".acd");
const QString FileCommands::StandardDefaultExt = QStringLiteral("acd");
const QString FileCommands::NoDriveRoot = QStringLiteral("A:");

namespace
{

FileChoice choiceOf(const std::optional<QString>& path)
{
    if (!path)
        return {FileChoice::Outcome::Cancelled, QString()};
    return {FileChoice::Outcome::Chosen, *path};
}

} // namespace

FileCommands::FileCommands(FileDialogLibrary& library, StandardFileDialog& standardDialog, DriveTypes& drives,
                           const QString& programFolder, WritableProbe isWritable)
    : m_library(library), m_standardDialog(standardDialog), m_drives(drives)
{
    m_programFolder = dialogFolderFor(programFolder, QDir::homePath(),
                                      isWritable ? isWritable : WritableProbe(folderIsWritable));
    m_state.OpenFolder = m_programFolder;
}

QString FileCommands::dialogFolderFor(const QString& programFolder, const QString& homeFolder,
                                      const WritableProbe& isWritable)
{
    if (programFolder.isEmpty() || !isWritable(programFolder))
        return homeFolder;
    return programFolder;
}

bool FileCommands::folderIsWritable(const QString& folder)
{
    const QFileInfo info(folder);
    return info.isDir() && info.isWritable();
}

QString FileCommands::folderOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0)
        return QString();
    // A file in the root keeps "/" as its folder; an empty folder would send
    // the next dialog back to the program's folder instead.
    if (slash == 0)
        return QStringLiteral("/");
    return path.left(slash);
}

std::optional<QString> FileCommands::mnu_file_open_Click()
{
    const QString folder = m_state.OpenFolder.isEmpty() ? m_programFolder : m_state.OpenFolder;
    m_standardRequest.initDir = folder;
    m_libraryRequest.initDir = folder;
    m_standardRequest.fileName.clear();

    const std::optional<QString> path = XLOAD();
    if (path) {
        const QString chosenFolder = folderOf(*path);
        m_state.OpenFolder = chosenFolder;
        m_state.SaveFolder = chosenFolder;
        m_state.LastAcdFile = *path;
    }
    return path;
}

std::optional<QString> FileCommands::mnu_file_save_Click()
{
    const QString folder = m_state.SaveFolder.isEmpty() ? m_programFolder : m_state.SaveFolder;
    m_standardRequest.initDir = folder;
    m_libraryRequest.initDir = folder;
    m_standardRequest.fileName = m_state.LastAcdFile;
    m_libraryRequest.fileName = m_state.LastAcdFile;
    // Without an accessible dialog the standard one is the only one, so it
    // must add the extension the accessible dialog would have added: a name
    // typed bare is still saved as an account data file.
    m_standardRequest.defaultExt = StandardDefaultExt;

    const std::optional<QString> path = XSAVE();
    if (path) {
        m_state.LastAcdFile = *path;
        m_state.SaveFolder = folderOf(*path);
    }
    return path;
}

FileChoice FileCommands::mnu_file_fdopen_Click()
{
    m_libraryRequest.initDir = GetFD();
    if (m_libraryRequest.initDir == NoDriveRoot)
        return {FileChoice::Outcome::NoRemovableDisk, QString()};
    m_standardRequest.initDir = GetFD();
    m_standardRequest.defaultExt = StandardDefaultExt;
    m_standardRequest.fileName.clear();

    return choiceOf(XLOAD());
}

FileChoice FileCommands::mnu_file_fdsave_Click()
{
    m_libraryRequest.initDir = GetFD();
    if (m_libraryRequest.initDir == NoDriveRoot)
        return {FileChoice::Outcome::NoRemovableDisk, QString()};
    m_standardRequest.initDir = GetFD();
    m_standardRequest.defaultExt = StandardDefaultExt;
    m_standardRequest.fileName = m_state.FdSaveFile;
    m_libraryRequest.fileName = m_state.FdSaveFile;

    const std::optional<QString> path = XSAVE();
    if (path)
        m_state.FdSaveFile = *path;
    return choiceOf(path);
}

std::optional<QString> FileCommands::XLOAD()
{
    m_libraryRequest.fileName.clear();
    // The default extension stays as the last save left it.
    return choose(ReadTitle, false);
}

std::optional<QString> FileCommands::XSAVE()
{
    m_libraryRequest.defaultExt = LibraryDefaultExt;
    return choose(SaveTitle, true);
}

std::optional<QString> FileCommands::choose(const QString& title, bool saveMode)
{
    m_libraryRequest.title = title;
    m_libraryRequest.filter = LibraryFilter;
    m_libraryRequest.saveMode = saveMode;

    const FileDialogResult result = m_library.show(m_libraryRequest);
    switch (result.outcome) {
    case FileDialogResult::Outcome::Chosen:
        return result.path;
    case FileDialogResult::Outcome::Cancelled:
        return std::nullopt;
    case FileDialogResult::Outcome::Failed:
        break;
    }

    m_standardRequest.title = title;
    m_standardRequest.filter = StandardFilter;
    m_standardRequest.saveMode = saveMode;
    return m_standardDialog.show(m_standardRequest);
}

QString FileCommands::GetFD()
{
    const QStringList drives = m_drives.drives();
    for (const QString& drive : drives) {
        if (m_drives.driveType(drive) == DriveTypes::Removable)
            return m_drives.rootOf(drive);
    }
    return NoDriveRoot;
}
