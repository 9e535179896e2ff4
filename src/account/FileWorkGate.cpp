#include "account/FileWorkGate.h"

bool FileWorkGate::beginCommit()
{
    State running = State::Running;
    return m_state.compare_exchange_strong(running, State::Committing);
}

void FileWorkGate::endCommit(bool done)
{
    m_state = done ? State::Committed : State::Running;
}

void FileWorkGate::noteCreated()
{
    m_created = true;
}

bool FileWorkGate::giveUp()
{
    State running = State::Running;
    return m_state.compare_exchange_strong(running, State::Abandoned) || running == State::Abandoned;
}

bool FileWorkGate::hasCommitted() const
{
    return m_state == State::Committed;
}

bool FileWorkGate::wasCreated() const
{
    return m_created;
}
