#include "RecordingSpeechObject.h"

namespace {
constexpr int Failed = -2147467259; // E_FAIL
}

QStringList RecordingSpeechObject::Log::spoken() const
{
    QStringList texts;
    for (const QString& c : calls) {
        if (c.startsWith(QLatin1String("Speak:")))
            texts << c.mid(6);
    }
    return texts;
}

int RecordingSpeechObject::Speak(const QString& text, int flags)
{
    m_log->calls << QStringLiteral("Speak:") + text;
    if (flags != 0)
        m_log->calls << QStringLiteral("Speak flags %1").arg(flags);
    return ++m_log->speaks == m_log->failSpeakAt ? Failed : 0;
}

int RecordingSpeechObject::Interrupt()
{
    m_log->calls << QStringLiteral("Interrupt");
    return ++m_log->interrupts == m_log->failInterruptAt ? Failed : 0;
}

int RecordingSpeechObject::Configure(int value)
{
    m_log->calls << QStringLiteral("Configure(%1)").arg(value);
    return ++m_log->configures == m_log->failConfigureAt ? Failed : 0;
}

void RecordingSpeechObject::startUpIsOver()
{
    m_log->startUpsOver << m_log->speaks;
}

int RecordingSpeechObject::WaitDone()
{
    m_log->calls << QStringLiteral("WaitDone");
    return ++m_log->waits == m_log->failWaitDoneAt ? Failed : 0;
}

SpeechObjectFactory RecordingSpeechObject::factory(std::shared_ptr<Log> log)
{
    return [log]() -> std::unique_ptr<SpeechObject> { return std::make_unique<RecordingSpeechObject>(log); };
}
