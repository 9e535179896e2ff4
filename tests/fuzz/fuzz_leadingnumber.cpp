// Any text through the leading-number rule: never a crash, and the result
// agrees with an exact reading of the digits and with the rule's own laws.
#include "FuzzChecks.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString failure = FuzzChecks::runLeadingNumberInput(bytes);
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "leading number: %s\n", qPrintable(failure));
        std::abort();
    }
    return 0;
}
