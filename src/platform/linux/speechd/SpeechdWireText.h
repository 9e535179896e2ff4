#pragma once

#include <QByteArray>
#include <QString>

// The bytes handed to libspeechd for a text: the announcement separator
// becomes a Japanese comma (a pause), every line break becomes CR LF (the
// only line end after which libspeechd escapes a "." line, so a text with
// such a line stays one message), and other control characters, which would
// corrupt the protocol or cut the text short, become spaces.
QByteArray speechdWireText(const QString& text);
