#include "platform/windows/WindowsFileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace {

std::wstring nativePath(const QString& path)
{
    return WindowsFileSystem::extendedPath(path);
}

bool isBusy(DWORD error)
{
    // Someone holds the target for a moment (a virus scanner, a search
    // indexer): it may be free again shortly. ReplaceFileW says so as "could
    // not remove the file to be replaced".
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_UNABLE_TO_REMOVE_REPLACED;
}

HANDLE fileOf(int handle)
{
    return reinterpret_cast<HANDLE>(_get_osfhandle(handle));
}

} // namespace

std::wstring WindowsFileSystem::extendedPath(const QString& path)
{
    QString native = QDir::toNativeSeparators(path);
    // Already extended, or a device name ("\\.\COM1"): as it is.
    if (native.startsWith(QStringLiteral("\\\\?\\")) || native.startsWith(QStringLiteral("\\\\.\\")))
        return native.toStdWString();
    // Behind the prefix Windows takes every name as it stands: "." and ".."
    // are resolved here, as Windows would have done without it.
    const bool share = native.startsWith(QStringLiteral("\\\\"));
    const bool drive = native.size() >= 3 && native.at(1) == u':' && native.at(2) == u'\\' && native.at(0).isLetter();
    if (!share && !drive)
        return native.toStdWString();
    const QString clean = QDir::toNativeSeparators(QDir::cleanPath(QDir::fromNativeSeparators(native)));
    if (share)
        return (QStringLiteral("\\\\?\\UNC\\") + clean.mid(2)).toStdWString();
    return (QStringLiteral("\\\\?\\") + clean).toStdWString();
}

std::optional<QByteArray> WindowsFileSystem::read(const QString& path, qint64 maxBytes)
{
    const std::wstring name = nativePath(path);
    // Only a file: a device name or a pipe would never end or never answer.
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    const HANDLE file = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    LARGE_INTEGER size{};
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileSizeEx(file, &size) || size.QuadPart > maxBytes) {
        CloseHandle(file);
        return std::nullopt;
    }
    // The size may have changed since the check; never take in more than the
    // limit, whatever the file does now.
    QByteArray bytes;
    char buffer[64 * 1024];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, buffer, sizeof buffer, &got, nullptr) || bytes.size() + qint64(got) > maxBytes) {
            CloseHandle(file);
            return std::nullopt;
        }
        if (got == 0) {
            CloseHandle(file);
            return bytes;
        }
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
    const std::wstring from = nativePath(source);
    const std::wstring to = nativePath(target);
    // Nothing to keep: a rename, written through, so that it is on the disk
    // when this returns, which is what syncFolder does on Linux.
    if (GetFileAttributesW(to.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH))
            return Replaced::Done;
        return isBusy(GetLastError()) ? Replaced::Busy : Replaced::Failed;
    }
    // ReplaceFileW keeps the target's security and attributes: a file the
    // user restricted to themselves stays so, where a rename would give the
    // new file the folder's. Through a backup, since one failure leaves the
    // target renamed to it and the new file not in its place.
    const std::wstring backup = from + L".old";
    if (ReplaceFileW(to.c_str(), from.c_str(), backup.c_str(), REPLACEFILE_WRITE_THROUGH, nullptr, nullptr)) {
        DeleteFileW(backup.c_str());
        return Replaced::Done;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
        if (GetFileAttributesW(to.c_str()) == INVALID_FILE_ATTRIBUTES)
            MoveFileExW(backup.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH);
        else
            DeleteFileW(backup.c_str());
        return Replaced::Failed;
    }
    return isBusy(error) ? Replaced::Busy : Replaced::Failed;
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
    QStringList names;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((nativePath(folder) + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.append(QString::fromWCharArray(found.cFileName));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}
