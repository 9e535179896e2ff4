#include "SpeechDaemon.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QThread>

#include <csignal>
#include <sys/prctl.h>
#include <sys/types.h>
#include <unistd.h>

namespace {

const QString SystemConfiguration = QStringLiteral("/etc/speech-dispatcher");

// Settings of speechd.conf that the private copy sets itself.
const QStringList OwnKeys = {
    QStringLiteral("AddModule"),         QStringLiteral("DefaultModule"), QStringLiteral("DefaultLanguage"),
    QStringLiteral("AudioOutputMethod"), QStringLiteral("LogLevel"),      QStringLiteral("LogDir"),
    QStringLiteral("LanguageDefaultModule"),
};

// Level 5 writes every queued text to the log, which is how tests see what
// reached the daemon.
const QByteArray OwnSettings = "\n"
                               "LogLevel 5\n"
                               "AddModule \"espeak-ng\" \"sd_espeak-ng\" \"espeak-ng.conf\"\n"
                               "DefaultModule espeak-ng\n"
                               "DefaultLanguage \"ja\"\n"
                               "AudioOutputMethod \"libao\"\n";

// A Japanese engine of the user's own stands behind the language, the way
// speech-dispatcher picks one per language. It runs "true": heard nothing,
// but every message still ends.
const QByteArray OtherModuleSettings = "AddModule \"japanese\" \"sd_generic\" \"japanese.conf\"\n"
                                       "LanguageDefaultModule \"ja\" \"japanese\"\n";
const QByteArray OtherModuleConf = "GenericExecuteSynth \"true\"\n"
                                   "GenericLanguage \"ja\" \"ja\" \"utf-8\"\n"
                                   "AddVoice \"ja\" \"MALE1\" \"ja\"\n";

bool copyTree(const QString& from, const QString& to)
{
    if (!QDir().mkpath(to))
        return false;
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + source.mid(from.size());
        if (it.fileInfo().isDir()) {
            if (!QDir().mkpath(target))
                return false;
        } else if (!QFile::copy(source, target)) {
            return false;
        }
    }
    return true;
}

bool writeFile(const QString& fileName, const QByteArray& content)
{
    QFile file(fileName);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size();
}

} // namespace

SpeechDaemon::SpeechDaemon(Module module)
    : m_module(module), m_dir(QDir::tempPath() + QStringLiteral("/vx-speechd-XXXXXX"))
{
}

void SpeechDaemon::addJTalkModule(const QString& binary, const QString& trace)
{
    m_jtalkModule = binary;
    m_jtalkTrace = trace;
}

SpeechDaemon::~SpeechDaemon()
{
    stop();
}

QString SpeechDaemon::path(const QString& name) const
{
    return m_dir.path() + QLatin1Char('/') + name;
}

QString SpeechDaemon::socketPath() const
{
    return path(QStringLiteral("speechd.sock"));
}

QString SpeechDaemon::address() const
{
    return QStringLiteral("unix_socket:") + socketPath();
}

QString SpeechDaemon::logPath() const
{
    return path(QStringLiteral("log/speech-dispatcher.log"));
}

bool SpeechDaemon::writeConfiguration(QString* whyNot)
{
    const QString conf = path(QStringLiteral("conf"));
    if (QFileInfo::exists(conf))
        return true;
    if (!copyTree(SystemConfiguration, conf)) {
        *whyNot = QStringLiteral("cannot copy %1 (is speech-dispatcher installed?)").arg(SystemConfiguration);
        return false;
    }
    QFile original(conf + QStringLiteral("/speechd.conf"));
    if (!original.open(QIODevice::ReadOnly)) {
        *whyNot = QStringLiteral("no speechd.conf in %1").arg(SystemConfiguration);
        return false;
    }
    QByteArray rewritten;
    for (QByteArray line : original.readAll().split('\n')) {
        const QString key = QString::fromUtf8(line.trimmed()).section(QLatin1Char(' '), 0, 0);
        if (OwnKeys.contains(key, Qt::CaseInsensitive))
            line.prepend("# ");
        rewritten += line + '\n';
    }
    original.close();
    const QString home = path(QStringLiteral("home"));
    const bool other = m_module == Module::Other;
    const QByteArray jtalk =
        m_jtalkModule.isEmpty() ? QByteArray() : "AddModule \"vornix-jtalk\" \"" + m_jtalkModule.toUtf8() + "\" \"vornix-jtalk.conf\"\n";
    if (!writeFile(conf + QStringLiteral("/speechd.conf"),
                   rewritten + OwnSettings + (other ? OtherModuleSettings : "") + jtalk)
        || (other && !writeFile(conf + QStringLiteral("/modules/japanese.conf"), OtherModuleConf)) || !QDir().mkpath(home)
        || !writeFile(home + QStringLiteral("/.libao"), "default_driver=null\n")
        || !QDir().mkpath(path(QStringLiteral("log"))) || !QDir().mkpath(path(QStringLiteral("run")))) {
        *whyNot = QStringLiteral("cannot write the private configuration in %1").arg(m_dir.path());
        return false;
    }
    QFile::setPermissions(path(QStringLiteral("run")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return true;
}

bool SpeechDaemon::start(QString* whyNot)
{
    QString reason;
    if (!whyNot)
        whyNot = &reason;
    if (isRunning())
        return true;
    if (!m_dir.isValid()) {
        *whyNot = QStringLiteral("no temporary folder");
        return false;
    }
    if (!writeConfiguration(whyNot))
        return false;
    QFile::remove(socketPath());

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), path(QStringLiteral("home")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), path(QStringLiteral("home/.config")));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), path(QStringLiteral("home/.cache")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), path(QStringLiteral("run")));
    env.remove(QStringLiteral("SPEECHD_ADDRESS"));
    if (!m_jtalkTrace.isEmpty())
        env.insert(QStringLiteral("VORNIX_JTALK_TRACE"), m_jtalkTrace);

    m_process = std::make_unique<QProcess>();
    m_process->setProcessEnvironment(env);
    m_process->setStandardOutputFile(QProcess::nullDevice());
    m_process->setStandardErrorFile(QProcess::nullDevice());
    // Its own process group, so that output modules can be ended with it;
    // and it dies with the test, even one that crashed or timed out.
    m_process->setChildProcessModifier([] {
        ::setpgid(0, 0);
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    });
    m_process->start(QStringLiteral("speech-dispatcher"),
                     {QStringLiteral("-s"), QStringLiteral("-t"), QStringLiteral("0"), QStringLiteral("-c"),
                      QStringLiteral("unix_socket"), QStringLiteral("-S"), socketPath(), QStringLiteral("-C"),
                      path(QStringLiteral("conf")), QStringLiteral("-L"), path(QStringLiteral("log")),
                      QStringLiteral("-P"), path(QStringLiteral("speechd.pid"))});
    if (!m_process->waitForStarted(5000)) {
        *whyNot = QStringLiteral("speech-dispatcher does not start: %1").arg(m_process->errorString());
        m_process.reset();
        return false;
    }
    m_pid = m_process->processId();
    m_paused = false;
    if (!waitUntilAnswering(10000)) {
        *whyNot = QStringLiteral("speech-dispatcher does not answer on %1; log: %2").arg(socketPath(), logPath());
        stop();
        return false;
    }
    return true;
}

