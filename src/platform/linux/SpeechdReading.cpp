#include "platform/linux/SpeechdReading.h"

#include <utility>

SpeechdReading::SpeechdReading(SpeechReadingMode mode, WordReadingsSource words)
    : m_mode(mode), m_words(std::move(words))
{
}

bool SpeechdReading::wantsKana(const std::function<QString()>& outputModule) const
{
    if (m_mode == SpeechReadingMode::Kana)
        return true;
    return m_mode == SpeechReadingMode::Auto && isEspeakModule(outputModule());
}

KanaReading& SpeechdReading::kana()
{
    if (!m_kana) {
        m_kana = std::make_unique<KanaReading>(m_words ? m_words() : nullptr);
        if (m_startUpOver)
            m_kana->startUpIsOver();
    }
    return *m_kana;
}

void SpeechdReading::forget()
{
    m_kana.reset();
}

void SpeechdReading::startUpIsOver()
{
    m_startUpOver = true;
    if (m_kana)
        m_kana->startUpIsOver();
}
