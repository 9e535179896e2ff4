// GIO names struct fields "signals", which Qt's headers define as a keyword.
#include <gio/gio.h>

#include "platform/linux/LinuxScreenReaderPresence.h"

#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <future>
#include <memory>
#include <string>
#include <system_error>
#include <thread>

namespace
{

using Clock = std::chrono::steady_clock;

constexpr char BusService[] = "org.a11y.Bus";
constexpr char BusPath[] = "/org/a11y/bus";
constexpr char PropertiesInterface[] = "org.freedesktop.DBus.Properties";
constexpr char RegistryService[] = "org.a11y.atspi.Registry";
constexpr char RootPath[] = "/org/a11y/atspi/accessible/root";
constexpr char AccessibleInterface[] = "org.a11y.atspi.Accessible";

// One question: shared by the thread that asks and the caller, which may
// stop waiting and leave the asking thread to wind down on its own.
struct Question {
    explicit Question(Clock::time_point end) : deadline(end) {}
    ~Question() { g_object_unref(cancellable); }
    Question(const Question&) = delete;
    Question& operator=(const Question&) = delete;

    // Milliseconds left for the next wait, at least 1 while any are left.
    int msLeft() const
    {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        return left > 0 ? int(left) : 0;
    }

    // A call or connection that ran out of time (or was cancelled at the
    // deadline): "none found" then means nothing.
    void noteFailure(const GError* error)
    {
        if (!error || g_error_matches(error, G_IO_ERROR, G_IO_ERROR_TIMED_OUT) ||
            g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED))
            unanswered = true;
    }

    const Clock::time_point deadline;
    GCancellable* const cancellable = g_cancellable_new();
    std::atomic<bool> unanswered = false;
};

struct GErrorFree {
    void operator()(GError* error) const { g_error_free(error); }
};
using Error = std::unique_ptr<GError, GErrorFree>;

// A private connection is closed when dropped; closing waits for nothing.
struct CloseConnection {
    void operator()(GDBusConnection* bus) const
    {
        g_dbus_connection_close(bus, nullptr, nullptr, nullptr);
        g_object_unref(bus);
    }
};
using Connection = std::unique_ptr<GDBusConnection, CloseConnection>;

struct GVariantUnref {
    void operator()(GVariant* value) const { g_variant_unref(value); }
};
using Variant = std::unique_ptr<GVariant, GVariantUnref>;

// A call that waits no longer than what is left of the question's time.
// Asking must not start the accessibility services on a desktop that has
// them switched off.
Variant call(GDBusConnection* bus, const char* service, const char* path, const char* interface,
             const char* method, GVariant* arguments, const char* replyType, Question& question)
{
    const int left = question.msLeft();
    if (left == 0) {
        if (arguments)
            g_variant_unref(g_variant_ref_sink(arguments));
        question.noteFailure(nullptr);
        return nullptr;
    }
    GError* error = nullptr;
    Variant reply(g_dbus_connection_call_sync(bus, service, path, interface, method, arguments,
                                              G_VARIANT_TYPE(replyType), G_DBUS_CALL_FLAGS_NO_AUTO_START,
                                              left, question.cancellable, &error));
    if (!reply)
        question.noteFailure(Error(error).get());
    return reply;
}

// A bus connection: connecting and authenticating end when the question is
// cancelled. The hello a message bus wants first is sent as a call of ours:
// GLib's own (G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION) waits 25 s
// whatever is cancelled, and a bus that never answers it would keep the
// asking thread that long after every question.
Connection connect(const std::string& address, Question& question)
{
    GError* error = nullptr;
    Connection bus(g_dbus_connection_new_for_address_sync(address.c_str(),
                                                          G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT, nullptr,
                                                          question.cancellable, &error));
    if (!bus) {
        question.noteFailure(Error(error).get());
        return bus;
    }
    if (!call(bus.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "Hello", nullptr,
              "(s)", question))
        return nullptr;
    return bus;
}

bool screenReaderSwitchOn(GDBusConnection* session, Question& question)
{
    const Variant reply =
        call(session, BusService, BusPath, PropertiesInterface, "Get",
             g_variant_new("(ss)", "org.a11y.Status", "ScreenReaderEnabled"), "(v)", question);
    if (!reply)
        return false;
    const Variant value(g_variant_get_child_value(reply.get(), 0));
    const Variant flag(g_variant_get_variant(value.get()));
    return g_variant_is_of_type(flag.get(), G_VARIANT_TYPE_BOOLEAN) && g_variant_get_boolean(flag.get());
}

// The applications' names are asked all at once: one that does not answer
// must not keep the others from being heard.
struct NameAnswers {
    Question& question;
    int pending = 0;
    bool screenReader = false;
};

void nameAnswered(GObject* bus, GAsyncResult* result, gpointer data)
{
    auto* answers = static_cast<NameAnswers*>(data);
    --answers->pending;
    GError* error = nullptr;
    const Variant reply(g_dbus_connection_call_finish(G_DBUS_CONNECTION(bus), result, &error));
    if (!reply) {
        // A screen reader busy speaking is the likeliest application to
        // answer late.
        answers->question.noteFailure(Error(error).get());
        return;
    }
    const Variant value(g_variant_get_child_value(reply.get(), 0));
    const Variant name(g_variant_get_variant(value.get()));
    if (g_variant_is_of_type(name.get(), G_VARIANT_TYPE_STRING))
        answers->screenReader = answers->screenReader || LinuxScreenReaderPresence::isScreenReaderName(
                                                             g_variant_get_string(name.get(), nullptr));
}

