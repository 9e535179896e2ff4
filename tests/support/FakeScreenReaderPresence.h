#pragma once

#include "platform/ScreenReaderPresence.h"

// Answers what the test declares and counts the questions.
class FakeScreenReaderPresence : public ScreenReaderPresence
{
public:
    explicit FakeScreenReaderPresence(bool isRunning) : running(isRunning) {}

    bool running;
    int asked = 0;

    bool isRunning() override
    {
        ++asked;
        return running;
    }
};
