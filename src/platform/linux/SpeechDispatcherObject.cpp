#include "platform/linux/SpeechDispatcherObject.h"

#include "platform/KanaReading.h"

#include <libspeechd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <condition_variable>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <poll.h>
#include <pthread.h>
#include <set>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <system_error>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

constexpr int Failed = -1;
// WaitDone gave up waiting while the daemon was still speaking.
constexpr int StillSpeaking = 1;

constexpr char16_t JapaneseComma = u'、';

constexpr std::size_t SlotCount = 32;
constexpr std::size_t NoSlot = SlotCount;

} // namespace

// Shared by the object, its threads and libspeechd's event thread; it lives
// as long as the longest of them, so a worker abandoned inside a call to a
// dead daemon never touches freed memory.
struct SpeechDispatcherObject::Core : std::enable_shared_from_this<Core> {
    using Clock = std::chrono::steady_clock;
    // What the worker is doing. Only Daemon counts against the bounds.
    enum class Activity { Idle, Busy, OwnWork, Daemon };

    std::mutex mutex;
    std::condition_variable changed;

    // Under mutex.
    std::deque<std::function<void()>> jobs;
    bool quit = false;
    bool workerDone = false;
    bool failed = false;
    Activity activity = Activity::Idle;
    // While the worker waits for the daemon: when its answer is overdue.
    Clock::time_point daemonDeadline;
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

    // Set before the worker starts.
    Bounds bounds;
    SpeechReadingMode readingMode = SpeechReadingMode::Off;
    WordReadingsSource words;

    // Worker thread only.
    SPDConnection* connection = nullptr;
    std::size_t slot = NoSlot;
    std::unique_ptr<KanaReading> reading;
    // A descriptor of the connection's own for the watcher; written while
    // opening, before the caller reads it.
    int watchedSocket = -1;

    // Under mutex.
    bool overdue(Clock::time_point now) const { return activity == Activity::Daemon && now >= daemonDeadline; }
    bool allSpoken() const { return unsent == 0 && pending.empty(); }

    void setActivity(Activity now, Clock::time_point deadline = {})
    {
        std::lock_guard lock(mutex);
        activity = now;
        daemonDeadline = deadline;
        changed.notify_all();
    }

    // Nothing more goes to the daemon once speech failed or the program ends.
    bool mayAsk()
    {
        std::lock_guard lock(mutex);
        return !failed && !quit;
    }

    void fail()
    {
        std::lock_guard lock(mutex);
        failed = true;
        changed.notify_all();
    }

    // A text left the worker: queued by the daemon under id, or lost.
    void textHandedOver(std::optional<std::size_t> id)
    {
        std::lock_guard lock(mutex);
        --unsent;
        if (id && finishedUnclaimed.erase(*id) == 0)
            pending.insert(*id);
        changed.notify_all();
    }

