#include "account/AcdFile.h"

#include "account/AcdFormat.h"
#include "platform/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

namespace {

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

// A save killed half-way leaves its temporary file, password included; the
// next successful save of the same file clears such remains away.
void removeStaleTemporaries(const QString& path, FileSystem& fs)
{
    const QString folder = folderOf(path);
    const QRegularExpression pattern(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(temporaryStem(path)) + QStringLiteral("\\.[a-z0-9]{%1}\\.tmp").arg(SuffixLength)));
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        if (pattern.match(name).hasMatch())
            fs.remove(folder + u'/' + name);
    }
}

} // namespace

AcdWriteResult writeAcdFile(const QString& path, const QByteArray& bytes, FileSystem& fs)
{
    if (path.isEmpty() || path.endsWith(u'/'))
        return {};
    if (!fs.mayReplace(path))
        return {};
    const QString temporary = temporaryPathFor(path);
    const int handle = fs.createExclusive(temporary);
    if (handle < 0)
        return {};
    const AcdWriteResult failedAfterCreating{true, false, {}};

    if (!fs.write(handle, bytes) || !fs.sync(handle)) {
        fs.close(handle);
        fs.remove(temporary);
        return failedAfterCreating;
    }
    if (!fs.close(handle) || !fs.rename(temporary, path)) {
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

std::optional<QByteArray> readAcdFileBytes(const QString& path)
{
    // Checked before opening: opening a FIFO for reading waits for a writer.
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile() || info.size() > MaxAcdFileBytes)
        return std::nullopt;

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return std::nullopt;
    // The size may have changed since the check; never take in more than the
    // limit, whatever the file does now.
    QByteArray bytes;
    char buffer[64 * 1024];
    for (;;) {
        const qint64 got = file.read(buffer, sizeof buffer);
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        if (bytes.size() + got > MaxAcdFileBytes)
            return std::nullopt;
        bytes.append(buffer, got);
    }
    return bytes;
}

AcdWriteResult saveAcdFile(const QString& path, Acd& acd, FileSystem& fs)
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
    const AcdWriteResult result = writeAcdFile(path, *bytes, fs);
    if (result.created)
        acd.Title = saved.Title;
    return result;
}

bool loadAcdFile(const QString& path, Acd& acd)
{
    const std::optional<QByteArray> bytes = readAcdFileBytes(path);
    return bytes && readAcdInto(*bytes, acd);
}
