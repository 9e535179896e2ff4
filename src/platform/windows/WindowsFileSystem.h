#pragma once

#include "platform/FileSystem.h"

// The save steps over the wide-character file functions, so that folder and
// file names outside the system code page (a Japanese folder on an English
// Windows) work. Handles are C runtime descriptors wrapping the file handle.
// Reading and listing a folder go through Qt's files, which take any name.
class WindowsFileSystem : public FileSystem
{
public:
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
