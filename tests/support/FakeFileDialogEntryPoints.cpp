#include "FakeFileDialogEntryPoints.h"

#include <QStringList>
#include <cstring>

namespace
{

std::optional<QByteArray> argument(const char* text)
{
    if (!text)
        return std::nullopt;
    return QByteArray(text);
}

} // namespace

QStringList FakeFileDialogEntryPoints::entries() const
{
    QStringList result;
    for (const Call& call : calls)
        result.append(call.entry);
    return result;
}

std::optional<int32_t> FakeFileDialogEntryPoints::answer(const QString& entry, int32_t result) const
{
    if (entry == failingEntry)
        return std::nullopt;
    return result;
}

std::optional<int32_t> FakeFileDialogEntryPoints::FileDlg_Create(int32_t openFlag, const char* defaultExt,
                                                             const char* fileName, const char* initDir,
                                                             const char* filter, intptr_t owner)
{
    calls.append({QStringLiteral("Create"),
                  {openFlag, static_cast<qint64>(owner)},
                  {argument(defaultExt), argument(fileName), argument(initDir), argument(filter)}});
    return answer(QStringLiteral("Create"), handle);
}

std::optional<int32_t> FakeFileDialogEntryPoints::FileDlg_SetWindowText(int32_t h, const char* title,
                                                                    int32_t value)
{
    calls.append({QStringLiteral("SetWindowText"), {h, value}, {argument(title)}});
    return answer(QStringLiteral("SetWindowText"), 1);
}

std::optional<int32_t> FakeFileDialogEntryPoints::FileDlg_DoModal(int32_t h)
{
    calls.append({QStringLiteral("DoModal"), {h}, {}});
    return answer(QStringLiteral("DoModal"), modalResult);
}

std::optional<int32_t> FakeFileDialogEntryPoints::FileDlg_GetPathName(int32_t h, char* buffer, int32_t size,
                                                                  int32_t value)
{
    calls.append({QStringLiteral("GetPathName"), {h, size, value}, {}, buffer != nullptr});
    if (failingEntry == QLatin1String("GetPathName"))
        return std::nullopt;
    if (forcedPathNameResult)
        return forcedPathNameResult;
    if (!buffer || size <= 0)
        return 0;
    if (chosenPath.size() + 1 > size) {
        std::memcpy(buffer, chosenPath.constData(), size - 1);
        buffer[size - 1] = '\0';
        return 0;
    }
    std::memcpy(buffer, chosenPath.constData(), chosenPath.size() + 1);
    return 1;
}

std::optional<int32_t> FakeFileDialogEntryPoints::FileDlg_Delete(int32_t h)
{
    calls.append({QStringLiteral("Delete"), {h}, {}});
    return answer(QStringLiteral("Delete"), 1);
}