    void messageFinished(std::size_t id, std::size_t client)
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

namespace {

using Core = SpeechDispatcherObject::Core;
using Activity = Core::Activity;

// The worker waits for the daemon in here: callers hold this, and only this,
// against the bound.
class WithDaemon
{
public:
    WithDaemon(Core& core, std::chrono::milliseconds bound) : m_core(core)
    {
        core.setActivity(Activity::Daemon, Core::Clock::now() + bound);
    }
    ~WithDaemon() { m_core.setActivity(Activity::Busy); }
    WithDaemon(const WithDaemon&) = delete;
    WithDaemon& operator=(const WithDaemon&) = delete;

private:
    Core& m_core;
};

// The program's own work: callers go on without waiting for it.
class OwnWork
{
public:
    explicit OwnWork(Core& core) : m_core(core) { core.setActivity(Activity::OwnWork); }
    ~OwnWork() { m_core.setActivity(Activity::Busy); }
    OwnWork(const OwnWork&) = delete;
    OwnWork& operator=(const OwnWork&) = delete;

private:
    Core& m_core;
};

// libspeechd's callbacks carry no user data and the client id alone is not
// unique once a process has talked to more than one daemon, so every open
// connection gets a callback function of its own.
struct EventSlots {
    std::mutex mutex;
    std::array<std::weak_ptr<Core>, SlotCount> cores;
    std::array<bool, SlotCount> taken{};
};

// Never destroyed: event threads and abandoned workers can outlive static
// destruction at exit.
EventSlots& eventSlots()
{
    static auto* table = new EventSlots;
    return *table;
}

std::optional<std::size_t> takeSlot(const std::shared_ptr<Core>& core)
{
    EventSlots& table = eventSlots();
    std::lock_guard lock(table.mutex);
    for (std::size_t i = 0; i < SlotCount; ++i) {
        if (!table.taken[i]) {
            table.taken[i] = true;
            table.cores[i] = core;
            return i;
        }
    }
    return std::nullopt;
}

// Connections to a daemon that went away cannot be closed (below); they stay
// here, reachable, instead of being dropped.
void keepBroken(SPDConnection* connection)
{
    struct Kept {
        std::mutex mutex;
        std::vector<SPDConnection*> connections;
    };
    static auto* kept = new Kept;
    std::lock_guard lock(kept->mutex);
    kept->connections.push_back(connection);
}

void releaseSlot(std::size_t slot)
{
    EventSlots& table = eventSlots();
    std::lock_guard lock(table.mutex);
    table.taken[slot] = false;
    table.cores[slot].reset();
}

// Runs on libspeechd's event thread. Nothing in here is a cancellation point:
// spd_close cancels that thread.
void deliver(std::size_t slot, std::size_t msgId, std::size_t clientId, SPDNotificationType type)
{
    if (type != SPD_EVENT_END && type != SPD_EVENT_CANCEL)
        return;
    std::shared_ptr<Core> core;
    {
        EventSlots& table = eventSlots();
        std::lock_guard lock(table.mutex);
        core = table.cores[slot].lock();
    }
    if (core)
        core->messageFinished(msgId, clientId);
}

template <std::size_t Slot> void onEvent(size_t msgId, size_t clientId, SPDNotificationType type)
{
    deliver(Slot, msgId, clientId, type);
}

template <std::size_t... Slot>
constexpr std::array<SPDCallback, sizeof...(Slot)> makeCallbacks(std::index_sequence<Slot...>)
{
    return {{&onEvent<Slot>...}};
}

constexpr std::array<SPDCallback, SlotCount> eventCallbacks = makeCallbacks(std::make_index_sequence<SlotCount>{});

// spd_get_client_id reads a missing answer through a null pointer when the
// connection breaks, so the query is made and parsed here.
int queryClientId(SPDConnection* connection)
{
    char* reply = nullptr;
    pthread_mutex_lock(&connection->ssip_mutex);
    const int rc = spd_execute_command_with_reply(connection, "HISTORY GET CLIENT_ID", &reply);
    pthread_mutex_unlock(&connection->ssip_mutex);
    int id = -1;
    // "NNN-<id>\r\nNNN OK ..."
    if (rc == 0 && reply && std::strlen(reply) > 4 && reply[3] == '-') {
        char* end = nullptr;
        const long value = std::strtol(reply + 4, &end, 10);
        if (end != reply + 4 && (*end == '\r' || *end == '\n') && value >= 0 && value <= INT_MAX)
            id = static_cast<int>(value);
    }
    std::free(reply);
    return id;
}

// The output module the daemon speaks this connection's texts with, empty
// when it does not say. Asked here for the same reason as the client id.
QString queryOutputModule(SPDConnection* connection)
{
    char* reply = nullptr;
    pthread_mutex_lock(&connection->ssip_mutex);
    const int rc = spd_execute_command_with_reply(connection, "GET OUTPUT_MODULE", &reply);
    pthread_mutex_unlock(&connection->ssip_mutex);
    QString module;
    // "251-espeak-ng\r\n251 OK GET RETURNED\r\n"
    if (rc == 0 && reply && std::strlen(reply) > 4 && reply[3] == '-') {
        const char* name = reply + 4;
        module = QString::fromUtf8(name, static_cast<qsizetype>(std::strcspn(name, "\r\n")));
    }
    std::free(reply);
    return module;
}

// Called after the language is set: the daemon may pick another module per
// language.
bool wantsKana(Core& core)
{
    if (core.readingMode == SpeechReadingMode::Kana)
        return true;
    return core.readingMode == SpeechReadingMode::Auto && isEspeakModule(queryOutputModule(core.connection));
}

// Opens the dictionary the first time it is needed.
KanaReading& kanaReading(Core& core)
{
    if (!core.reading)
        core.reading = std::make_unique<KanaReading>(core.words ? core.words() : openSystemWordReadings());
    return *core.reading;
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
        alive = queryClientId(core.connection) >= 0;
    }
    if (!alive)
        core.fail();
}

// Notices the daemon closing the connection (killed, crashed) at once; until
// then nothing asked of it would fail.
void watchSocket(std::shared_ptr<Core> core, int socket, int wake)
{
    std::array<pollfd, 2> fds{{{socket, POLLRDHUP, 0}, {wake, POLLIN, 0}}};
    for (;;) {
        const int ready = ::poll(fds.data(), fds.size(), -1);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0 || fds[1].revents != 0)
            return;
        if (fds[0].revents != 0) {
            core->fail();
            return;
        }
    }
}

