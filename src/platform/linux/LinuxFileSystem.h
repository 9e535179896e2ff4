#pragma once

#include "platform/FileSystem.h"

// Reading and the save steps over POSIX calls. Handles are file descriptors.
class LinuxFileSystem : public FileSystem
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
