#include "platform/windows/WindowsModulePresence.h"

#include "codec/Cp932Codec.h"

#include <windows.h>

bool WindowsModulePresence::isLoaded(const QString& moduleName)
{
    // A name the code page cannot spell cannot be a loaded module's ANSI
    // name either.
    const std::optional<QByteArray> name = Cp932Codec::encode(moduleName);
    if (!name || name->isEmpty())
        return false;
    return GetModuleHandleA(name->constData()) != nullptr;
}
