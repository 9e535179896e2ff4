#pragma once

#include "platform/SpeechObject.h"

#include <QString>
#include <memory>

// The one channel every window speaks through. Once the speech object fails,
// speech stays off for the rest of the run and every call returns at once;
// no failure ever reaches a caller.
class SpeechChannel
{
public:
    SpeechChannel() = default;
    SpeechChannel(const SpeechChannel&) = delete;
    SpeechChannel& operator=(const SpeechChannel&) = delete;

    // Creates the speech object and configures it. Runs once per process;
    // a second call does nothing.
    void VobrInit(const SpeechObjectFactory& factory);

    void Voice(const QString& text);
    void Quick();
    void VoiceWait();
    // The program is up; the speech object may start what it left for later.
    void startUpIsOver();

    bool VoiceEnabled() const { return m_enabled; }
    // The screen reader counts as installed while its own speech object
    // answers; a stand-in voice keeps the program audible, nothing more.
    bool screenReaderInstalled() const { return m_enabled && !m_object->standsInForScreenReader(); }

    // While a screen reader runs, the words of a focus move reach the user
    // through the reader's reading of the focused control, and the program
    // keeps its own voice for what no focus move carries. Only the switch
    // between the two ways (ScreenReaderMode) sets this; the rest asks.
    void setScreenReaderReads(bool reads) { m_screenReaderReads = reads; }
    bool screenReaderReads() const { return m_screenReaderReads; }
    bool hasVoiceObject() const { return m_object != nullptr; }
    bool announcesBesideScreenReader() const { return m_object && m_object->announcesBesideScreenReader(); }

private:
    template <typename Call> void call(Call&& c);

    std::unique_ptr<SpeechObject> m_object;
    bool m_enabled = false;
    bool m_initialised = false;
    bool m_screenReaderReads = false;
};
