#pragma once

#include <cstdint>
#include <optional>

// The five entry points of the accessible file-dialog library, as the library
// exports them. Strings are NUL-terminated Shift-JIS; an empty string is
// passed as a null pointer; the owner is the window's native handle. A call
// that fails as a call (library or entry point missing, the call itself
// failing) answers std::nullopt. Only the adapter that speaks this
// convention (EntryPointFileDialogLibrary) calls them.
class FileDialogEntryPoints
{
public:
    virtual ~FileDialogEntryPoints() = default;

    virtual std::optional<int32_t> FileDlg_Create(int32_t openFlag, const char* defaultExt, const char* fileName,
                                                  const char* initDir, const char* filter, intptr_t owner) = 0;
    virtual std::optional<int32_t> FileDlg_SetWindowText(int32_t handle, const char* title, int32_t value) = 0;
    virtual std::optional<int32_t> FileDlg_DoModal(int32_t handle) = 0;
    virtual std::optional<int32_t> FileDlg_GetPathName(int32_t handle, char* buffer, int32_t size,
                                                       int32_t value) = 0;
    virtual std::optional<int32_t> FileDlg_Delete(int32_t handle) = 0;
};