// libspeechd loses a little memory every time it cannot connect; a daemon
// that plainly is not there is found out here instead, before it is asked.
bool nothingListensAtAddress()
{
    char* error = nullptr;
    SPDConnectionAddress* address = spd_get_default_address(&error);
    std::free(error);
    if (!address)
        return true; // an address libspeechd cannot use
    bool nothing = false;
    if (address->method == SPD_METHOD_UNIX_SOCKET && address->unix_socket_name) {
        sockaddr_un unixAddress{};
        unixAddress.sun_family = AF_UNIX;
        std::strncpy(unixAddress.sun_path, address->unix_socket_name, sizeof unixAddress.sun_path - 1);
        const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (probe >= 0) {
            nothing = ::connect(probe, reinterpret_cast<sockaddr*>(&unixAddress), sizeof unixAddress) != 0;
            ::close(probe);
        }
    }
    SPDConnectionAddress__free(address);
    return nothing;
}

int openConnection(Core& core, bool autospawn)
{
    if (!autospawn && nothingListensAtAddress())
        return Failed;
    char* error = nullptr;
    SPDConnection* connection = spd_open2("vornix-support", "main", nullptr, SPD_MODE_THREADED, nullptr,
                                          autospawn ? 1 : 0, &error);
    std::free(error); // there is no log to put the reason in
    if (!connection)
        return Failed;
    core.connection = connection;
    core.watchedSocket = ::fcntl(connection->socket, F_DUPFD_CLOEXEC, 0);

    const std::optional<std::size_t> slot = takeSlot(core.shared_from_this());
    if (!slot)
        return Failed;
    core.slot = *slot;
    // The callbacks must be in place before the first event can arrive.
    connection->callback_end = eventCallbacks[*slot];
    connection->callback_cancel = eventCallbacks[*slot];

    const int clientId = queryClientId(connection);
    if (clientId < 0)
        return Failed;
    {
        std::lock_guard lock(core.mutex);
        core.clientId = clientId;
    }
    if (spd_set_notification_on(connection, SPD_END) != 0 || spd_set_notification_on(connection, SPD_CANCEL) != 0)
        return Failed;
    return 0;
}

void closeConnection(Core& core)
{
    SPDConnection* connection = std::exchange(core.connection, nullptr);
    if (!connection)
        return;
    // When the daemon goes away, libspeechd's event thread closes the socket
    // itself and ends; spd_close would then close the same descriptor number
    // again, which may by now belong to a file of ours. Such a connection is
    // left as it is (a few hundred bytes, once per lost daemon).
    if (connection->stream)
        spd_close(connection);
    else
        keepBroken(connection);
    if (core.slot != NoSlot)
        releaseSlot(std::exchange(core.slot, NoSlot));
}

