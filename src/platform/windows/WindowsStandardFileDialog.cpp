#include "platform/windows/WindowsStandardFileDialog.h"

#include <QDir>
#include <QFileInfo>
#include <QWidget>
#include <vector>

#include <windows.h>
#include <commdlg.h>

namespace
{
std::wstring wide(const QString& text)
{
    return text.toStdWString();
}
} // namespace

std::wstring WindowsStandardFileDialog::windowsFilter(const QString& filter)
{
    std::wstring result;
    const QStringList parts = filter.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts.at(i).isEmpty() && parts.at(i + 1).isEmpty())
            continue; // the closing "||"
        result += wide(parts.at(i));
        result += L'\0';
        result += wide(parts.at(i + 1));
        result += L'\0';
    }
    result += L'\0';
    return result;
}

std::optional<QString> WindowsStandardFileDialog::show(const FileDialogRequest& request)
{
    const std::wstring filter = windowsFilter(request.filter);
    const std::wstring title = wide(request.title);
    // Windows takes the extension without its dot.
    QString extension = request.defaultExt;
    if (extension.startsWith(u'.'))
        extension.remove(0, 1);
    const std::wstring defaultExt = wide(extension);
    // A folder that is not there leaves the dialog where Windows opens it by
    // default, as a relative one would take the working folder.
    const QFileInfo folder(request.initDir);
    const std::wstring initDir =
        !request.initDir.isEmpty() && folder.isAbsolute() && folder.isDir() ? wide(QDir::toNativeSeparators(request.initDir))
                                                                             : std::wstring();
    // Room for the longest path Windows knows.
    std::vector<wchar_t> path(32768, L'\0');
    const std::wstring proposed = wide(QDir::toNativeSeparators(request.fileName));
    if (proposed.size() < path.size())
        std::copy(proposed.begin(), proposed.end(), path.begin());

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner() ? reinterpret_cast<HWND>(owner()->window()->winId()) : nullptr;
    dialog.lpstrFilter = filter.size() > 1 ? filter.c_str() : nullptr;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = DWORD(path.size());
    dialog.lpstrInitialDir = initDir.empty() ? nullptr : initDir.c_str();
    dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
    dialog.lpstrDefExt = defaultExt.empty() ? nullptr : defaultExt.c_str();
    // No question before replacing a file (the save keeps the old one whole
    // until the new one is complete), and any name goes through, one that is
    // not there too: reading it fails with the program's own message. The
    // working folder stays where it was: libraries are never looked for in
    // a folder the user browsed.
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_ENABLESIZING;
    const BOOL chosen = request.saveMode ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
    // A cancelled dialog answers nothing, also when a name had been proposed.
    if (!chosen || path[0] == L'\0')
        return std::nullopt;
    return QDir::fromNativeSeparators(QString::fromWCharArray(path.data()));
}
