#pragma once

#include "platform/ModulePresence.h"

// GetModuleHandleA: whether this process has loaded a module of that name,
// as the screen reader loads its hook module into every program it reads.
class WindowsModulePresence : public ModulePresence
{
public:
    bool isLoaded(const QString& moduleName) override;
};
