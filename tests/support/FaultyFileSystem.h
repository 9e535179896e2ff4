#pragma once

#include <memory>

#include "platform/FileSystem.h"

#include <QSet>
#include <array>
#include <condition_variable>
#include <mutex>

// Wraps a real file system and makes chosen steps fail, the way a failing
// disk, a full disk or a vanished folder would, or hang, as on a network
// folder whose server stopped answering, while everything else really
// happens on disk. Counts calls and open handles so a test can tell that
// nothing leaked. The program calls it from a thread of its own.
class FaultyFileSystem : public FileSystem
{
public:
    enum class Step { Read, Create, Write, Sync, Close, Replace, Remove, SyncFolder, Count };

    // Keeps a share of the real one: file work left behind by a bound that ran
    // out may still call it after the test has let go.
    explicit FaultyFileSystem(std::shared_ptr<FileSystem> real) : m_realOwned(std::move(real)), m_real(*m_realOwned) {}
    explicit FaultyFileSystem(FileSystem& real) : m_real(real) {}
    ~FaultyFileSystem() override { release(); }

    // The n-th call of step from now on (1 = the next one) fails; with sticky,
    // every later call of that step fails too. A failing write first writes
    // half of its bytes, as a write that dies half-way does.
    void failCall(Step step, int n, bool sticky = false);
    // The n-th call of step from now on waits until release(), then goes on.
    void holdCall(Step step, int n);
    void release();
    // True while a held call waits.
    bool isHolding() const;
    // The next `times` replaces answer that the target is busy, touching nothing.
    void answerBusy(int times);
    // Room for this many more bytes: a write that does not fit writes what fits
    // and fails, as on a full disk. Negative: no limit.
    void setDiskSpace(qint64 bytes);
    // Syncs answer success without reaching the disk, so loops stay fast.
    void setRealSync(bool real);
    void reset();

    int calls(Step step) const;
    // Failures actually injected so far (disk-full writes included).
    int injectedFailures() const;
    int openHandles() const;

    std::optional<QByteArray> read(const QString& path, qint64 maxBytes) override;
    bool mayReplace(const QString& path) override { return m_real.mayReplace(path); }
    int createExclusive(const QString& path) override;
    bool write(int handle, const QByteArray& bytes) override;
    bool sync(int handle) override;
    bool close(int handle) override;
    Replaced replace(const QString& source, const QString& target) override;
    bool remove(const QString& path) override;
    bool syncFolder(const QString& folder) override;
    QStringList fileNames(const QString& folder) override { return m_real.fileNames(folder); }

private:
    static int index(Step step) { return int(step); }
    // Counts the call, waits while it is held, and answers whether it is to fail.
    bool countAndCheck(Step step);

    std::shared_ptr<FileSystem> m_realOwned;
    FileSystem& m_real;
    mutable std::mutex m_mutex;
    std::condition_variable m_released;
    std::array<int, int(Step::Count)> m_calls{};
    std::array<int, int(Step::Count)> m_failAt{};
    std::array<bool, int(Step::Count)> m_sticky{};
    std::array<int, int(Step::Count)> m_holdAt{};
    bool m_holding = false;
    int m_busy = 0;
    qint64 m_space = -1;
    bool m_realSync = true;
    int m_injected = 0;
    QSet<int> m_open;
};
