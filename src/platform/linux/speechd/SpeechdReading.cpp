#include "platform/linux/speechd/SpeechdReading.h"

#include <utility>

SpeechdReading::SpeechdReading(SpeechReadingMode mode, WordReadingsSource words)
    : m_mode(mode), m_words(std::move(words))
{
}

SpeechdReading::Choice SpeechdReading::choose(const std::function<QString()>& outputModule,
                                              const std::function<QStringList()>& modules) const
{
    const QString jtalk = QString::fromLatin1(JTalkModuleName);
    switch (m_mode) {
    case SpeechReadingMode::Kana:
        return {{}, true, true};
    case SpeechReadingMode::Off:
        return {};
    case SpeechReadingMode::JTalk:
    case SpeechReadingMode::Auto:
        break;
    }
    const bool espeak = isEspeakModule(outputModule());
    if (m_mode == SpeechReadingMode::Auto && !espeak)
        return {};
    if ((espeak || m_mode == SpeechReadingMode::JTalk) && modules().contains(jtalk))
        return {jtalk, false, espeak};
    return {{}, espeak, espeak};
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
