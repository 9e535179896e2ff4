#include "ModuleClient.h"

#include <QDeadlineTimer>

QStringList ModuleClient::Spoken::kinds() const
{
    QStringList kinds;
    for (const Event& e : events) {
        // Audio comes in many pieces; one entry per run of them.
        if (e.kind != QLatin1String("AUDIO") || kinds.isEmpty() || kinds.back() != e.kind)
            kinds << e.kind;
    }
    return kinds;
}

QStringList ModuleClient::Spoken::marks() const
{
    QStringList names;
    for (const Event& e : events) {
        if (e.kind == QLatin1String("MARK"))
            names << e.mark;
    }
    return names;
}

ModuleClient::~ModuleClient()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

bool ModuleClient::start(const QString& configuration, const QProcessEnvironment& environment)
{
    m_process.setProcessEnvironment(environment);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(m_binary, {configuration});
    return m_process.waitForStarted(10000);
}

void ModuleClient::send(const QByteArray& bytes)
{
    m_process.write(bytes);
    m_process.waitForBytesWritten(10000);
}

QByteArray ModuleClient::readLine(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!m_process.canReadLine()) {
        if (deadline.hasExpired() || m_process.state() == QProcess::NotRunning)
            return m_process.canReadLine() ? m_process.readLine() : QByteArray();
        m_process.waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime())));
    }
    return m_process.readLine();
}

QByteArrayList ModuleClient::request(const QByteArray& command)
{
    send(command + '\n');
    QByteArrayList lines;
    for (;;) {
        const QByteArray line = readLine(20000);
        if (line.isEmpty())
            return lines;
        lines << line.chopped(1);
        if (line.size() >= 4 && line.at(3) == ' ')
            return lines;
    }
}

QByteArrayList ModuleClient::requestBlock(const QByteArray& command, const QByteArrayList& lines)
{
    const QByteArrayList first = request(command);
    if (first.isEmpty() || !first.back().startsWith('2'))
        return first;
    return request(lines.join('\n') + (lines.isEmpty() ? "." : "\n."));
}

QByteArrayList ModuleClient::init()
{
    const QByteArrayList reply = request("INIT");
    if (reply.isEmpty() || !reply.back().startsWith("299"))
        return reply;
    requestBlock("AUDIO", {"audio_output_method=server"});
    return reply;
}

bool ModuleClient::speak(const QByteArray& message, const QByteArray& command)
{
    const QByteArrayList first = request(command);
    if (first.isEmpty() || !first.back().startsWith("202"))
        return false;
    // Lines starting with a dot get one more, as the daemon sends them.
    QByteArrayList lines = message.split('\n');
    for (QByteArray& line : lines) {
        if (line.startsWith('.'))
            line.prepend('.');
    }
    const QByteArrayList reply = request(lines.join('\n') + "\n.");
    return !reply.isEmpty() && reply.back().startsWith("200");
}

std::optional<ModuleClient::Event> ModuleClient::nextEvent(int timeoutMs, Spoken* into)
{
    QByteArrayList lines;
    for (;;) {
        const QByteArray line = readLine(timeoutMs);
        if (line.isEmpty())
            return std::nullopt;
        lines << line.chopped(1);
        if (line.size() >= 4 && line.at(3) == ' ')
            break;
    }
    const QByteArray code = lines.back().left(3);
    Event event;
    if (code == "701") {
        event.kind = QStringLiteral("BEGIN");
    } else if (code == "702") {
        event.kind = QStringLiteral("END");
    } else if (code == "703") {
        event.kind = QStringLiteral("STOP");
    } else if (code == "704") {
        event.kind = QStringLiteral("PAUSE");
    } else if (code == "700" && lines.size() == 2) {
        event.kind = QStringLiteral("MARK");
        event.mark = QString::fromUtf8(lines.front().mid(4));
    } else if (code == "705") {
        event.kind = QStringLiteral("AUDIO");
        QByteArray data;
        int rate = 0;
        for (const QByteArray& line : lines) {
            if (line.startsWith("705-num_samples="))
                event.samples = line.mid(16).toInt();
            else if (line.startsWith("705-sample_rate="))
                rate = line.mid(16).toInt();
            else if (line.startsWith(QByteArray("705-AUDIO\0", 10)))
                data = line.mid(10);
        }
        QByteArray bytes;
        for (qsizetype i = 0; i < data.size(); ++i)
            bytes += data.at(i) == 0x7D && i + 1 < data.size() ? char(data.at(++i) ^ 0x20) : data.at(i);
        if (bytes.size() != qsizetype(event.samples) * 2)
            event.kind = QStringLiteral("BAD AUDIO");
        if (into) {
            into->sampleRate = rate;
            for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
                into->samples << qint16(quint8(bytes.at(i)) | quint8(bytes.at(i + 1)) << 8);
        }
    } else {
        event.kind = QString::fromUtf8(lines.join('|'));
    }
    return event;
}

ModuleClient::Spoken ModuleClient::waitForEnd(int timeoutMs)
{
    Spoken spoken;
    const QDeadlineTimer deadline(timeoutMs);
    while (const std::optional<Event> event = nextEvent(int(std::max<qint64>(1, deadline.remainingTime())), &spoken)) {
        spoken.events << *event;
        if (event->kind == QLatin1String("END") || event->kind == QLatin1String("STOP")
            || event->kind == QLatin1String("PAUSE"))
            break;
    }
    return spoken;
}

int ModuleClient::quit()
{
    const QByteArrayList reply = request("QUIT");
    if (!m_process.waitForFinished(10000))
        return -1;
    return reply.isEmpty() || !reply.back().startsWith("210") ? -2 : m_process.exitCode();
}
