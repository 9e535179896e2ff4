#pragma once

#include "readermode/ScreenReaderMode.h"
#include "account/Acd.h"
#include "platform/Platform.h"
#include "speech/SpeechChannel.h"

#include <future>
#include <memory>

class FormSupport;

// The state that lives for the whole run (the account record, the speech
// channel, the outside world) and the start-up that creates it in order.
class Program
{
public:
    explicit Program(Platform platform);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // False when another copy already runs: it came to the front when asked
    // and said so, and this one created no window and no speech object. Otherwise
    // the main window is shown with the focus in its first field.
    bool start();

    FormSupport* window() const { return m_form.get(); }
    // Reading Qt's boxes, dialogs and menus aloud, when no screen reader does.
    bool readsInterface() const { return m_mode.readsInterface(); }
    // What the program last learned: a screen reader runs, and the program
    // leaves it the words of every focus move.
    bool followsScreenReader() const { return m_mode.screenReaderRuns(); }
    SpeechChannel& speech() { return m_speech; }
    Acd& acd() { return m_acd; }

private:
    void openSpeechEarly();
    void followScreenReader(bool runs);
    void askAgainWhetherScreenReaderRuns();

    Platform m_platform;
    SpeechChannel m_speech;
    Acd m_acd;
    std::unique_ptr<FormSupport> m_form;
    // Goes before the window, so no event of the window's end reaches its reader.
    ScreenReaderMode m_mode{m_speech};
    // The question asked again when the window is activated, on a thread of
    // its own so that the window never waits for the desktop's answer.
    std::future<void> m_pendingQuestion;
};
