#pragma once

#include "platform/ModulePresence.h"

#include <QString>
#include <QStringList>

// Looks through the shared objects loaded into this process. Module names are
// given as the screen reader names them on its own system ("vxbcore.dll"); a
// shared object counts as that module when its file name, compared without
// regard to case, is the name itself, the name with its extension turned into
// ".so", or that with "lib" in front; a version suffix (".so.1.2") is allowed.
class LinuxModulePresence : public ModulePresence
{
public:
    bool isLoaded(const QString& moduleName) override;

    // The file names a module may have here, for the rule above.
    static QStringList candidateFileNames(const QString& moduleName);
    static bool fileNameMatches(const QString& fileName, const QStringList& candidates);
};
