#include "platform/windows/WindowsSpeechObject.h"

#include "platform/windows/SapiSpeechObject.h"
#include "platform/windows/VoxbridgeSpeechObject.h"

#include <objbase.h>
#include <utility>
#include <windows.h>

SpeechObject* WindowsSpeechObject::backEnd()
{
    if (std::exchange(m_opened, true))
        return m_backEnd.get();
    // Kept for the whole run and never undone: the object is released at the
    // end, after Qt has closed its own share of the apartment.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    HRESULT status = S_OK;
    m_backEnd = VoxbridgeSpeechObject::create(status);
    if (!m_backEnd && status == REGDB_E_CLASSNOTREG)
        m_backEnd = SapiSpeechObject::create();
    return m_backEnd.get();
}

int WindowsSpeechObject::Speak(const QString& text, int flags)
{
    SpeechObject* object = backEnd();
    return object ? object->Speak(text, flags) : E_FAIL;
}

int WindowsSpeechObject::Interrupt()
{
    SpeechObject* object = backEnd();
    return object ? object->Interrupt() : E_FAIL;
}

int WindowsSpeechObject::Configure(int value)
{
    SpeechObject* object = backEnd();
    return object ? object->Configure(value) : E_FAIL;
}

int WindowsSpeechObject::WaitDone()
{
    SpeechObject* object = backEnd();
    return object ? object->WaitDone() : E_FAIL;
}

bool WindowsSpeechObject::standsInForScreenReader() const
{
    return !m_backEnd || m_backEnd->standsInForScreenReader();
}

bool WindowsSpeechObject::announcesBesideScreenReader() const
{
    return m_backEnd && m_backEnd->announcesBesideScreenReader();
}
