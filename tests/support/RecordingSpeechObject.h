#pragma once

#include "platform/SpeechObject.h"

#include <QString>
#include <QStringList>
#include <memory>

// A speech object that writes down every call in order, as
// "Configure(33)", "Interrupt", "Speak:<text>", "WaitDone", and can be told to
// fail the n-th call of a kind. The log outlives the object (shared), so a test
// can read it after handing the object to the program.
class RecordingSpeechObject : public SpeechObject
{
public:
    struct Log {
        QStringList calls;
        // 1-based number of the call of that kind that fails; 0: none fails.
        int failSpeakAt = 0;
        int failInterruptAt = 0;
        int failConfigureAt = 0;
        int failWaitDoneAt = 0;
        int speaks = 0, interrupts = 0, configures = 0, waits = 0;
        // For each time the program said its start-up was over, how many
        // texts had been handed to Speak by then. Kept out of calls, which
        // tests compare whole.
        QList<int> startUpsOver;
        // Speaks as the system's voice in place of the screen reader's object.
        bool standsIn = false;
        // Is the screen reader's own object, which speaks beside it.
        bool announcesBeside = false;

        void clear() { calls.clear(); }
        // Only the texts handed to Speak, in order.
        QStringList spoken() const;
    };

    explicit RecordingSpeechObject(std::shared_ptr<Log> log) : m_log(std::move(log)) {}

    int Speak(const QString& text, int flags) override;
    int Interrupt() override;
    int Configure(int value) override;
    int WaitDone() override;
    void startUpIsOver() override;
    bool standsInForScreenReader() const override { return m_log->standsIn; }
    bool announcesBesideScreenReader() const override { return m_log->announcesBeside; }

    // A factory handing out one recording object that writes into log.
    static SpeechObjectFactory factory(std::shared_ptr<Log> log);

private:
    std::shared_ptr<Log> m_log;
};
