#pragma once

#include "platform/FileDialogEntryPoints.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// The file-dialog library's entry points: every call is written down with its
// arguments, in order, and answered as the test prepared it: a chosen path, a
// cancel, a call that fails, or no path from GetPathName.
class FakeFileDialogEntryPoints : public FileDialogEntryPoints
{
public:
    struct Call {
        QString entry;         // "Create", "SetWindowText", "DoModal", "GetPathName", "Delete"
        QList<qint64> numbers; // the integer arguments, in order
        QList<std::optional<QByteArray>> strings; // nullopt: a null pointer was passed
        bool bufferGiven = false;                 // GetPathName: a non-null buffer address
    };

    QList<Call> calls;

    int32_t handle = 4711;
    int32_t modalResult = 1; // 1: a file was chosen
    // Written into the buffer with its NUL when it fits in the size offered;
    // otherwise GetPathName answers 0 after filling the buffer with as much
    // as fits, so only the answer tells that the path is cut.
    QByteArray chosenPath;
    // Answers GetPathName with this and writes nothing, whatever chosenPath is.
    std::optional<int32_t> forcedPathNameResult;
    // The entry that fails as a call (answers std::nullopt); empty: none.
    QString failingEntry;

    QStringList entries() const;

    std::optional<int32_t> FileDlg_Create(int32_t openFlag, const char* defaultExt, const char* fileName,
                                          const char* initDir, const char* filter, intptr_t owner) override;
    std::optional<int32_t> FileDlg_SetWindowText(int32_t handle, const char* title, int32_t value) override;
    std::optional<int32_t> FileDlg_DoModal(int32_t handle) override;
    std::optional<int32_t> FileDlg_GetPathName(int32_t handle, char* buffer, int32_t size,
                                               int32_t value) override;
    std::optional<int32_t> FileDlg_Delete(int32_t handle) override;

private:
    std::optional<int32_t> answer(const QString& entry, int32_t result) const;
};
