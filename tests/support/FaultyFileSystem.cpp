#include "FaultyFileSystem.h"

void FaultyFileSystem::failCall(Step step, int n, bool sticky)
{
    m_failAt[index(step)] = m_calls[index(step)] + n;
    m_sticky[index(step)] = sticky;
}

void FaultyFileSystem::reset()
{
    m_calls = {};
    m_failAt = {};
    m_sticky = {};
    m_space = -1;
    m_injected = 0;
}

bool FaultyFileSystem::countAndCheck(Step step)
{
    const int i = index(step);
    const int call = ++m_calls[i];
    const bool fail = m_failAt[i] > 0 && (call == m_failAt[i] || (m_sticky[i] && call > m_failAt[i]));
    if (fail)
        ++m_injected;
    return fail;
}

int FaultyFileSystem::createExclusive(const QString& path)
{
    if (countAndCheck(Step::Create))
        return -1;
    const int handle = m_real.createExclusive(path);
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
    if (m_space >= 0 && bytes.size() > m_space) {
        ++m_injected;
        m_real.write(handle, bytes.left(m_space));
        m_space = 0;
        return false;
    }
    if (m_space >= 0)
        m_space -= bytes.size();
    return m_real.write(handle, bytes);
}

bool FaultyFileSystem::sync(int handle)
{
    if (countAndCheck(Step::Sync))
        return false;
    return m_realSync ? m_real.sync(handle) : true;
}

bool FaultyFileSystem::close(int handle)
{
    const bool fail = countAndCheck(Step::Close);
    // A close that reports an error has still released the handle.
    m_open.remove(handle);
    const bool closed = m_real.close(handle);
    return closed && !fail;
}

bool FaultyFileSystem::rename(const QString& source, const QString& target)
{
    if (countAndCheck(Step::Rename))
        return false;
    return m_real.rename(source, target);
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
    return m_realSync ? m_real.syncFolder(folder) : true;
}
