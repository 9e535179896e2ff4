#pragma once

#include <QByteArray>
#include <QString>

// The file operations a save is made of, one call per step, so that a test can
// make any step fail. Each answers false (or -1) on failure.
class FileSystem
{
public:
    virtual ~FileSystem() = default;

    // Whether a save may put a new file where path is. False for a file that
    // has no write bit at all (the user protected it, and even root leaves it
    // alone) or that the user may not write: the folder's permission alone
    // would let the rename replace another user's file. True when nothing is
    // there, or when only the later steps can tell.
    virtual bool mayReplace(const QString& path) = 0;

    // Creates a new file that must not exist yet (O_EXCL), readable and
    // writable by the owner only. Answers a handle, or -1.
    virtual int createExclusive(const QString& path) = 0;
    virtual bool write(int handle, const QByteArray& bytes) = 0;
    virtual bool sync(int handle) = 0;
    virtual bool close(int handle) = 0;
    // Replaces target by source in one step.
    virtual bool rename(const QString& source, const QString& target) = 0;
    virtual bool remove(const QString& path) = 0;
    // Makes a finished rename durable (sync of the folder).
    virtual bool syncFolder(const QString& folder) = 0;
};
