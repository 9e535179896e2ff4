#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

// The file operations reading and saving an account are made of, one call per
// step, so that a test can make any step fail, hang or answer "busy". Every
// path of an account file goes through here, so that a system that must spell
// its paths in a form of its own does it in one place. Each answers false
// (or -1, or nothing) on failure. Calls may come from a thread of their own.
class FileSystem
{
public:
    // What replacing a file came to. Busy: something else holds the target
    // for a moment (a virus scanner, a search indexer), and trying again a
    // little later may succeed; the caller decides how often.
    enum class Replaced { Done, Busy, Failed };

    virtual ~FileSystem() = default;

    // The whole content of the regular file at path, or nothing when it cannot
    // be opened or read, is not a regular file (a folder, a FIFO, a device:
    // these are refused before opening, so nothing blocks), or is larger than
    // maxBytes.
    virtual std::optional<QByteArray> read(const QString& path, qint64 maxBytes) = 0;

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
    // Puts source in target's place in one step; on failure target is left
    // as it was.
    virtual Replaced replace(const QString& source, const QString& target) = 0;
    virtual bool remove(const QString& path) = 0;
    // Makes a finished replace durable (sync of the folder).
    virtual bool syncFolder(const QString& folder) = 0;
    // The names of the files in folder, hidden ones included; empty when it
    // cannot be listed.
    virtual QStringList fileNames(const QString& folder) = 0;
};
