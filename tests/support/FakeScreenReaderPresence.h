#pragma once

#include "platform/ScreenReaderPresence.h"

#include <atomic>

// Answers what the test declares and counts the questions.
class FakeScreenReaderPresence : public ScreenReaderPresence
{
public:
    explicit FakeScreenReaderPresence(bool isRunning) : answer(from(isRunning)) {}

    static ScreenReaderAnswer from(bool running)
    {
        return running ? ScreenReaderAnswer::Runs : ScreenReaderAnswer::None;
    }

    std::atomic<ScreenReaderAnswer> answer;
    std::atomic<int> asked = 0;

    ScreenReaderAnswer ask() override
    {
        ++asked;
        return answer;
    }
};
