#include "platform/linux/speechd/SpeechDispatcherObject.h"

#include "platform/linux/speechd/BoundedWorker.h"
#include "platform/linux/speechd/SocketWatcher.h"
#include "platform/linux/speechd/SpeechdEventSlots.h"
#include "platform/linux/speechd/SpeechdWorkarounds.h"

#include <libspeechd.h>

#include <algorithm>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <set>
#include <system_error>
#include <unistd.h>
#include <utility>

using WithDaemon = BoundedWorker::WithDaemon;
using OwnWork = BoundedWorker::OwnWork;

namespace
{

constexpr int Failed = BoundedWorker::Failed;
// WaitDone gave up waiting while the daemon was still speaking.
constexpr int StillSpeaking = 1;

} // namespace

// The worker's state and, under its lock, what the daemon has still to say.
// libspeechd's event thread reports to it too.
struct SpeechDispatcherObject::Core : BoundedWorker::State,
                                      SpeechdEventSlots::Listener,
                                      std::enable_shared_from_this<Core> {
    Core(const Bounds& bounds, SpeechReadingMode mode, WordReadingsSource words)
        : bounds(bounds), reading(mode, std::move(words))
    {
    }

    // Under mutex.
    bool livenessAsked = false;
    // Texts given to Speak that have not reached the daemon yet.
    int unsent = 0;
    int clientId = -1;
    // Messages of ours the daemon has not finished (END) or dropped (CANCEL).
    std::set<std::size_t> pending;
    // END or CANCEL can overtake the answer that tells us a message's id.
    std::set<std::size_t> finishedUnclaimed;

    // Set by the worker in Configure; the worker reads it without the lock.
    bool readAsKana = false;

    const Bounds bounds;

    // Worker thread only.
    SpeechdReading reading;
    SPDConnection* connection = nullptr;
    std::optional<std::size_t> slot;
    // A descriptor of the connection's own for the watcher; written while
    // opening, before the caller reads it.
    int watchedSocket = -1;

    // Under mutex.
    bool allSpoken() const { return unsent == 0 && pending.empty(); }

    // A text left the worker: queued by the daemon under id, or lost.
    void textHandedOver(std::optional<std::size_t> id)
    {
        std::lock_guard lock(mutex);
        --unsent;
        if (id && finishedUnclaimed.erase(*id) == 0)
            pending.insert(*id);
        changed.notify_all();
    }

    void messageFinished(std::size_t id, std::size_t client) override
    {
        std::lock_guard lock(mutex);
        // The daemon can report other clients' messages on our connection.
        if (clientId < 0 || client != static_cast<std::size_t>(clientId))
            return;
        if (pending.erase(id) == 0)
            finishedUnclaimed.insert(id);
        changed.notify_all();
    }
};

namespace
{

using Core = SpeechDispatcherObject::Core;

int openConnection(Core& core, bool autospawn)
{
    SPDConnection* connection = openSpeechdConnection(autospawn);
    if (!connection)
        return Failed;
    core.connection = connection;
    core.watchedSocket = ::fcntl(connection->socket, F_DUPFD_CLOEXEC, 0);

    const std::optional<std::size_t> slot = SpeechdEventSlots::take(core.shared_from_this());
    if (!slot)
        return Failed;
    core.slot = slot;
    // The callbacks must be in place before the first event can arrive.
    connection->callback_end = SpeechdEventSlots::callback(*slot);
    connection->callback_cancel = SpeechdEventSlots::callback(*slot);

    const int clientId = querySpeechdClientId(connection);
    if (clientId < 0)
        return Failed;
    {
        std::lock_guard lock(core.mutex);
        core.clientId = clientId;
    }
    if (spd_set_notification_on(connection, SPD_END) != 0 ||
        spd_set_notification_on(connection, SPD_CANCEL) != 0)
        return Failed;
    return 0;
}

void closeConnection(Core& core)
{
    SPDConnection* connection = std::exchange(core.connection, nullptr);
    if (!connection)
        return;
    closeSpeechdConnection(connection);
    if (const std::optional<std::size_t> slot = std::exchange(core.slot, std::nullopt))
        SpeechdEventSlots::release(*slot);
}

// A daemon that stopped never sends END; a live one answers a question at once.
void askWhetherAlive(Core& core)
{
    {
        std::lock_guard lock(core.mutex);
        core.livenessAsked = false;
        if (core.failed)
            return;
    }
    bool alive = false;
    {
        WithDaemon daemon(core, core.bounds.call);
        alive = querySpeechdClientId(core.connection) >= 0;
    }
    if (!alive)
        core.fail();
}

} // namespace

