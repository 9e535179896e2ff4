#pragma once

#include "platform/FileDialogEntryPoints.h"

#include <string>
#include <vector>
#include <windows.h>

// The accessible file-dialog library's entry points, found at run time in
// QRCOMFD.DLL. The library is looked for again at each dialog until it is
// found, and kept from then on. A library or entry point that is missing
// answers as a failed call, so the file commands fall back to the standard
// dialog.
//
// It is loaded by full path, from the program's folder, the system folder
// and then each absolute folder on PATH, where a screen reader may put it;
// never from the working folder, which may be one the user browsed and
// which some loaders search even after the program took it out of the
// search.
class LoadedFileDialogEntryPoints : public FileDialogEntryPoints
{
public:
    static constexpr wchar_t LibraryName[] = L"QRCOMFD.DLL";

    LoadedFileDialogEntryPoints() = default;
    ~LoadedFileDialogEntryPoints() override;
    LoadedFileDialogEntryPoints(const LoadedFileDialogEntryPoints&) = delete;
    LoadedFileDialogEntryPoints& operator=(const LoadedFileDialogEntryPoints&) = delete;

    std::optional<int32_t> FileDlg_Create(int32_t openFlag, const char* defaultExt, const char* fileName,
                                          const char* initDir, const char* filter, intptr_t owner) override;
    std::optional<int32_t> FileDlg_SetWindowText(int32_t handle, const char* title, int32_t value) override;
    std::optional<int32_t> FileDlg_DoModal(int32_t handle) override;
    std::optional<int32_t> FileDlg_GetPathName(int32_t handle, char* buffer, int32_t size, int32_t value) override;
    std::optional<int32_t> FileDlg_Delete(int32_t handle) override;

    // Where the library is looked for, in order.
    static std::vector<std::wstring> searchFolders();

private:
    template <typename Function> Function* entry(const char* name);
    static HMODULE load();

    HMODULE m_library = nullptr;
};
