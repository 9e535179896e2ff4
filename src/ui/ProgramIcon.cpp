#include "ui/ProgramIcon.h"

#include <QDir>

QIcon programIcon()
{
    // Every size the build drew goes in: a small icon drawn small stays
    // sharper than a large one scaled down.
    QIcon icon;
    const QDir sizes(QStringLiteral(":/icons"));
    for (const QString& name : sizes.entryList(QDir::Files))
        icon.addFile(sizes.filePath(name));
    return icon;
}