bool SpeechDaemon::waitUntilAnswering(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (m_process->state() == QProcess::NotRunning)
            return false;
        QLocalSocket probe;
        probe.connectToServer(socketPath());
        if (probe.waitForConnected(200)) {
            probe.write("SET SELF CLIENT_NAME \"test:probe:main\"\r\n");
            if (probe.waitForBytesWritten(500) && probe.waitForReadyRead(1000)
                && probe.readLine().startsWith('2')) {
                probe.write("QUIT\r\n");
                probe.waitForBytesWritten(200);
                return true;
            }
        }
        QThread::msleep(50);
    }
    return false;
}

bool SpeechDaemon::isRunning() const
{
    return m_process && m_process->state() != QProcess::NotRunning;
}

void SpeechDaemon::stop()
{
    if (!m_process)
        return;
    if (isRunning() && m_pid > 1) {
        if (!m_paused) {
            ::kill(static_cast<pid_t>(m_pid), SIGTERM);
            m_process->waitForFinished(1000);
        }
        if (isRunning()) {
            ::kill(static_cast<pid_t>(m_pid), SIGKILL);
            m_process->waitForFinished(3000);
        }
    }
    if (m_pid > 1)
        ::kill(-static_cast<pid_t>(m_pid), SIGKILL);
    m_process.reset();
    m_pid = 0;
    m_paused = false;
}

void SpeechDaemon::kill()
{
    if (!isRunning() || m_pid <= 1)
        return;
    ::kill(static_cast<pid_t>(m_pid), SIGKILL);
    m_process->waitForFinished(3000);
}

void SpeechDaemon::pause()
{
    if (isRunning() && m_pid > 1 && ::kill(static_cast<pid_t>(m_pid), SIGSTOP) == 0)
        m_paused = true;
}

void SpeechDaemon::resume()
{
    if (isRunning() && m_pid > 1 && ::kill(static_cast<pid_t>(m_pid), SIGCONT) == 0)
        m_paused = false;
}

QString SpeechDaemon::log() const
{
    QFile file(logPath());
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

QStringList SpeechDaemon::queuedMessages() const
{
    const QString text = log();
    const QString begin = QStringLiteral("Queueing message |");
    const QString end = QStringLiteral("| with priority ");
    QStringList messages;
    qsizetype at = 0;
    while ((at = text.indexOf(begin, at)) >= 0) {
        at += begin.size();
        const qsizetype stop = text.indexOf(end, at);
        if (stop < 0)
            break;
        messages << text.mid(at, stop - at);
        at = stop + end.size();
    }
    return messages;
}

// The log shows each text as it is queued, then the answer that gives the
// client its message id ("225-<id>"), and later the event the client is sent
// for that id ("702-<id>" END, "703-<id>" CANCEL). The daemon logs a reply
// before it writes it, so a client that has seen an event finds it here.
QString SpeechDaemon::endingOf(const QString& text) const
{
    const QString all = log();
    const QString queued = QStringLiteral("Queueing message |") + text + QStringLiteral("| with priority ");
    const qsizetype at = all.lastIndexOf(queued);
    if (at < 0)
        return QString();
    static const QRegularExpression answer(QStringLiteral("REPLY:\\|225-(\\d+)\\r?\\n"));
    const QRegularExpressionMatch id = answer.match(all, at);
    if (!id.hasMatch())
        return QString();
    const QRegularExpression event(QStringLiteral("REPLY:\\|(702|703)-%1\\r?\\n").arg(id.captured(1)));
    const QRegularExpressionMatch ended = event.match(all, id.capturedEnd());
    if (!ended.hasMatch())
        return QString();
    return ended.captured(1) == QLatin1String("702") ? QStringLiteral("END") : QStringLiteral("CANCEL");
}
