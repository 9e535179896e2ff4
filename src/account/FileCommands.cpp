#include "account/FileCommands.h"

#include "account/Cp932Codec.h"
#include "platform/DriveTypes.h"
#include "platform/FileDialogLibrary.h"
#include "platform/StandardFileDialog.h"

#include <QDir>
#include <QFileInfo>
#include <QWidget>
#include <algorithm>
#include <optional>

const QString FileCommands::ReadTitle = QStringLiteral("ヴォルニクス用のアカウントデータを読み込む");
const QString FileCommands::SaveTitle = QStringLiteral("ヴォルニクス用にアカウントデータを作成・保存");
const QString FileCommands::LibraryFilter = QStringLiteral("VORNIXアカウントデータ (*.acd)|*.acd||");
const QString FileCommands::StandardFilter = QStringLiteral("VORNIXアカウントデータ (*.acd)|*.acd");
const QString FileCommands::LibraryDefaultExt = QStringLiteral(".acd");
const QString FileCommands::StandardDefaultExt = QStringLiteral("acd");
const QString FileCommands::ErrorMarker = QStringLiteral("%%err");
const QString FileCommands::NoDriveRoot = QStringLiteral("A:");

namespace
{

// A string for the library: empty goes as a null pointer. A string the
// library could not be given faithfully (no CP932 code, or a NUL that would
// cut it short) makes the whole call a library failure.
struct LibraryString {
    bool ok = true;
    QByteArray bytes;
    bool null = true;

    explicit LibraryString(const QString& text)
    {
        if (text.isEmpty())
            return;
        null = false;
        if (text.contains(QChar(u'\0'))) {
            ok = false;
            return;
        }
        const std::optional<QByteArray> encoded = Cp932Codec::encode(text);
        if (!encoded) {
            ok = false;
            return;
        }
        bytes = *encoded;
    }

    const char* get() const { return null ? nullptr : bytes.constData(); }
};

} // namespace

FileCommands::FileCommands(FileDialogLibrary& library, StandardFileDialog& standardDialog, DriveTypes& drives,
                           QWidget* owner, const QString& programFolder, Procedure loadAcd, Procedure saveAcd,
                           WritableProbe isWritable)
    : m_library(library), m_standardDialog(standardDialog), m_drives(drives), m_owner(owner),
      m_loadAcd(std::move(loadAcd)), m_saveAcd(std::move(saveAcd))
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

void FileCommands::mnu_file_open_Click()
{
    const QString folder = m_state.OpenFolder.isEmpty() ? m_programFolder : m_state.OpenFolder;
    m_standardDialog.InitDir = folder;
    m_dlg.DlgInitDir = folder;
    m_standardDialog.FileName.clear();

    XLOAD();

    // Remembered even when the file could not be read: the user looked there.
    if (!m_state.AcdLoadPath.isEmpty()) {
        const QString chosenFolder = folderOf(m_state.AcdLoadPath);
        m_state.OpenFolder = chosenFolder;
        m_state.SaveFolder = chosenFolder;
        m_state.LastAcdFile = m_state.AcdLoadPath;
    }
}

void FileCommands::mnu_file_save_Click()
{
    const QString folder = m_state.SaveFolder.isEmpty() ? m_programFolder : m_state.SaveFolder;
    m_standardDialog.InitDir = folder;
    m_dlg.DlgInitDir = folder;
    m_standardDialog.FileName = m_state.LastAcdFile;
    m_dlg.DlgFileName = m_state.LastAcdFile;
    // Without an accessible dialog the standard one is the only one, so it
    // must add the extension the accessible dialog would have added: a name
    // typed bare is still saved as an account data file.
    m_standardDialog.DefaultExt = StandardDefaultExt;

    XSAVE();

    if (!m_state.AcdSavePath.isEmpty()) {
        m_state.LastAcdFile = m_state.AcdSavePath;
        m_state.SaveFolder = folderOf(m_state.AcdSavePath);
    }
}

bool FileCommands::mnu_file_fdopen_Click()
{
    m_dlg.DlgInitDir = GetFD();
    if (m_dlg.DlgInitDir == NoDriveRoot)
        return false;
    m_standardDialog.InitDir = GetFD();
    m_standardDialog.DefaultExt = StandardDefaultExt;
    m_standardDialog.FileName.clear();

    XLOAD();
    return true;
}

bool FileCommands::mnu_file_fdsave_Click()
{
    m_dlg.DlgInitDir = GetFD();
    if (m_dlg.DlgInitDir == NoDriveRoot)
        return false;
    m_standardDialog.InitDir = GetFD();
    m_standardDialog.DefaultExt = StandardDefaultExt;
    m_standardDialog.FileName = m_state.FdSaveFile;
    m_dlg.DlgFileName = m_state.FdSaveFile;

    XSAVE();

    if (!m_state.AcdSavePath.isEmpty())
        m_state.FdSaveFile = m_state.AcdSavePath;
    return true;
}

