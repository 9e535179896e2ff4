#pragma once

#include <QByteArrayList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

// Talks to a speech-dispatcher output module over its standard input and
// output as the daemon does, one request at a time, and collects what it
// reports while it speaks. Every wait is bounded so that a hung module fails
// the test instead of hanging it.
class ModuleClient
{
public:
    struct Event {
        QString kind; // BEGIN, MARK, AUDIO, END, STOP, PAUSE
        QString mark; // the mark's name
        int samples = 0;
    };
    struct Spoken {
        QList<Event> events;
        QVector<qint16> samples;
        int sampleRate = 0;
        // The last event: END, STOP or PAUSE; empty when none came in time.
        QString ending() const { return events.isEmpty() ? QString() : events.back().kind; }
        QStringList kinds() const;
        QStringList marks() const;
    };

    explicit ModuleClient(const QString& binary) : m_binary(binary) {}
    ~ModuleClient();

    // Starts the module with a configuration file and environment. Nothing
    // is sent yet.
    bool start(const QString& configuration, const QProcessEnvironment& environment);
    // INIT, then AUDIO with the daemon's offer to play the speech itself, as
    // speech-dispatcher 0.11 starts a module. The INIT reply's lines.
    QByteArrayList init();
    // A command and its reply's lines (up to the one with a space after the code).
    QByteArrayList request(const QByteArray& command);
    // A command followed by lines and ".", as SET and AUDIO are sent; the
    // final reply's lines.
    QByteArrayList requestBlock(const QByteArray& command, const QByteArrayList& lines);
    // SPEAK and the message; true when the module answers that it speaks.
    bool speak(const QByteArray& message, const QByteArray& command = "SPEAK");
    void send(const QByteArray& bytes);
    // Events until END, STOP or PAUSE (or the timeout).
    Spoken waitForEnd(int timeoutMs = 60000);
    // The next event, within the timeout.
    std::optional<Event> nextEvent(int timeoutMs, Spoken* into = nullptr);

    qint64 pid() const { return m_process.processId(); }
    // QUIT; the exit code, or -1 when it did not end.
    int quit();
    QProcess& process() { return m_process; }

private:
    QByteArray readLine(int timeoutMs);

    QString m_binary;
    QProcess m_process;
};
