// Bytes from anywhere (a floppy, another person's machine) through the account
// file reader: no crash, no leak, no slow input, and the reader's laws hold.
#include "FuzzChecks.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Raw data, not a copy: the copy would add a terminating NUL and spare
    // capacity, hiding a read past the end of the file.
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString failure = FuzzChecks::runAcdReaderInput(bytes);
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "acd reader: %s\n", qPrintable(failure));
        std::abort();
    }
    return 0;
}
