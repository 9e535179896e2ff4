#include "platform/linux/AtSpiScreenReaderPresence.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDeadlineTimer>

namespace
{

const QString BusService = QStringLiteral("org.a11y.Bus");
const QString BusPath = QStringLiteral("/org/a11y/bus");
const QString RegistryService = QStringLiteral("org.a11y.atspi.Registry");
const QString RegistryPath = QStringLiteral("/org/a11y/atspi/registry");
const QString ProbeConnection = QStringLiteral("vornix-screen-reader-probe");

// A call that waits no longer than what is left of the budget.
QDBusMessage callWithin(const QDBusConnection& bus, QDBusMessage message, const QDeadlineTimer& deadline)
{
    const qint64 left = deadline.remainingTime();
    if (left <= 0)
        return {};
    // Asking must not start the accessibility services on a desktop that has
    // them switched off.
    message.setAutoStartService(false);
    return bus.call(message, QDBus::Block, int(left));
}

bool isReply(const QDBusMessage& reply)
{
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty();
}

bool screenReaderSwitchOn(const QDBusConnection& bus, const QDeadlineTimer& deadline)
{
    QDBusMessage get = QDBusMessage::createMethodCall(
        BusService, BusPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << QStringLiteral("org.a11y.Status") << QStringLiteral("ScreenReaderEnabled");
    const QDBusMessage reply = callWithin(bus, get, deadline);
    return isReply(reply) && reply.arguments().constFirst().value<QDBusVariant>().variant().toBool();
}

bool anyoneFollowsTheFocus(const QDBusMessage& reply)
{
    if (!isReply(reply))
        return false;
    const QDBusArgument events = reply.arguments().constFirst().value<QDBusArgument>();
    if (events.currentSignature() != QLatin1String("a(ss)"))
        return false;
    bool following = false;
    events.beginArray();
    while (!events.atEnd()) {
        QString listener, event;
        events.beginStructure();
        events >> listener >> event;
        events.endStructure();
        following = following || AtSpiScreenReaderPresence::isFocusEvent(event);
    }
    events.endArray();
    return following;
}

bool focusListenerRegistered(const QDBusConnection& bus, const QDeadlineTimer& deadline)
{
    const QDBusMessage address = callWithin(
        bus, QDBusMessage::createMethodCall(BusService, BusPath, BusService, QStringLiteral("GetAddress")),
        deadline);
    if (!isReply(address) || deadline.hasExpired())
        return false;
    bool following = false;
    {
        const QDBusConnection a11y =
            QDBusConnection::connectToBus(address.arguments().constFirst().toString(), ProbeConnection);
        if (a11y.isConnected()) {
            following = anyoneFollowsTheFocus(
                callWithin(a11y,
                           QDBusMessage::createMethodCall(RegistryService, RegistryPath, RegistryService,
                                                          QStringLiteral("GetRegisteredEvents")),
                           deadline));
        }
    }
    QDBusConnection::disconnectFromBus(ProbeConnection);
    return following;
}

} // namespace

bool AtSpiScreenReaderPresence::isRunning()
{
    if (const auto forced = forcedScreenReaderAnswer(qEnvironmentVariable(ScreenReaderVariable)))
        return *forced;
    return askDesktop(QDBusConnection::sessionBus());
}

bool AtSpiScreenReaderPresence::askDesktop(const QDBusConnection& sessionBus) const
{
    if (!sessionBus.isConnected())
        return false;
    const QDeadlineTimer deadline(m_budgetMs);
    return screenReaderSwitchOn(sessionBus, deadline) || focusListenerRegistered(sessionBus, deadline);
}

bool AtSpiScreenReaderPresence::isFocusEvent(const QString& event)
{
    return event.startsWith(QLatin1String("Focus:")) ||
           event.startsWith(QLatin1String("Object:StateChanged:Focused"));
}