void runWorker(std::shared_ptr<Core> core)
{
    // Writing to a daemon that has gone raises SIGPIPE, which would end the
    // program. Blocked on this thread (and on libspeechd's event thread, which
    // inherits the mask) it only makes the write fail.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);

    std::unique_lock lock(core->mutex);
    for (;;) {
        core->activity = Activity::Idle;
        core->changed.notify_all();
        core->changed.wait(lock, [&] { return core->quit || !core->jobs.empty(); });
        // The program is ending: what is still queued is no longer wanted.
        if (core->quit)
            break;
        std::function<void()> job = std::move(core->jobs.front());
        core->jobs.pop_front();
        core->activity = Activity::Busy;
        lock.unlock();
        job();
        lock.lock();
    }
    std::deque<std::function<void()>> dropped = std::move(core->jobs);
    lock.unlock();
    dropped.clear();
    {
        WithDaemon daemon(*core, core->bounds.call);
        closeConnection(*core);
    }
    lock.lock();
    core->workerDone = true;
    core->activity = Activity::Idle;
    core->changed.notify_all();
}

} // namespace

SpeechDispatcherObject::SpeechDispatcherObject(std::shared_ptr<Core> core)
    : m_core(std::move(core)), m_worker(runWorker, m_core)
{
}

std::unique_ptr<SpeechObject> SpeechDispatcherObject::create()
{
    return createWithBounds(Bounds{});
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
    auto core = std::make_shared<Core>();
    core->bounds = bounds;
    core->readingMode = reading;
    core->words = std::move(words);
    std::unique_ptr<SpeechDispatcherObject> object;
    try {
        object.reset(new SpeechDispatcherObject(std::move(core)));
    } catch (const std::system_error&) {
        return nullptr;
    }
    const int opened = object->call([autospawn](Core& core) {
        WithDaemon daemon(core, core.bounds.open);
        return openConnection(core, autospawn);
    });
    if (opened < 0)
        return nullptr;
    object->startWatching();
    return object;
}

SpeechDispatcherObject::~SpeechDispatcherObject()
{
    bool watcherGone = true;
    if (m_watcher.joinable()) {
        const std::uint64_t wake = 1;
        watcherGone = ::write(m_watcherWake, &wake, sizeof wake) == sizeof wake;
        if (watcherGone)
            m_watcher.join();
        else
            m_watcher.detach(); // it holds the core; its descriptors stay open
    }
    Core& core = *m_core;
    std::unique_lock lock(core.mutex);
    core.quit = true;
    core.changed.notify_all();
    // A reading still going on ends by itself, and it may use what static
    // destruction takes away at exit: it is waited for. Only a worker the
    // daemon keeps past its bound is left behind; it owns what it still
    // needs and finishes on its own if it ever gets an answer.
    for (;;) {
        if (core.workerDone) {
            lock.unlock();
            m_worker.join();
            break;
        }
        if (core.overdue(Core::Clock::now())) {
            lock.unlock();
            m_worker.detach();
            break;
        }
        if (core.activity == Activity::Daemon)
            core.changed.wait_until(lock, core.daemonDeadline);
        else
            core.changed.wait(lock);
    }
    if (watcherGone) {
        if (m_watcherWake >= 0)
            ::close(m_watcherWake);
        if (core.watchedSocket >= 0)
            ::close(core.watchedSocket);
    }
}

void SpeechDispatcherObject::startWatching()
{
    const int socket = m_core->watchedSocket;
    if (socket < 0)
        return;
    m_watcherWake = ::eventfd(0, EFD_CLOEXEC);
    if (m_watcherWake < 0)
        return;
    try {
        m_watcher = std::thread(watchSocket, m_core, socket, m_watcherWake);
    } catch (const std::system_error&) {
        // Unwatched, a closed connection shows at the next request instead.
    }
}

