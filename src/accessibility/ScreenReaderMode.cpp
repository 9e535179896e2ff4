#include "accessibility/ScreenReaderMode.h"

#include "accessibility/AccessibleWords.h"
#include "accessibility/InterfaceReader.h"
#include "speech/SpeechChannel.h"

ScreenReaderMode::ScreenReaderMode(SpeechChannel& speech)
    : m_speech(speech)
{
}

ScreenReaderMode::~ScreenReaderMode() = default;

void ScreenReaderMode::follow(bool screenReaderRuns, QWidget* window)
{
    // The start (no reader, no screen reader) is neither way, so the first
    // answer always takes effect.
    if (screenReaderRuns == m_speech.screenReaderReads() && screenReaderRuns == !readsInterface())
        return;
    m_speech.setScreenReaderReads(screenReaderRuns);
    AccessibleWords::showSpoken(window, screenReaderRuns);
    if (screenReaderRuns)
        m_reader.reset();
    else
        m_reader = std::make_unique<InterfaceReader>(m_speech);
}

bool ScreenReaderMode::screenReaderRuns() const
{
    return m_speech.screenReaderReads();
}

void ScreenReaderMode::applyTo(QWidget* window, const SpeechChannel& speech)
{
    AccessibleWords::showSpoken(window, speech.screenReaderReads());
}
