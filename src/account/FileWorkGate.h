#pragma once

#include <atomic>

// Between file work on a thread of its own and the window that waits for it
// only so long. Work the window has given up on goes on alone (a hung network
// folder may let it finish much later) but must no longer put its result in
// place: the user has been told it failed. The one step that would (replacing
// the target) asks first, and while that step runs the window cannot give up
// on it.
class FileWorkGate
{
public:
    // The work, right before that step: false once the window has given up.
    bool beginCommit();
    // The work, right after it: whether the result is now in place.
    void endCommit(bool done);
    // The work: its new file exists.
    void noteCreated();

    // The window, at its bound: true when the work now never puts its result
    // in place; false when it did, or is in the middle of doing so.
    bool giveUp();
    bool hasCommitted() const;
    bool wasCreated() const;

private:
    enum class State { Running, Committing, Committed, Abandoned };
    std::atomic<State> m_state{State::Running};
    std::atomic<bool> m_created{false};
};