SpeechDispatcherObject::SpeechDispatcherObject(std::shared_ptr<Core> core)
    : m_core(std::move(core)), m_worker(std::make_unique<BoundedWorker>(m_core, [&core = *m_core] {
          WithDaemon daemon(core, core.bounds.call);
          closeConnection(core);
      }, m_core->bounds.exit))
{
}

std::unique_ptr<SpeechObject> SpeechDispatcherObject::create(WordReadingsSource words)
{
    return createWithBounds(Bounds{}, speechReadingModeFromEnvironment(), std::move(words));
}

std::unique_ptr<SpeechObject> SpeechDispatcherObject::createWithBounds(const Bounds& bounds)
{
    return createWithBounds(bounds, speechReadingModeFromEnvironment());
}

std::unique_ptr<SpeechObject> SpeechDispatcherObject::createWithBounds(const Bounds& bounds,
                                                                       SpeechReadingMode reading)
{
    return createWithBounds(bounds, reading, nullptr);
}

std::unique_ptr<SpeechObject> SpeechDispatcherObject::createWithBounds(const Bounds& bounds,
                                                                       SpeechReadingMode reading,
                                                                       WordReadingsSource words)
{
    // A daemon named by the user's environment is the one to use: starting
    // another one in its place is not ours to do.
    const bool autospawn = !qEnvironmentVariableIsSet("SPEECHD_ADDRESS");
    const auto core = std::make_shared<Core>(bounds, reading, std::move(words));
    std::unique_ptr<SpeechDispatcherObject> object;
    try {
        object.reset(new SpeechDispatcherObject(core));
    } catch (const std::system_error&) {
        return nullptr;
    }
    const int opened = object->m_worker->call([&core = *core, autospawn] {
        WithDaemon daemon(core, core.bounds.open);
        return openConnection(core, autospawn);
    });
    if (opened < 0)
        return nullptr;
    object->m_watcher =
        std::make_unique<SocketWatcher>(std::exchange(core->watchedSocket, -1), [core] { core->fail(); });
    return object;
}

SpeechDispatcherObject::~SpeechDispatcherObject()
{
    m_watcher.reset();
    m_worker.reset();
    // A connection refused after it opened was never watched.
    if (m_core->watchedSocket >= 0)
        ::close(m_core->watchedSocket);
}

int SpeechDispatcherObject::Speak(const QString& text, int /*flags*/)
{
    // libspeechd refuses an empty text; nothing to say is not a failure.
    if (text.isEmpty())
        return hasFailed() ? Failed : 0;
    {
        std::lock_guard lock(m_core->mutex);
        if (m_core->failed)
            return Failed;
        ++m_core->unsent;
    }
    return m_worker->call([&core = *m_core, text] {
        QString spoken = text;
        if (core.readAsKana) {
            // Here, next to the dictionary it uses.
            OwnWork own(core);
            spoken = core.reading.kana().read(text);
        }
        const QByteArray wire = speechdWireText(spoken);
        int id = -1;
        if (core.mayAsk()) {
            WithDaemon daemon(core, core.bounds.call);
            // SPD_MESSAGE queues behind what is being said: a list announces
            // itself in two texts and both must be heard (SPD_TEXT would drop
            // the first).
            id = spd_say(core.connection, SPD_MESSAGE, wire.constData());
        }
        core.textHandedOver(id >= 0 ? std::optional<std::size_t>(id) : std::nullopt);
        return id >= 0 ? 0 : Failed;
    });
}

