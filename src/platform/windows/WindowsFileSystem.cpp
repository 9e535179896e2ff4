#include "platform/windows/WindowsFileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace {

// Backslashes throughout: the wide functions take "/" too, except behind a
// "\\?\" prefix, and the paths the dialogs hand over may have either.
std::wstring nativePath(const QString& path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

HANDLE fileOf(int handle)
{
    return reinterpret_cast<HANDLE>(_get_osfhandle(handle));
}

} // namespace

std::optional<QByteArray> WindowsFileSystem::read(const QString& path, qint64 maxBytes)
{
    // Only a file: a device name or a pipe would never end or never answer.
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile() || info.size() > maxBytes)
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return std::nullopt;
    // The size may have changed since the check; never take in more than the
    // limit, whatever the file does now.
    QByteArray bytes;
    char buffer[64 * 1024];
    for (;;) {
        const qint64 got = file.read(buffer, sizeof buffer);
        if (got < 0 || bytes.size() + got > maxBytes)
            return std::nullopt;
        if (got == 0)
            return bytes;
        bytes.append(buffer, got);
    }
}

bool WindowsFileSystem::mayReplace(const QString& path)
{
    const std::wstring name = nativePath(path);
    const DWORD attributes = GetFileAttributesW(name.c_str());
    // Nothing there, or nothing we may look at: creating the new file or the
    // rename will tell.
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return true;
    // The user protected the file; the rename would replace it all the same.
    if (attributes & FILE_ATTRIBUTE_READONLY)
        return false;
    // The folder's permission alone would let the rename replace a file the
    // access list does not let this user write. Opening for writing changes
    // nothing and asks exactly that.
    const HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError() != ERROR_ACCESS_DENIED;
    CloseHandle(file);
    return true;
}

int WindowsFileSystem::createExclusive(const QString& path)
{
    // CREATE_NEW fails when anything is there. No sharing while it is
    // written; the file's access list is inherited from its folder, which on
    // Windows is the user's own unless the user chose a shared one.
    const HANDLE file = CreateFileW(nativePath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return -1;
    const int handle = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_WRONLY | _O_BINARY);
    if (handle < 0)
        CloseHandle(file);
    return handle;
}

bool WindowsFileSystem::write(int handle, const QByteArray& bytes)
{
    const HANDLE file = fileOf(handle);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const DWORD chunk = static_cast<DWORD>(qMin<qsizetype>(left, 1 << 30));
        DWORD written = 0;
        if (!WriteFile(file, data, chunk, &written, nullptr) || written == 0)
            return false;
        data += written;
        left -= written;
    }
    return true;
}

bool WindowsFileSystem::sync(int handle)
{
    const HANDLE file = fileOf(handle);
    return file != INVALID_HANDLE_VALUE && FlushFileBuffers(file);
}

bool WindowsFileSystem::close(int handle)
{
    // Closes the file handle with the descriptor.
    return _close(handle) == 0;
}

FileSystem::Replaced WindowsFileSystem::replace(const QString& source, const QString& target)
{
    // Replaces the target in one step; on failure the previous file is left
    // as it was. Write-through: the rename is on the disk when this returns,
    // which is what syncFolder does on Linux.
    return MoveFileExW(nativePath(source).c_str(), nativePath(target).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? Replaced::Done
               : Replaced::Failed;
}

bool WindowsFileSystem::remove(const QString& path)
{
    return DeleteFileW(nativePath(path).c_str());
}

bool WindowsFileSystem::syncFolder(const QString& folder)
{
    // A folder cannot be flushed on Windows; the rename above was written
    // through already.
    Q_UNUSED(folder);
    return true;
}

QStringList WindowsFileSystem::fileNames(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
}
