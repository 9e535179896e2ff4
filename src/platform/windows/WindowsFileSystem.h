#pragma once

#include "platform/FileSystem.h"

#include <string>

// An account file's steps over the wide-character file functions, so that
// folder and file names outside the system code page (a Japanese folder on an
// English Windows) work, and with absolute paths in their extended form, so
// that a file near MAX_PATH saves as it reads (the temporary name beside it is
// longer). Handles are C runtime descriptors wrapping the file handle.
class WindowsFileSystem : public FileSystem
{
public:
    // An absolute path as "\\?\C:\..." or "\\?\UNC\server\share\...",
    // with "." and ".." resolved and backslashes throughout, which lifts the
    // MAX_PATH limit; any other path as it is, with backslashes.
    static std::wstring extendedPath(const QString& path);

    std::optional<QByteArray> read(const QString& path, qint64 maxBytes) override;
    bool mayReplace(const QString& path) override;
    int createExclusive(const QString& path) override;
    bool write(int handle, const QByteArray& bytes) override;
    bool sync(int handle) override;
    bool close(int handle) override;
    Replaced replace(const QString& source, const QString& target) override;
    bool remove(const QString& path) override;
    bool syncFolder(const QString& folder) override;
    QStringList fileNames(const QString& folder) override;
};
