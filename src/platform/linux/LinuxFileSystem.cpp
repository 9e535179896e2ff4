#include "platform/linux/LinuxFileSystem.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::optional<QByteArray> LinuxFileSystem::read(const QString& path, qint64 maxBytes)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    // Checked before opening: opening a FIFO for reading waits for a writer.
    if (::stat(name.constData(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > maxBytes)
        return std::nullopt;
    // Should a FIFO have taken the file's place since, O_NONBLOCK keeps the
    // open from waiting and the check below refuses it.
    int fd;
    do {
        fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return std::nullopt;
    std::optional<QByteArray> bytes;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        // The size may have changed since the check; never take in more than
        // the limit, whatever the file does now.
        QByteArray content;
        char buffer[64 * 1024];
        for (;;) {
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0 || content.size() + got > maxBytes)
                break;
            if (got == 0) {
                bytes = std::move(content);
                break;
            }
            content.append(buffer, got);
        }
    }
    ::close(fd);
    return bytes;
}

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

FileSystem::Replaced LinuxFileSystem::replace(const QString& source, const QString& target)
{
    // Nothing on Linux holds a file against a rename: no "busy" here.
    return ::rename(QFile::encodeName(source).constData(), QFile::encodeName(target).constData()) == 0
               ? Replaced::Done
               : Replaced::Failed;
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

QStringList LinuxFileSystem::fileNames(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
}
