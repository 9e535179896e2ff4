#include "platform/windows/LoadedFileDialogEntryPoints.h"

namespace
{
// The library's own declarations: the standard Windows calling convention,
// 32-bit integers and dialog handles, the owner as a window handle.
using CreateFunction = int32_t WINAPI(int32_t, const char*, const char*, const char*, const char*, HWND);
using SetWindowTextFunction = int32_t WINAPI(int32_t, const char*, int32_t);
using HandleFunction = int32_t WINAPI(int32_t);
using GetPathNameFunction = int32_t WINAPI(int32_t, char*, int32_t, int32_t);
} // namespace

LoadedFileDialogEntryPoints::~LoadedFileDialogEntryPoints()
{
    if (m_library)
        FreeLibrary(m_library);
}

template <typename Function> Function* LoadedFileDialogEntryPoints::entry(const char* name)
{
    if (!m_library)
        m_library = LoadLibraryW(LibraryName);
    if (!m_library)
        return nullptr;
    return reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(m_library, name)));
}

std::optional<int32_t> LoadedFileDialogEntryPoints::FileDlg_Create(int32_t openFlag, const char* defaultExt,
                                                                   const char* fileName, const char* initDir,
                                                                   const char* filter, intptr_t owner)
{
    auto* create = entry<CreateFunction>("FileDlg_Create");
    if (!create)
        return std::nullopt;
    return create(openFlag, defaultExt, fileName, initDir, filter, reinterpret_cast<HWND>(owner));
}

std::optional<int32_t> LoadedFileDialogEntryPoints::FileDlg_SetWindowText(int32_t handle, const char* title,
                                                                          int32_t value)
{
    auto* setWindowText = entry<SetWindowTextFunction>("FileDlg_SetWindowText");
    if (!setWindowText)
        return std::nullopt;
    return setWindowText(handle, title, value);
}

std::optional<int32_t> LoadedFileDialogEntryPoints::FileDlg_DoModal(int32_t handle)
{
    auto* doModal = entry<HandleFunction>("FileDlg_DoModal");
    if (!doModal)
        return std::nullopt;
    return doModal(handle);
}

std::optional<int32_t> LoadedFileDialogEntryPoints::FileDlg_GetPathName(int32_t handle, char* buffer, int32_t size,
                                                                        int32_t value)
{
    auto* getPathName = entry<GetPathNameFunction>("FileDlg_GetPathName");
    if (!getPathName)
        return std::nullopt;
    return getPathName(handle, buffer, size, value);
}

std::optional<int32_t> LoadedFileDialogEntryPoints::FileDlg_Delete(int32_t handle)
{
    auto* deleteDialog = entry<HandleFunction>("FileDlg_Delete");
    if (!deleteDialog)
        return std::nullopt;
    return deleteDialog(handle);
}
