#include "platform/windows/LoadedFileDialogEntryPoints.h"

#include <algorithm>

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

namespace
{
std::wstring folderOf(const std::wstring& path)
{
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

bool isAbsolute(const std::wstring& folder)
{
    const bool drive = folder.size() >= 3 && folder[1] == L':' && (folder[2] == L'\\' || folder[2] == L'/');
    const bool share = folder.size() >= 2 && folder[0] == L'\\' && folder[1] == L'\\';
    return drive || share;
}
} // namespace

std::vector<std::wstring> LoadedFileDialogEntryPoints::searchFolders()
{
    std::vector<std::wstring> folders;
    std::wstring buffer(32768, L'\0');
    const DWORD own = GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
    if (own > 0 && own < buffer.size())
        folders.push_back(folderOf(buffer.substr(0, own)));
    const UINT system = GetSystemDirectoryW(buffer.data(), UINT(buffer.size()));
    if (system > 0 && system < buffer.size())
        folders.push_back(buffer.substr(0, system));
    const DWORD path = GetEnvironmentVariableW(L"PATH", buffer.data(), DWORD(buffer.size()));
    if (path > 0 && path < buffer.size()) {
        std::wstring list = buffer.substr(0, path);
        size_t start = 0;
        while (start <= list.size()) {
            const size_t end = std::min(list.find(L';', start), list.size());
            std::wstring folder = list.substr(start, end - start);
            // A relative entry (".", or an empty one) would name the
            // working folder again.
            if (isAbsolute(folder))
                folders.push_back(folder);
            start = end + 1;
        }
    }
    return folders;
}

HMODULE LoadedFileDialogEntryPoints::load()
{
    for (const std::wstring& folder : searchFolders()) {
        std::wstring path = folder;
        if (!path.empty() && path.back() != L'\\' && path.back() != L'/')
            path += L'\\';
        path += LibraryName;
        if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
            continue;
        // Its own dependencies are looked for beside it.
        if (HMODULE library = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH))
            return library;
    }
    return nullptr;
}

template <typename Function> Function* LoadedFileDialogEntryPoints::entry(const char* name)
{
    if (!m_library)
        m_library = load();
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
