#include "platform/linux/LinuxFileSystem.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool LinuxFileSystem::mayReplace(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    // Nothing there, or nothing we may look at: creating the new file or the
    // rename will tell.
    if (::stat(name.constData(), &st) != 0)
        return true;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return false;
    // The effective ids are the ones the rename acts with; ACLs count too.
    return ::faccessat(AT_FDCWD, name.constData(), W_OK, AT_EACCESS) == 0;
}

int LinuxFileSystem::createExclusive(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    int fd;
    do {
        fd = ::open(name.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC | O_NOCTTY, 0600);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return -1;
    // The file holds the mail password: owner only, whatever the umask says.
    // Where the file system has no permissions (a FAT floppy) this fails harmlessly.
    ::fchmod(fd, 0600);
    return fd;
}

bool LinuxFileSystem::write(int handle, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    size_t left = static_cast<size_t>(bytes.size());
    while (left > 0) {
        const ssize_t written = ::write(handle, data, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (written == 0)
            return false; // no progress and no error: give up rather than spin
        data += written;
        left -= static_cast<size_t>(written);
    }
    return true;
}

bool LinuxFileSystem::sync(int handle)
{
    int result;
    do {
        result = ::fsync(handle);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

bool LinuxFileSystem::close(int handle)
{
    // On Linux the descriptor is gone even when close reports EINTR; closing
    // it again could close someone else's.
    return ::close(handle) == 0 || errno == EINTR;
}

bool LinuxFileSystem::rename(const QString& source, const QString& target)
{
    return ::rename(QFile::encodeName(source).constData(), QFile::encodeName(target).constData()) == 0;
}

bool LinuxFileSystem::remove(const QString& path)
{
    return ::unlink(QFile::encodeName(path).constData()) == 0;
}

bool LinuxFileSystem::syncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    int result;
    do {
        result = ::fsync(fd);
    } while (result != 0 && errno == EINTR);
    // Some file systems cannot sync a folder at all; that is no failure of ours.
    const bool ok = result == 0 || errno == EINVAL || errno == EROFS || errno == ENOTSUP;
    ::close(fd);
    return ok;
}
