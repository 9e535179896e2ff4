#pragma once

#include "platform/FileSystem.h"

#include <QSet>
#include <array>

// Wraps a real file system and makes chosen steps fail, the way a failing
// disk, a full disk or a vanished folder would, while everything else really
// happens on disk. Counts calls and open handles so a test can tell that
// nothing leaked.
class FaultyFileSystem : public FileSystem
{
public:
    enum class Step { Create, Write, Sync, Close, Rename, Remove, SyncFolder, Count };

    explicit FaultyFileSystem(FileSystem& real) : m_real(real) {}

    // The n-th call of step from now on (1 = the next one) fails; with sticky,
    // every later call of that step fails too. A failing write first writes
    // half of its bytes, as a write that dies half-way does.
    void failCall(Step step, int n, bool sticky = false);
    // Room for this many more bytes: a write that does not fit writes what fits
    // and fails, as on a full disk. Negative: no limit.
    void setDiskSpace(qint64 bytes) { m_space = bytes; }
    // Syncs answer success without reaching the disk, so loops stay fast.
    void setRealSync(bool real) { m_realSync = real; }
    void reset();

    int calls(Step step) const { return m_calls[index(step)]; }
    // Failures actually injected so far (disk-full writes included).
    int injectedFailures() const { return m_injected; }
    int openHandles() const { return int(m_open.size()); }

    bool mayReplace(const QString& path) override { return m_real.mayReplace(path); }
    int createExclusive(const QString& path) override;
    bool write(int handle, const QByteArray& bytes) override;
    bool sync(int handle) override;
    bool close(int handle) override;
    bool rename(const QString& source, const QString& target) override;
    bool remove(const QString& path) override;
    bool syncFolder(const QString& folder) override;

private:
    static int index(Step step) { return int(step); }
    // Counts the call and answers whether it is to fail.
    bool countAndCheck(Step step);

    FileSystem& m_real;
    std::array<int, int(Step::Count)> m_calls{};
    std::array<int, int(Step::Count)> m_failAt{};
    std::array<bool, int(Step::Count)> m_sticky{};
    qint64 m_space = -1;
    bool m_realSync = true;
    int m_injected = 0;
    QSet<int> m_open;
};
