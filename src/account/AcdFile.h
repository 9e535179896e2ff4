#pragma once

#include "account/AcdFormat.h"

#include <QByteArray>
#include <QString>
#include <chrono>
#include <memory>
#include <optional>

class FileSystem;
class FileWorkGate;

// Account files are a few hundred bytes; anything past this is not one, and
// reading it whole would only cost memory and time.
inline constexpr qint64 MaxAcdFileBytes = 16 * 1024 * 1024;

// What a save came to. True when the new content stands complete at the path;
// created tells whether the new file came into being at all (the save got as
// far as writing), whatever happened after.
struct AcdWriteResult {
    bool created = false;
    bool written = false;
    // Set when the save failed because a value holds a character the file
    // cannot: the first one, so the user can be told where it is.
    std::optional<UnwritableCharacter> unwritable;
    operator bool() const { return written; }
};

// Writes bytes to path so that the path holds either its previous content or
// all of the new one, whatever fails and whenever the process dies: a target
// the file system says not to replace (write-protected, or not the user's to
// write) is left alone and nothing is created; otherwise a new
// file (owner-only, created exclusively) in the same folder is written,
// synced and closed, then put in the target's place; a target held for a
// moment by another program is tried again, five times within about a
// second. On failure the new file is removed; the previous file is left as it
// was. Watched through gate, the new file is never put in place once the
// waiting window has given up.
AcdWriteResult writeAcdFile(const QString& path, const QByteArray& bytes, FileSystem& fs,
                            FileWorkGate* gate = nullptr);

// The whole content of the regular file at path (FileSystem::read), or
// nothing; never more than MaxAcdFileBytes.
std::optional<QByteArray> readAcdFileBytes(const QString& path, FileSystem& fs);

// Saves the record to path: the Title rule on a copy, the bytes, the write.
// A character the file cannot hold is a failed save, not a silent substitute;
// the result names the first one. One in a Title the rule took from the
// sender name is named as the sender name's, where the user typed it.
// The blank Title takes the sender name in acd once the file has been created,
// and keeps it even when writing then fails; a save that never got a file
// leaves it blank, so a later save takes the name as it is then.
//
// The file work runs on a thread of its own, and the caller waits for it no
// longer than bound: a hung network folder would otherwise hold the window
// for good. Past the bound the save has failed, and the file is left as it
// was. The caller does nothing else meanwhile, so nothing it would say or
// show comes out of order.
AcdWriteResult saveAcdFile(const QString& path, Acd& acd, std::shared_ptr<FileSystem> fs,
                           std::chrono::milliseconds bound);

// Reads the file at path into acd. False when it cannot be read, also not
// within bound (acd is left as it was), or holds a number out of range (acd
// is then partly loaded, as readAcdInto leaves it). The reading runs and is
// waited for as saveAcdFile's writing is.
bool loadAcdFile(const QString& path, Acd& acd, std::shared_ptr<FileSystem> fs, std::chrono::milliseconds bound);
