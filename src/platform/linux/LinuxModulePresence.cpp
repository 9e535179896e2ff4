#include "platform/linux/LinuxModulePresence.h"

#include <QFileInfo>

#include <link.h>

namespace
{

struct Search {
    const QStringList* candidates;
    bool found = false;
};

int visitObject(dl_phdr_info* info, size_t, void* data)
{
    auto* search = static_cast<Search*>(data);
    // The program itself and the kernel's vDSO come without a usable path.
    if (!info->dlpi_name || !*info->dlpi_name)
        return 0;
    const QString fileName = QFileInfo(QString::fromLocal8Bit(info->dlpi_name)).fileName();
    if (LinuxModulePresence::fileNameMatches(fileName, *search->candidates)) {
        search->found = true;
        return 1; // stops the walk
    }
    return 0;
}

bool isVersionSuffix(QStringView rest)
{
    // ".1", ".6.0.2": dots each followed by at least one digit.
    if (rest.isEmpty())
        return false;
    bool digitSeen = false;
    for (qsizetype i = 0; i < rest.size(); ++i) {
        const QChar c = rest.at(i);
        if (c == u'.') {
            if (i > 0 && !digitSeen)
                return false;
            digitSeen = false;
        } else if (c.isDigit() && c.unicode() < 0x80) {
            digitSeen = true;
        } else {
            return false;
        }
    }
    return rest.front() == u'.' && digitSeen;
}

} // namespace

QStringList LinuxModulePresence::candidateFileNames(const QString& moduleName)
{
    if (moduleName.isEmpty())
        return {};
    const qsizetype dot = moduleName.lastIndexOf(u'.');
    const QString stem = dot > 0 ? moduleName.left(dot) : moduleName;
    QStringList names{moduleName, stem + QStringLiteral(".so")};
    if (!stem.startsWith(QStringLiteral("lib"), Qt::CaseInsensitive))
        names << QStringLiteral("lib") + stem + QStringLiteral(".so");
    names.removeDuplicates();
    return names;
}

bool LinuxModulePresence::fileNameMatches(const QString& fileName, const QStringList& candidates)
{
    for (const QString& candidate : candidates) {
        if (fileName.compare(candidate, Qt::CaseInsensitive) == 0)
            return true;
        if (fileName.size() > candidate.size() && fileName.startsWith(candidate, Qt::CaseInsensitive) &&
            isVersionSuffix(QStringView(fileName).mid(candidate.size())))
            return true;
    }
    return false;
}

bool LinuxModulePresence::isLoaded(const QString& moduleName)
{
    const QStringList candidates = candidateFileNames(moduleName);
    if (candidates.isEmpty())
        return false;
    Search search{&candidates};
    dl_iterate_phdr(visitObject, &search);
    return search.found;
}
