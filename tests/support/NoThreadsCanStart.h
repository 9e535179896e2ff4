#pragma once

#include <pthread.h>

#include <cstddef>

// While one lives, no new thread of the process can start: each would need a
// stack larger than the address space, as when the process has run out of
// threads or memory. Threads already running go on. Linux only.
class NoThreadsCanStart
{
public:
    NoThreadsCanStart()
    {
        m_saved = pthread_getattr_default_np(&m_previous) == 0;
        pthread_attr_t huge;
        if (!m_saved || pthread_attr_init(&huge) != 0)
            return;
        m_active = pthread_attr_setstacksize(&huge, std::size_t(1) << 50) == 0
                   && pthread_setattr_default_np(&huge) == 0;
        pthread_attr_destroy(&huge);
    }
    ~NoThreadsCanStart()
    {
        if (m_active)
            pthread_setattr_default_np(&m_previous);
        if (m_saved)
            pthread_attr_destroy(&m_previous);
    }
    NoThreadsCanStart(const NoThreadsCanStart&) = delete;
    NoThreadsCanStart& operator=(const NoThreadsCanStart&) = delete;

    bool isActive() const { return m_active; }

private:
    pthread_attr_t m_previous;
    bool m_saved = false;
    bool m_active = false;
};
