#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// Properties that must hold for any input, shared by the libFuzzer targets and
// the corpus regression test so that a finding replays under the normal build
// exactly as the fuzzer saw it. Each answers an empty string when everything
// holds, else what broke.
namespace FuzzChecks
{

// Reading is deterministic and starts from the defaults whatever the record
// held; a record that was read and can be written reads back equal; writing
// fails only for a value CP932 cannot hold.
QString acdReader(const QByteArray& bytes);

// The leading-number rule against an independent reading of its grammar, and
// its metamorphic laws: blanks anywhere change nothing, a trailing letter
// changes nothing, a leading minus negates.
QString leadingNumber(QStringView text);

// Decoding any bytes: one character per byte or byte pair, and every byte
// below 0x40 (CR, LF, "=" and the space among them) survives as itself: the reader
// cuts lines, keys and values on raw bytes.
// Decoded text without replacement characters encodes, and comes back.
QString cp932Bytes(const QByteArray& bytes);

// For text that encodes, encode(decode(encode(text))) == encode(text), and the
// encoding of a text is the encodings of its characters laid end to end.
QString cp932Text(QStringView text);

// One fuzz input, turned into what each target feeds its checks, and every
// check of that target run on it. The fuzz targets and the corpus test both
// call these, so a saved input replays the same way in either build.
QString runAcdReaderInput(const QByteArray& data);
QString runLeadingNumberInput(const QByteArray& data);
QString runCp932Input(const QByteArray& data);

} // namespace FuzzChecks
