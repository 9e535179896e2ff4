#pragma once

#include <QString>

// The screen reader's core module, which it loads into every program it
// reads: while it is in this process, the screen reader runs.
inline constexpr char ScreenReaderModule[] = "vxbcore.dll";

// Whether a module of the given name is loaded into this process.
class ModulePresence
{
public:
    virtual ~ModulePresence() = default;
    virtual bool isLoaded(const QString& moduleName) = 0;
};