int SpeechDispatcherObject::call(std::function<int(Core&)> job)
{
    Core& core = *m_core;
    std::unique_lock lock(core.mutex);
    if (core.failed)
        return Failed;
    auto result = std::make_shared<std::optional<int>>();
    // The worker holds the core for as long as it runs, so the reference stays valid.
    core.jobs.push_back([&core, job = std::move(job), result] {
        const int status = core.mayAsk() ? job(core) : Failed;
        std::lock_guard done(core.mutex);
        *result = status;
        if (status < 0)
            core.failed = true;
        core.changed.notify_all();
    });
    core.changed.notify_all();
    for (;;) {
        if (result->has_value())
            return **result < 0 ? Failed : **result;
        if (core.failed)
            return Failed;
        if (core.overdue(Core::Clock::now())) {
            core.failed = true;
            return Failed;
        }
        // A reading is no business of the window's; the job goes on without
        // it, and a failure of the daemon shows at the next call.
        if (core.activity == Activity::OwnWork)
            return 0;
        if (core.activity == Activity::Daemon)
            core.changed.wait_until(lock, core.daemonDeadline);
        else
            core.changed.wait(lock);
    }
}

void SpeechDispatcherObject::post(std::function<void(Core&)> job)
{
    Core& core = *m_core;
    std::lock_guard lock(core.mutex);
    core.jobs.push_back([&core, job = std::move(job)] { job(core); });
    core.changed.notify_all();
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
    return call([text](Core& core) {
        QString spoken = text;
        if (core.readAsKana) {
            // Here, next to the dictionary it uses.
            OwnWork own(core);
            spoken = kanaReading(core).read(text);
        }
        const QByteArray wire = wireText(spoken);
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
    return call([](Core& core) {
        WithDaemon daemon(core, core.bounds.call);
        return spd_cancel(core.connection) == 0 ? 0 : Failed;
    });
}

int SpeechDispatcherObject::Configure(int /*value*/)
{
    const int status = call([](Core& core) {
        bool kana = false;
        {
            WithDaemon daemon(core, core.bounds.call);
            // Plain text, so that "<" in a password is spoken, not parsed.
            if (spd_set_data_mode(core.connection, SPD_DATA_TEXT) != 0)
                return Failed;
            if (spd_set_language(core.connection, "ja") != 0)
                return Failed;
            kana = wantsKana(core);
        }
        if (!kana)
            core.reading.reset();
        std::lock_guard lock(core.mutex);
        core.readAsKana = kana;
        return 0;
    });
    if (status == 0 && readsAsKana()) {
        // Opening the dictionary takes a few milliseconds (more from a cold
        // disk); it overlaps whatever the caller does before the first text.
        post([](Core& core) {
            OwnWork own(core);
            kanaReading(core);
        });
    }
    return status;
}

int SpeechDispatcherObject::WaitDone()
{
    Core& core = *m_core;
    std::unique_lock lock(core.mutex);
    if (core.failed)
        return Failed;
    if (core.allSpoken())
        return 0;
    const auto deadline = Core::Clock::now() + core.bounds.wait;
    // A daemon that stopped never sends END. Asked once now and once more a
    // call bound before the end, a live one has answered both within the
    // wait; one that stops meanwhile is found out by the end of it.
    const auto askAgain = deadline - core.bounds.call;
    bool askedAgain = false;
    const auto ask = [&core] {
        if (core.livenessAsked)
            return;
        core.livenessAsked = true;
        core.jobs.push_front([&core] { askWhetherAlive(core); });
        core.changed.notify_all();
    };
    ask();
    for (;;) {
        if (core.failed)
            return Failed;
        if (core.allSpoken())
            return 0;
        const auto now = Core::Clock::now();
        if (core.overdue(now)) {
            core.failed = true;
            return Failed;
        }
        if (!askedAgain && now >= askAgain) {
            askedAgain = true;
            ask();
        }
        const bool withDaemon = core.activity == Activity::Daemon;
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

QByteArray SpeechDispatcherObject::wireText(const QString& text)
{
    QString out;
    out.reserve(text.size() + 8);
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (c == u'\r') {
            out += QLatin1String("\r\n");
            if (i + 1 < size && text.at(i + 1) == u'\n')
                ++i;
        } else if (c == u'\n') {
            out += QLatin1String("\r\n");
        } else if (c == AnnounceSeparator) {
            out += QChar(JapaneseComma);
        } else if (isControlCharacter(c)) {
            out += QLatin1Char(' ');
        } else {
            out += c;
        }
    }
    return out.toUtf8();
}
