#pragma once

#include "platform/FileSystem.h"

// The save steps over POSIX calls. Handles are file descriptors.
class LinuxFileSystem : public FileSystem
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
