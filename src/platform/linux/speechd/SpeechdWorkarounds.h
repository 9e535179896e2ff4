#pragma once

#include <libspeechd.h>

#include <QString>
#include <QStringList>

// libspeechd as this program uses it, around the faults it has: each call
// here stands in for one of libspeechd's own.

// spd_open2, but a unix socket nothing listens at is found out first (without
// autospawn): libspeechd loses a little memory every time it cannot connect.
// The connection is not passed on to programs started later. Null when there
// is no connection.
SPDConnection* openSpeechdConnection(bool autospawn);

// spd_close, except for a connection to a daemon that went away: libspeechd's
// event thread has then closed the socket itself, and spd_close would close
// the same descriptor number again, which may by now belong to a file of
// ours. Such a connection is kept, reachable, instead (a few hundred bytes,
// once per lost daemon).
void closeSpeechdConnection(SPDConnection* connection);

// spd_get_client_id reads a missing answer through a null pointer when the
// connection breaks, so the query is made and parsed here. -1 without an
// answer.
int querySpeechdClientId(SPDConnection* connection);

// The output module the daemon speaks this connection's texts with, empty
// when it does not say. Asked here for the same reason as the client id.
QString querySpeechdOutputModule(SPDConnection* connection);

// The output modules the daemon has working, in its order; empty when it
// does not say. Asked here for the same reason as the client id.
QStringList querySpeechdModules(SPDConnection* connection);