bool screenReaderAmongApplications(GDBusConnection* a11y, Question& question)
{
    const Variant reply = call(a11y, RegistryService, RootPath, AccessibleInterface, "GetChildren", nullptr,
                               "(a(so))", question);
    if (!reply)
        return false;
    GMainContext* context = g_main_context_new();
    g_main_context_push_thread_default(context);
    NameAnswers answers{question};
    const int left = question.msLeft();
    GVariantIter* children = nullptr;
    g_variant_get(reply.get(), "(a(so))", &children);
    // Applications left unasked are no sign that none is a screen reader.
    if (left == 0 && g_variant_iter_n_children(children) > 0)
        question.noteFailure(nullptr);
    const char* application = nullptr;
    const char* path = nullptr;
    while (left > 0 && g_variant_iter_next(children, "(&s&o)", &application, &path)) {
        ++answers.pending;
        g_dbus_connection_call(a11y, application, path, PropertiesInterface, "Get",
                               g_variant_new("(ss)", AccessibleInterface, "Name"), G_VARIANT_TYPE("(v)"),
                               G_DBUS_CALL_FLAGS_NO_AUTO_START, left, question.cancellable, nameAnswered,
                               &answers);
    }
    g_variant_iter_free(children);
    // Every call ends, answered, timed out or cancelled, before `answers`
    // goes; once a screen reader is found the rest are not waited for.
    while (answers.pending > 0) {
        if (answers.screenReader)
            g_cancellable_cancel(question.cancellable);
        g_main_context_iteration(context, TRUE);
    }
    g_main_context_pop_thread_default(context);
    g_main_context_unref(context);
    return answers.screenReader;
}

bool screenReaderOnAccessibilityBus(GDBusConnection* session, Question& question)
{
    const Variant reply =
        call(session, BusService, BusPath, BusService, "GetAddress", nullptr, "(s)", question);
    if (!reply)
        return false;
    const char* address = nullptr;
    g_variant_get(reply.get(), "(&s)", &address);
    const Connection a11y = connect(address, question);
    return a11y && screenReaderAmongApplications(a11y.get(), question);
}

ScreenReaderAnswer askBuses(const std::string& sessionBusAddress, Question& question)
{
    const Connection session = connect(sessionBusAddress, question);
    if (session && (screenReaderSwitchOn(session.get(), question) ||
                    screenReaderOnAccessibilityBus(session.get(), question)))
        return ScreenReaderAnswer::Runs;
    return question.unanswered ? ScreenReaderAnswer::NoAnswer : ScreenReaderAnswer::None;
}

} // namespace

ScreenReaderAnswer LinuxScreenReaderPresence::ask()
{
    if (const auto forced = forcedScreenReaderAnswer(qEnvironmentVariable(ScreenReaderVariable)))
        return *forced ? ScreenReaderAnswer::Runs : ScreenReaderAnswer::None;
    return askDesktop(sessionBusAddress());
}

QString LinuxScreenReaderPresence::sessionBusAddress()
{
    const QString given = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
    if (!given.isEmpty())
        return given;
    const QString perUser = qEnvironmentVariable("XDG_RUNTIME_DIR") + QLatin1String("/bus");
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && QFileInfo::exists(perUser))
        return QLatin1String("unix:path=") + perUser;
    return {};
}

ScreenReaderAnswer LinuxScreenReaderPresence::askDesktop(const QString& sessionBusAddress) const
{
    if (sessionBusAddress.isEmpty())
        return ScreenReaderAnswer::None;
    // The asking thread is never joined: at the deadline the caller has its
    // answer (none came) and the thread, cancelled, ends by itself soon after.
    auto question = std::make_shared<Question>(Clock::now() + std::chrono::milliseconds(m_budget));
    std::promise<ScreenReaderAnswer> promise;
    std::future<ScreenReaderAnswer> answer = promise.get_future();
    try {
        std::thread([question, address = sessionBusAddress.toStdString(),
                     promise = std::move(promise)]() mutable {
            promise.set_value(askBuses(address, *question));
        }).detach();
    } catch (const std::system_error&) {
        // No thread to ask on, and the question must not block the caller.
        return ScreenReaderAnswer::NoAnswer;
    }
    if (answer.wait_until(question->deadline) == std::future_status::ready)
        return answer.get();
    g_cancellable_cancel(question->cancellable);
    return ScreenReaderAnswer::NoAnswer;
}

bool LinuxScreenReaderPresence::isScreenReaderName(std::string_view applicationName)
{
    return std::any_of(ScreenReaderNames.begin(), ScreenReaderNames.end(), [&](std::string_view name) {
        return name.size() == applicationName.size() &&
               std::equal(name.begin(), name.end(), applicationName.begin(),
                          [](char a, char b) { return g_ascii_tolower(a) == g_ascii_tolower(b); });
    });
}