int SpeechDispatcherObject::Interrupt()
{
    // This program's own speech only: cancelling every client's would also
    // silence the user's screen reader.
    return m_worker->call([&core = *m_core] {
        WithDaemon daemon(core, core.bounds.call);
        return spd_cancel(core.connection) == 0 ? 0 : Failed;
    });
}

int SpeechDispatcherObject::Configure(int /*value*/)
{
    const int status = m_worker->call([&core = *m_core] {
        bool kana = false;
        {
            WithDaemon daemon(core, core.bounds.call);
            // Plain text, so that "<" in a password is spoken, not parsed.
            if (spd_set_data_mode(core.connection, SPD_DATA_TEXT) != 0)
                return Failed;
            if (spd_set_language(core.connection, "ja") != 0)
                return Failed;
            const SpeechdReading::Choice choice =
                core.reading.choose([&core] { return querySpeechdOutputModule(core.connection); },
                                    [&core] { return querySpeechdModules(core.connection); });
            kana = choice.kana;
            if (!choice.module.isEmpty()
                && spd_set_output_module(core.connection, choice.module.toUtf8().constData()) != 0)
                kana = choice.kanaWithoutModule;
        }
        if (!kana)
            core.reading.forget();
        std::lock_guard lock(core.mutex);
        core.readAsKana = kana;
        return 0;
    });
    if (status == 0 && readsAsKana()) {
        // Opening the dictionary takes a few milliseconds (more from a cold
        // disk); it overlaps whatever the caller does before the first text.
        m_worker->post([&core = *m_core] {
            OwnWork own(core);
            core.reading.kana();
        });
    }
    return status;
}

void SpeechDispatcherObject::startUpIsOver()
{
    m_worker->post([&core = *m_core] { core.reading.startUpIsOver(); });
}

int SpeechDispatcherObject::WaitDone()
{
    Core& core = *m_core;
    std::unique_lock lock(core.mutex);
    if (core.failed)
        return Failed;
    if (core.allSpoken())
        return 0;
    const auto deadline = BoundedWorker::Clock::now() + core.bounds.wait;
    // A daemon that stopped never sends END. Asked once now and once more a
    // call bound before the end, a live one has answered both within the
    // wait; one that stops meanwhile is found out by the end of it.
    const auto askAgain = deadline - core.bounds.call;
    bool askedAgain = false;
    const auto ask = [&core] {
        if (core.livenessAsked)
            return;
        core.livenessAsked = true;
        core.runNext([&core] { askWhetherAlive(core); });
    };
    ask();
    for (;;) {
        if (core.failed)
            return Failed;
        if (core.allSpoken())
            return 0;
        const auto now = BoundedWorker::Clock::now();
        if (core.overdue(now)) {
            core.failed = true;
            return Failed;
        }
        if (!askedAgain && now >= askAgain) {
            askedAgain = true;
            ask();
        }
        const bool withDaemon = core.activity == BoundedWorker::Activity::Daemon;
        // Past the bound the next announcement may cut in, unless the worker
        // is then waiting for the daemon: its answer, due within its own
        // bound, tells a live daemon from a dead one.
        if (now >= deadline && !withDaemon)
            return StillSpeaking;
        auto until = now < deadline ? deadline : core.daemonDeadline;
        if (!askedAgain)
            until = std::min(until, askAgain);
        if (withDaemon)
            until = std::min(until, core.daemonDeadline);
        core.changed.wait_until(lock, until);
    }
}

bool SpeechDispatcherObject::hasFailed() const
{
    std::lock_guard lock(m_core->mutex);
    return m_core->failed;
}

bool SpeechDispatcherObject::readsAsKana() const
{
    std::lock_guard lock(m_core->mutex);
    return m_core->readAsKana;
}
