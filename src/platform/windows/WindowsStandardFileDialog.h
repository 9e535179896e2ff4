#pragma once

#include "platform/StandardFileDialog.h"

#include <string>

// The standard dialog as Windows' own (GetOpenFileNameW/GetSaveFileNameW),
// which screen readers read well; the program itself reads nothing of it.
// Windows' dialog keeps its own history under the user's Explorer key; Qt's
// dialog would keep one of Qt's in the registry, which the program promises
// never to write.
class WindowsStandardFileDialog : public StandardFileDialog
{
public:
    std::optional<QString> show(const FileDialogRequest& request) override;

    // "description|pattern|description|pattern||" as Windows takes it:
    // NUL-separated pairs closed by a second NUL.
    static std::wstring windowsFilter(const QString& filter);
};
