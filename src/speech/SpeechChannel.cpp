#include "speech/SpeechChannel.h"

namespace {
constexpr int ConfigureValue = 33;
}

void SpeechChannel::VobrInit(const SpeechObjectFactory& factory)
{
    if (m_initialised)
        return;
    m_initialised = true;

    if (factory)
        m_object = factory();
    if (!m_object)
        return;
    m_enabled = true;
    if (m_object->Configure(ConfigureValue) < 0)
        m_enabled = false;
}

template <typename Call> void SpeechChannel::call(Call&& c)
{
    if (!m_enabled || !m_object)
        return;
    if (c(*m_object) < 0)
        m_enabled = false;
}

void SpeechChannel::Voice(const QString& text)
{
    call([&](SpeechObject& o) { return o.Speak(text, 0); });
}

void SpeechChannel::Quick()
{
    call([](SpeechObject& o) { return o.Interrupt(); });
}

void SpeechChannel::VoiceWait()
{
    call([](SpeechObject& o) { return o.WaitDone(); });
}

void SpeechChannel::startUpIsOver()
{
    if (m_object)
        m_object->startUpIsOver();
}
