#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

// A private speech-dispatcher for tests. Socket, configuration, log and home
// live in a temporary folder, so the user's own daemon is never touched.
// espeak-ng speaks Japanese into libao's null driver: no sound card is needed,
// and every message still ends with END as it does with real audio (plain
// ALSA, OSS or PulseAudio without hardware never end a message).
//
// The daemon runs in a process group of its own and is only ever signalled by
// its PID (and that group), never by name.
class SpeechDaemon
{
public:
    // The output module the daemon speaks Japanese with: espeak-ng, as on a
    // stock Debian, or another engine (speech-dispatcher's generic module
    // running a command that says nothing), as when the user has installed a
    // Japanese engine of their own.
    enum class Module { EspeakNg, Other };

    explicit SpeechDaemon(Module module = Module::EspeakNg);
    // Also loads this project's Open JTalk module from the given binary
    // (before start), which writes what it says to trace.
    void addJTalkModule(const QString& binary, const QString& trace);
    ~SpeechDaemon();
    SpeechDaemon(const SpeechDaemon&) = delete;
    SpeechDaemon& operator=(const SpeechDaemon&) = delete;

    // Starts the daemon and returns once it answers a request (a few seconds
    // at most). On failure, whyNot says what went wrong.
    bool start(QString* whyNot = nullptr);
    // SIGTERM, then SIGKILL: the daemon can hang while closing its modules.
    // Output modules left behind are killed with it.
    void stop();
    // SIGKILL to the daemon alone, as a crash would end it.
    void kill();
    // SIGSTOP / SIGCONT: while stopped the socket accepts and buffers
    // requests but nothing answers.
    void pause();
    void resume();

    bool isRunning() const;
    qint64 pid() const { return m_pid; }
    QString socketPath() const;
    // The value for SPEECHD_ADDRESS.
    QString address() const;
    QString logPath() const;
    // Every text the daemon accepted for speaking, in order, as it received
    // it (after libspeechd's escaping was undone), read from its log.
    QStringList queuedMessages() const;
    // How the daemon reported the end of the last message queued with this
    // text to its client: "END" (spoken out), "CANCEL" (cut short), or empty
    // while it is still queued or being spoken.
    QString endingOf(const QString& text) const;

private:
    QString log() const;
    bool writeConfiguration(QString* whyNot);
    bool waitUntilAnswering(int timeoutMs);
    QString path(const QString& name) const;

    Module m_module;
    QString m_jtalkModule;
    QString m_jtalkTrace;
    QTemporaryDir m_dir;
    std::unique_ptr<QProcess> m_process;
    qint64 m_pid = 0;
    bool m_paused = false;
};
