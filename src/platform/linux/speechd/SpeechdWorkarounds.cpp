#include "platform/linux/speechd/SpeechdWorkarounds.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <pthread.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace
{

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

// What follows the answer's "NNN-", or null when it has none.
char* askForLine(SPDConnection* connection, const char* command, char** reply)
{
    pthread_mutex_lock(&connection->ssip_mutex);
    const int rc = spd_execute_command_with_reply(connection, command, reply);
    pthread_mutex_unlock(&connection->ssip_mutex);
    if (rc == 0 && *reply && std::strlen(*reply) > 4 && (*reply)[3] == '-')
        return *reply + 4;
    return nullptr;
}

} // namespace

SPDConnection* openSpeechdConnection(bool autospawn)
{
    if (!autospawn && nothingListensAtAddress())
        return nullptr;
    char* error = nullptr;
    SPDConnection* connection =
        spd_open2("vornix-support", "main", nullptr, SPD_MODE_THREADED, nullptr, autospawn ? 1 : 0, &error);
    std::free(error); // there is no log to put the reason in
    // libspeechd makes its socket without close-on-exec, and a browser the
    // program starts would hold the connection open after the program ended.
    if (connection)
        ::fcntl(connection->socket, F_SETFD, ::fcntl(connection->socket, F_GETFD) | FD_CLOEXEC);
    return connection;
}

void closeSpeechdConnection(SPDConnection* connection)
{
    if (connection->stream)
        spd_close(connection);
    else
        keepBroken(connection);
}

int querySpeechdClientId(SPDConnection* connection)
{
    char* reply = nullptr;
    int id = -1;
    // "NNN-<id>\r\nNNN OK ..."
    if (const char* line = askForLine(connection, "HISTORY GET CLIENT_ID", &reply)) {
        char* end = nullptr;
        const long value = std::strtol(line, &end, 10);
        if (end != line && (*end == '\r' || *end == '\n') && value >= 0 && value <= INT_MAX)
            id = static_cast<int>(value);
    }
    std::free(reply);
    return id;
}

QString querySpeechdOutputModule(SPDConnection* connection)
{
    char* reply = nullptr;
    QString module;
    // "251-espeak-ng\r\n251 OK GET RETURNED\r\n"
    if (const char* name = askForLine(connection, "GET OUTPUT_MODULE", &reply))
        module = QString::fromUtf8(name, static_cast<qsizetype>(std::strcspn(name, "\r\n")));
    std::free(reply);
    return module;
}

QStringList querySpeechdModules(SPDConnection* connection)
{
    char* reply = nullptr;
    QStringList modules;
    pthread_mutex_lock(&connection->ssip_mutex);
    const int rc = spd_execute_command_with_reply(connection, "LIST OUTPUT_MODULES", &reply);
    pthread_mutex_unlock(&connection->ssip_mutex);
    // "250-espeak-ng\r\n250-vornix-jtalk\r\n250 OK MODULE LIST SENT\r\n"
    if (rc == 0 && reply) {
        const QStringList lines = QString::fromUtf8(reply).split(QStringLiteral("\r\n"));
        for (const QString& line : lines) {
            if (line.size() > 4 && line.at(3) == u'-')
                modules << line.mid(4);
        }
    }
    std::free(reply);
    return modules;
}