void FileCommands::XLOAD()
{
    m_dlg.DlgTitle = ReadTitle;
    m_dlg.DlgFilter = LibraryFilter;
    m_dlg.DlgFileName.clear();
    m_dlg.DlgOwner = m_owner ? static_cast<intptr_t>(m_owner->winId()) : 0;
    m_dlg.DlgSaveMode = false;
    // DlgDefaultExt stays as the last save left it.

    m_state.AcdLoadPath = ShowFileDialog();
    if (m_state.AcdLoadPath.isEmpty())
        return;
    if (m_state.AcdLoadPath != ErrorMarker) {
        if (m_loadAcd)
            m_loadAcd();
        return;
    }

    m_state.AcdLoadPath.clear();
    m_standardDialog.DialogTitle = ReadTitle;
    m_standardDialog.CancelError = false;
    m_standardDialog.Filter = StandardFilter;
    m_standardDialog.ShowOpen(m_owner);
    if (m_standardDialog.FileName.isEmpty())
        return;
    m_state.AcdLoadPath = m_standardDialog.FileName;
    if (m_loadAcd)
        m_loadAcd();
}

void FileCommands::XSAVE()
{
    m_dlg.DlgTitle = SaveTitle;
    m_dlg.DlgFilter = LibraryFilter;
    m_dlg.DlgDefaultExt = LibraryDefaultExt;
    m_dlg.DlgOwner = m_owner ? static_cast<intptr_t>(m_owner->winId()) : 0;
    m_dlg.DlgSaveMode = true;

    m_state.AcdSavePath = ShowFileDialog();
    if (m_state.AcdSavePath.isEmpty())
        return;
    if (m_state.AcdSavePath != ErrorMarker) {
        if (m_saveAcd)
            m_saveAcd();
        return;
    }

    m_state.AcdSavePath.clear();
    m_standardDialog.DialogTitle = SaveTitle;
    m_standardDialog.CancelError = false;
    m_standardDialog.Filter = StandardFilter;
    m_standardDialog.ShowSave(m_owner);
    if (m_standardDialog.FileName.isEmpty())
        return;
    m_state.AcdSavePath = m_standardDialog.FileName;
    if (m_saveAcd)
        m_saveAcd();
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

QString FileCommands::ShowFileDialog()
{
    m_dlg.DlgResult = -1;

    // Everything is converted before the dialog object exists, so a string
    // the library cannot take leaves nothing to free.
    const LibraryString ext(m_dlg.DlgDefaultExt);
    const LibraryString fileName(m_dlg.DlgFileName);
    const LibraryString initDir(m_dlg.DlgInitDir);
    const LibraryString filter(m_dlg.DlgFilter);
    const LibraryString title(m_dlg.DlgTitle);
    if (!ext.ok || !fileName.ok || !initDir.ok || !filter.ok || !title.ok)
        return ErrorMarker;

    const std::optional<int32_t> handle = m_library.FileDlg_Create(
        m_dlg.DlgSaveMode ? 0 : 1, ext.get(), fileName.get(), initDir.get(), filter.get(), m_dlg.DlgOwner);
    if (!handle)
        return ErrorMarker;
    m_dlg.DlgHandle = *handle;

    // A failing Delete is a failure like any other, but the object is not
    // deleted a second time.
    const auto failAfterCreate = [this] {
        m_library.FileDlg_Delete(m_dlg.DlgHandle);
        return ErrorMarker;
    };

    if (!title.null && !m_library.FileDlg_SetWindowText(m_dlg.DlgHandle, title.get(), -1))
        return failAfterCreate();

    const std::optional<int32_t> result = m_library.FileDlg_DoModal(m_dlg.DlgHandle);
    if (!result)
        return failAfterCreate();
    m_dlg.DlgResult = *result;

    if (m_dlg.DlgResult != 1) {
        if (!m_library.FileDlg_Delete(m_dlg.DlgHandle))
            return ErrorMarker;
        return QString();
    }

    // A path left over from an earlier dialog must never come back as this
    // dialog's answer.
    m_dlg.PathBuffer.fill('\0');
    const std::optional<int32_t> got = m_library.FileDlg_GetPathName(
        m_dlg.DlgHandle, m_dlg.PathBuffer.data(), FileDialogParameters::PathBufferOffered, 0);
    if (!got || *got == 0)
        return failAfterCreate();
    if (!m_library.FileDlg_Delete(m_dlg.DlgHandle))
        return ErrorMarker;

    const auto nul = std::find(m_dlg.PathBuffer.begin(), m_dlg.PathBuffer.end(), '\0');
    // No terminator, or a "chosen" file without a name: the library did not
    // give a path, and the standard dialog can still ask for one.
    if (nul == m_dlg.PathBuffer.end() || nul == m_dlg.PathBuffer.begin())
        return ErrorMarker;
    return Cp932Codec::decode(QByteArray(m_dlg.PathBuffer.data(), nul - m_dlg.PathBuffer.begin()));
}
