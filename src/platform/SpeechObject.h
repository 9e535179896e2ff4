#pragma once

#include <QString>
#include <functional>
#include <memory>

// The screen reader's speech object as the program sees it: four calls, each
// returning a status where a negative value means the call failed.
class SpeechObject
{
public:
    virtual ~SpeechObject() = default;

    // Queues the text behind what is already being spoken and returns at once.
    virtual int Speak(const QString& text, int flags) = 0;
    // Stops this program's own speech so that the next text is heard at once.
    virtual int Interrupt() = 0;
    virtual int Configure(int value) = 0;
    // Returns when everything given to Speak so far has been spoken (0), or,
    // with speech still going on, after a bound that keeps the window from
    // hanging (a positive value: not a failure).
    virtual int WaitDone() = 0;
};

// Creates the speech object; an empty pointer means it could not be created.
using SpeechObjectFactory = std::function<std::unique_ptr<SpeechObject>()>;
