// The CP932 codec both ways: every input is decoded as it stands, and also read
// as text and encoded.
#include "FuzzChecks.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString failure = FuzzChecks::runCp932Input(bytes);
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "cp932: %s\n", qPrintable(failure));
        std::abort();
    }
    return 0;
}
