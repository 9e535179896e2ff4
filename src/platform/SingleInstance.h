#pragma once

#include <QString>
#include <functional>

// One running copy of the program per user session. The first start becomes
// the primary and is told when a later start wants it in front; a later start
// hands over and ends once the primary has answered.
class SingleInstance
{
public:
    virtual ~SingleInstance() = default;

    // True when this process is the first; it then listens for later starts.
    virtual bool becomePrimary() = 0;
    // Called by a later start: asks the primary to come to the front. True
    // once it answered that it did; false when none answered in time, as when
    // the primary was ending: becomePrimary() may then succeed.
    virtual bool activatePrimary() = 0;
    // Runs on the primary whenever a later start asked for it.
    virtual void setActivationHandler(std::function<void()> handler) = 0;

    // A start's part: true when it is to open the window, false when a
    // running window answered and this start is to end.
    bool becomePrimaryOrHandOver();
};
