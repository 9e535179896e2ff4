#include "FaultyFileSystem.h"

#include <utility>

void FaultyFileSystem::failCall(Step step, int n, bool sticky)
{
    std::lock_guard lock(m_mutex);
    m_failAt[index(step)] = m_calls[index(step)] + n;
    m_sticky[index(step)] = sticky;
}

void FaultyFileSystem::holdCall(Step step, int n)
{
    std::lock_guard lock(m_mutex);
    m_holdAt[index(step)] = m_calls[index(step)] + n;
}

void FaultyFileSystem::release()
{
    std::lock_guard lock(m_mutex);
    m_holdAt = {};
    m_holding = false;
    m_released.notify_all();
}

bool FaultyFileSystem::isHolding() const
{
    std::lock_guard lock(m_mutex);
    return m_holding;
}

void FaultyFileSystem::answerBusy(int times)
{
    std::lock_guard lock(m_mutex);
    m_busy = times;
}

void FaultyFileSystem::setDiskSpace(qint64 bytes)
{
    std::lock_guard lock(m_mutex);
    m_space = bytes;
}

void FaultyFileSystem::setRealSync(bool real)
{
    std::lock_guard lock(m_mutex);
    m_realSync = real;
}

void FaultyFileSystem::reset()
{
    std::lock_guard lock(m_mutex);
    m_calls = {};
    m_failAt = {};
    m_sticky = {};
    m_space = -1;
    m_busy = 0;
    m_injected = 0;
}

int FaultyFileSystem::calls(Step step) const
{
    std::lock_guard lock(m_mutex);
    return m_calls[index(step)];
}

int FaultyFileSystem::injectedFailures() const
{
    std::lock_guard lock(m_mutex);
    return m_injected;
}

int FaultyFileSystem::openHandles() const
{
    std::lock_guard lock(m_mutex);
    return int(m_open.size());
}

bool FaultyFileSystem::countAndCheck(Step step)
{
    std::unique_lock lock(m_mutex);
    const int i = index(step);
    const int call = ++m_calls[i];
    if (call == m_holdAt[i]) {
        m_holding = true;
        m_released.wait(lock, [this] { return !m_holding; });
    }
    const bool fail = m_failAt[i] > 0 && (call == m_failAt[i] || (m_sticky[i] && call > m_failAt[i]));
    if (fail)
        ++m_injected;
    return fail;
}

std::optional<QByteArray> FaultyFileSystem::read(const QString& path, qint64 maxBytes)
{
    if (countAndCheck(Step::Read))
        return std::nullopt;
    return m_real.read(path, maxBytes);
}

int FaultyFileSystem::createExclusive(const QString& path)
{
    if (countAndCheck(Step::Create))
        return -1;
    const int handle = m_real.createExclusive(path);
    std::lock_guard lock(m_mutex);
    if (handle >= 0)
        m_open.insert(handle);
    return handle;
}

bool FaultyFileSystem::write(int handle, const QByteArray& bytes)
{
    if (countAndCheck(Step::Write)) {
        m_real.write(handle, bytes.left(bytes.size() / 2));
        return false;
    }
    std::unique_lock lock(m_mutex);
    if (m_space >= 0 && bytes.size() > m_space) {
        ++m_injected;
        const qint64 fits = std::exchange(m_space, 0);
        lock.unlock();
        m_real.write(handle, bytes.left(fits));
        return false;
    }
    if (m_space >= 0)
        m_space -= bytes.size();
    lock.unlock();
    return m_real.write(handle, bytes);
}

bool FaultyFileSystem::sync(int handle)
{
    if (countAndCheck(Step::Sync))
        return false;
    std::unique_lock lock(m_mutex);
    const bool real = m_realSync;
    lock.unlock();
    return real ? m_real.sync(handle) : true;
}

bool FaultyFileSystem::close(int handle)
{
    const bool fail = countAndCheck(Step::Close);
    {
        // A close that reports an error has still released the handle.
        std::lock_guard lock(m_mutex);
        m_open.remove(handle);
    }
    const bool closed = m_real.close(handle);
    return closed && !fail;
}

FileSystem::Replaced FaultyFileSystem::replace(const QString& source, const QString& target)
{
    if (countAndCheck(Step::Replace))
        return Replaced::Failed;
    {
        std::lock_guard lock(m_mutex);
        if (m_busy > 0) {
            --m_busy;
            return Replaced::Busy;
        }
    }
    return m_real.replace(source, target);
}

bool FaultyFileSystem::remove(const QString& path)
{
    if (countAndCheck(Step::Remove))
        return false;
    return m_real.remove(path);
}

bool FaultyFileSystem::syncFolder(const QString& folder)
{
    if (countAndCheck(Step::SyncFolder))
        return false;
    std::unique_lock lock(m_mutex);
    const bool real = m_realSync;
    lock.unlock();
    return real ? m_real.syncFolder(folder) : true;
}
