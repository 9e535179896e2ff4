#pragma once

#include "platform/ModulePresence.h"

#include <QSet>
#include <QString>
#include <QStringList>

// Answers from a set of module names the test declares loaded, and records
// every name it was asked about.
class FakeModulePresence : public ModulePresence
{
public:
    QSet<QString> loaded;
    QStringList asked;

    bool isLoaded(const QString& moduleName) override
    {
        asked << moduleName;
        return loaded.contains(moduleName);
    }
};
