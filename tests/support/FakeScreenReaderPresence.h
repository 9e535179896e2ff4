#pragma once

#include "platform/ScreenReaderPresence.h"

#include <atomic>

// Answers what the test declares and counts the questions.
class FakeScreenReaderPresence : public ScreenReaderPresence
{
public:
    explicit FakeScreenReaderPresence(bool isRunning) : running(isRunning) {}

    std::atomic<bool> running;
    std::atomic<int> asked = 0;

    bool isRunning() override
    {
        ++asked;
        return running;
    }
};
