#include "account/AcdFile.h"

#include "account/AcdFormat.h"
#include "account/BoundedRun.h"
#include "account/FileWorkGate.h"
#include "platform/FileSystem.h"

#include <QRandomGenerator>

#include <thread>

namespace {

// A file another program holds for a moment (a virus scanner, a search
// indexer) is tried again this often, within about a second.
constexpr int ReplaceRetries = 5;
constexpr std::chrono::milliseconds ReplaceRetryPause{200};

// Cut at the last "/": the new file has to live in the target's own folder,
// or the rename would be a copy across file systems and no longer atomic.
QString folderOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0)
        return QStringLiteral(".");
    if (slash == 0)
        return QStringLiteral("/");
    return path.left(slash);
}

constexpr int SuffixLength = 10;

// The target's name, shortened so that the temporary name stays within the
// 255 bytes a file name may have even when the target's own name nearly
// fills them (60 characters are at most 180 bytes of UTF-8).
QString temporaryStem(const QString& path)
{
    QString name = path.mid(path.lastIndexOf(u'/') + 1);
    if (name.size() > 60) {
        name.truncate(60);
        if (name.back().isHighSurrogate())
            name.chop(1);
    }
    return u'.' + name;
}

// ".<name>.<random>.tmp" beside the target: hidden, and never an ".acd" name
// the file dialogs would offer.
QString temporaryPathFor(const QString& path)
{
    static constexpr char16_t letters[] = u"abcdefghijklmnopqrstuvwxyz0123456789";
    QString suffix;
    for (int i = 0; i < SuffixLength; ++i)
        suffix += QChar(letters[QRandomGenerator::global()->bounded(int(std::size(letters) - 1))]);
    return path.left(path.lastIndexOf(u'/') + 1) + temporaryStem(path) + u'.' + suffix + QStringLiteral(".tmp");
}

// Whether name is one of temporaryPathFor's for a target whose stem is stem.
// Matched by hand: this runs on a thread of the file work's own, where Qt's
// regular expressions would give that thread Qt's per-thread data, which
// Windows builds tear down from a watcher thread that a detached thread
// outlives.
bool isTemporaryName(const QString& name, const QString& stem)
{
    const QString tail = QStringLiteral(".tmp");
    if (name.size() != stem.size() + 1 + SuffixLength + tail.size() || !name.startsWith(stem) ||
        name.at(stem.size()) != u'.' || !name.endsWith(tail))
        return false;
    for (const QChar c : QStringView(name).mid(stem.size() + 1, SuffixLength)) {
        if (!((c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9')))
            return false;
    }
    return true;
}

// A save killed half-way leaves its temporary file, password included; the
// next successful save of the same file clears such remains away.
void removeStaleTemporaries(const QString& path, FileSystem& fs)
{
    const QString folder = folderOf(path);
    const QString stem = temporaryStem(path);
    const QStringList names = fs.fileNames(folder);
    for (const QString& name : names) {
        if (isTemporaryName(name, stem))
            fs.remove(folder + u'/' + name);
    }
}

bool replaceTarget(const QString& temporary, const QString& path, FileSystem& fs, FileWorkGate& gate)
{
    for (int retry = 0;; ++retry) {
        if (!gate.beginCommit())
            return false;
        const FileSystem::Replaced replaced = fs.replace(temporary, path);
        gate.endCommit(replaced == FileSystem::Replaced::Done);
        if (replaced != FileSystem::Replaced::Busy || retry == ReplaceRetries)
            return replaced == FileSystem::Replaced::Done;
        std::this_thread::sleep_for(ReplaceRetryPause);
    }
}

} // namespace

AcdWriteResult writeAcdFile(const QString& path, const QByteArray& bytes, FileSystem& fs, FileWorkGate* gate)
{
    FileWorkGate unwatched;
    FileWorkGate& watched = gate ? *gate : unwatched;
    if (path.isEmpty() || path.endsWith(u'/'))
        return {};
    if (!fs.mayReplace(path))
        return {};
    const QString temporary = temporaryPathFor(path);
    const int handle = fs.createExclusive(temporary);
    if (handle < 0)
        return {};
    watched.noteCreated();
    const AcdWriteResult failedAfterCreating{true, false, {}};

    if (!fs.write(handle, bytes) || !fs.sync(handle)) {
        fs.close(handle);
        fs.remove(temporary);
        return failedAfterCreating;
    }
    if (!fs.close(handle) || !replaceTarget(temporary, path, fs, watched)) {
        fs.remove(temporary);
        return failedAfterCreating;
    }
    // The new content is complete and in place; a folder that cannot be
    // synced (some file systems refuse it) only leaves the rename less
    // durable, and calling the save failed would misreport what is on disk.
    fs.syncFolder(folderOf(path));
    removeStaleTemporaries(path, fs);
    return {true, true, {}};
}

std::optional<QByteArray> readAcdFileBytes(const QString& path, FileSystem& fs)
{
    return fs.read(path, MaxAcdFileBytes);
}

AcdWriteResult saveAcdFile(const QString& path, Acd& acd, std::shared_ptr<FileSystem> fs,
                           std::chrono::milliseconds bound)
{
    Acd saved = acd;
    applyTitleRule(saved);
    const std::optional<QByteArray> bytes = formatAcd(saved);
    if (!bytes) {
        AcdWriteResult failed;
        failed.unwritable = firstUnwritableCharacter(saved);
        if (failed.unwritable && failed.unwritable->field == &Acd::Title && isBlank(acd.Title))
            failed.unwritable->field = &Acd::FromName;
        return failed;
    }
    auto gate = std::make_shared<FileWorkGate>();
    const std::optional<AcdWriteResult> written = runBounded<AcdWriteResult>(
        [path, bytes = *bytes, fs, gate] { return writeAcdFile(path, bytes, *fs, gate.get()); }, bound);
    AcdWriteResult result;
    if (written) {
        result = *written;
    } else {
        // A replace under way when the bound ran out may still happen; the
        // file then holds all of the new content, never part of it.
        result.written = !gate->giveUp() && gate->hasCommitted();
        result.created = gate->wasCreated();
    }
    if (result.created)
        acd.Title = saved.Title;
    return result;
}

bool loadAcdFile(const QString& path, Acd& acd, std::shared_ptr<FileSystem> fs, std::chrono::milliseconds bound)
{
    const std::optional<std::optional<QByteArray>> bytes =
        runBounded<std::optional<QByteArray>>([path, fs] { return readAcdFileBytes(path, *fs); }, bound);
    return bytes && *bytes && readAcdInto(**bytes, acd);
}
