#include "readermode/ScreenReaderMode.h"

#include "accessibility/AccessibleNames.h"
#include "selfvoicing/InterfaceReader.h"
#include "speech/SpeechChannel.h"

ScreenReaderMode::ScreenReaderMode(SpeechChannel& speech)
    : m_speech(speech)
{
}

ScreenReaderMode::~ScreenReaderMode() = default;

void ScreenReaderMode::follow(bool screenReaderRuns, QWidget* window)
{
    const bool leftToReader = screenReaderRuns && !m_speech.announcesBesideScreenReader();
    // The start (no reader, no screen reader) is neither way, so the first
    // answer always takes effect.
    if (m_known && screenReaderRuns == m_runs && leftToReader == m_speech.screenReaderReads())
        return;
    m_known = true;
    m_runs = screenReaderRuns;
    m_speech.setScreenReaderReads(leftToReader);
    AccessibleNames::showSpoken(window, leftToReader);
    if (screenReaderRuns)
        m_reader.reset();
    else if (!m_reader)
        m_reader = std::make_unique<InterfaceReader>(m_speech);
}

bool ScreenReaderMode::screenReaderRuns() const
{
    return m_runs;
}

void ScreenReaderMode::applyTo(QWidget* window, const SpeechChannel& speech)
{
    AccessibleNames::showSpoken(window, speech.screenReaderReads());
}
