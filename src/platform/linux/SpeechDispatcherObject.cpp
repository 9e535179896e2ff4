#include "platform/linux/SpeechDispatcherObject.h"

#include "platform/KanaReading.h"

#include <libspeechd.h>

#include <array>
#include <climits>
#include <condition_variable>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <optional>
#include <pthread.h>
#include <set>
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

// Shared by the object, its worker thread and libspeechd's event thread; it
// lives as long as the longest of them, so a worker abandoned inside a call to
// a dead daemon never touches freed memory.
struct SpeechDispatcherObject::Core : std::enable_shared_from_this<Core> {
    std::mutex mutex;
    std::condition_variable changed;

    // Under mutex.
    std::deque<std::function<void()>> jobs;
    bool quit = false;
    bool workerDone = false;
    bool failed = false;
    int clientId = -1;
    // Messages of ours the daemon has not finished (END) or dropped (CANCEL).
    std::set<std::size_t> pending;
    // END or CANCEL can overtake the answer that tells us a message's id.
    std::set<std::size_t> finishedUnclaimed;

    // Set by the worker in Configure; the worker reads it without the lock.
    bool readAsKana = false;

    // Worker thread only.
    SPDConnection* connection = nullptr;
    std::size_t slot = NoSlot;
    SpeechReadingMode readingMode = SpeechReadingMode::Off;
    std::unique_ptr<KanaReading> reading;

    void messageSent(std::size_t id)
    {
        std::lock_guard lock(mutex);
        if (finishedUnclaimed.erase(id) == 0)
            pending.insert(id);
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
void decideReading(Core& core)
{
    bool kana = false;
    if (core.readingMode == SpeechReadingMode::Kana)
        kana = true;
    else if (core.readingMode == SpeechReadingMode::Auto)
        kana = isEspeakModule(queryOutputModule(core.connection));
    if (!kana)
        core.reading.reset();
    else if (!core.reading)
        core.reading = std::make_unique<KanaReading>(openSystemWordReadings());
    std::lock_guard lock(core.mutex);
    core.readAsKana = kana;
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
        core->changed.wait(lock, [&] { return core->quit || !core->jobs.empty(); });
        if (core->jobs.empty())
            break;
        std::function<void()> job = std::move(core->jobs.front());
        core->jobs.pop_front();
        lock.unlock();
        job();
        lock.lock();
    }
    lock.unlock();
    closeConnection(*core);
    lock.lock();
    core->workerDone = true;
    core->changed.notify_all();
}

} // namespace

SpeechDispatcherObject::SpeechDispatcherObject(std::shared_ptr<Core> core, const Bounds& bounds)
    : m_core(std::move(core)), m_worker(runWorker, m_core), m_bounds(bounds)
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
    // A daemon named by the user's environment is the one to use: starting
    // another one in its place is not ours to do.
    const bool autospawn = !qEnvironmentVariableIsSet("SPEECHD_ADDRESS");
    std::unique_ptr<SpeechDispatcherObject> object;
    try {
        object.reset(new SpeechDispatcherObject(std::make_shared<Core>(), bounds));
    } catch (const std::system_error&) {
        return nullptr;
    }
    if (object->call([autospawn](Core& core) { return openConnection(core, autospawn); }, bounds.open) < 0)
        return nullptr;
    if (reading != SpeechReadingMode::Off) {
        // Opening the dictionary takes a few milliseconds (more from a cold
        // disk); it overlaps whatever the caller does before the first text.
        object->post([reading](Core& core) {
            core.readingMode = reading;
            core.reading = std::make_unique<KanaReading>(openSystemWordReadings());
        });
    }
    return object;
}

SpeechDispatcherObject::~SpeechDispatcherObject()
{
    {
        std::lock_guard lock(m_core->mutex);
        m_core->quit = true;
    }
    m_core->changed.notify_all();
    if (!m_workerStuck) {
        std::unique_lock lock(m_core->mutex);
        if (m_core->changed.wait_for(lock, m_bounds.call, [&] { return m_core->workerDone; })) {
            lock.unlock();
            m_worker.join();
            return;
        }
    }
    // The worker is inside libspeechd waiting for a daemon that does not
    // answer; it owns what it still needs and finishes on its own if it ever
    // gets an answer.
    m_worker.detach();
}

int SpeechDispatcherObject::call(std::function<int(Core&)> job, std::chrono::milliseconds bound)
{
    Core& core = *m_core;
    std::unique_lock lock(core.mutex);
    if (core.failed)
        return Failed;
    auto result = std::make_shared<std::optional<int>>();
    // The worker holds the core for as long as it runs, so the reference stays valid.
    core.jobs.push_back([&core, job = std::move(job), result] {
        const int status = job(core);
        std::lock_guard done(core.mutex);
        *result = status;
        core.changed.notify_all();
    });
    core.changed.notify_all();
    if (!core.changed.wait_for(lock, bound, [&] { return result->has_value(); })) {
        m_workerStuck = true;
        core.failed = true;
        return Failed;
    }
    if (**result < 0) {
        core.failed = true;
        return Failed;
    }
    return **result;
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
    return call(
        [text](Core& core) {
            // The reading runs here, next to the dictionary it uses.
            const QByteArray wire = wireText(core.reading && core.readAsKana ? core.reading->read(text) : text);
            // SPD_MESSAGE queues behind what is being said: a list announces
            // itself in two texts and both must be heard (SPD_TEXT would drop
            // the first).
            const int id = spd_say(core.connection, SPD_MESSAGE, wire.constData());
            if (id < 0)
                return Failed;
            core.messageSent(static_cast<std::size_t>(id));
            return 0;
        },
        m_bounds.call);
}

int SpeechDispatcherObject::Interrupt()
{
    // This program's own speech only: cancelling every client's would also
    // silence the user's screen reader.
    return call([](Core& core) { return spd_cancel(core.connection) == 0 ? 0 : Failed; }, m_bounds.call);
}

int SpeechDispatcherObject::Configure(int /*value*/)
{
    return call(
        [](Core& core) {
            // Plain text, so that "<" in a password is spoken, not parsed.
            if (spd_set_data_mode(core.connection, SPD_DATA_TEXT) != 0)
                return Failed;
            if (spd_set_language(core.connection, "ja") != 0)
                return Failed;
            decideReading(core);
            return 0;
        },
        m_bounds.call);
}

int SpeechDispatcherObject::WaitDone()
{
    {
        std::unique_lock lock(m_core->mutex);
        if (m_core->failed)
            return Failed;
        if (m_core->changed.wait_for(lock, m_bounds.wait, [&] { return m_core->pending.empty(); }))
            return 0;
    }
    // Still speaking after the bound: a dead daemon never sends END, a live
    // one answers a question at once.
    const int alive = call([](Core& core) { return queryClientId(core.connection) >= 0 ? 0 : Failed; },
                           m_bounds.call);
    return alive < 0 ? Failed : StillSpeaking;
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
