#pragma once

#include "platform/FileSystem.h"

// The save steps over the wide-character file functions, so that folder and
// file names outside the system code page (a Japanese folder on an English
// Windows) work. Handles are C runtime descriptors wrapping the file handle.
class WindowsFileSystem : public FileSystem
{
public:
    bool mayReplace(const QString& path) override;
    int createExclusive(const QString& path) override;
    bool write(int handle, const QByteArray& bytes) override;
    bool sync(int handle) override;
    bool close(int handle) override;
    bool rename(const QString& source, const QString& target) override;
    bool remove(const QString& path) override;
    bool syncFolder(const QString& folder) override;
};
