#pragma once

#include "platform/SpeechObject.h"

#include <memory>

// The speech object the program is given on Windows. The object behind it is
// made at its first call, which the speech channel makes on the window's
// thread: COM objects belong to the apartment of the thread that made them,
// and the program's factory may run on another.
//
// The screen reader's own object comes first. When its class is not
// registered, SAPI speaks in its place; when the class is registered but the
// object fails, nothing does, as the screen reader's failure switches speech
// off.
class WindowsSpeechObject : public SpeechObject
{
public:
    int Speak(const QString& text, int flags) override;
    int Interrupt() override;
    int Configure(int value) override;
    int WaitDone() override;
    bool standsInForScreenReader() const override;
    bool announcesBesideScreenReader() const override;

private:
    SpeechObject* backEnd();

    bool m_opened = false;
    std::unique_ptr<SpeechObject> m_backEnd;
};
