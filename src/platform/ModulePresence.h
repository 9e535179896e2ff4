#pragma once

#include <QString>

// Whether a module of the given name is loaded into this process.
class ModulePresence
{
public:
    virtual ~ModulePresence() = default;
    virtual bool isLoaded(const QString& moduleName) = 0;
};
