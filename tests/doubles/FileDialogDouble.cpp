// A stand-in for the accessible file-dialog library for tests: its five entry
// points write each call, in order, as a line to the file named by
// VX_FILEDIALOG_CALLS, strings as the bytes received ("(null)" for a null
// pointer), fields separated by "|":
//   Create|<open flag>|<ext>|<file name>|<folder>|<filter>|<owner in hex>
//   SetWindowText|<handle>|<title>|<value>
//   DoModal|<handle>          GetPathName|<handle>|<size>|<value>
//   Delete|<handle>
// DoModal "chooses" the path in VX_FILEDIALOG_CHOOSE (system code page) and
// answers 1; without it the user cancelled (2). With VX_FILEDIALOG_MODAL=1 it
// first shows a modal window titled "QRCOMFD stand-in", which disables the
// owner as the library's own dialog does, and answers once it is closed. GetPathName answers 0 when
// the path and its NUL do not fit in the size offered.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <windows.h>

namespace
{

constexpr int32_t Handle = 7;
HWND g_owner = nullptr;

void write(const std::string& line)
{
    char path[MAX_PATH];
    if (!GetEnvironmentVariableA("VX_FILEDIALOG_CALLS", path, sizeof path))
        return;
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    const std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr);
    CloseHandle(file);
}

std::string text(const char* s)
{
    return s ? std::string(s) : std::string("(null)");
}

std::string chosenPath()
{
    char path[1024];
    const DWORD n = GetEnvironmentVariableA("VX_FILEDIALOG_CHOOSE", path, sizeof path);
    return n > 0 && n < sizeof path ? std::string(path, n) : std::string();
}

} // namespace

extern "C" {

__declspec(dllexport) int32_t WINAPI FileDlg_Create(int32_t openFlag, const char* ext, const char* fileName,
                                                    const char* initDir, const char* filter, HWND owner)
{
    char ownerText[32];
    std::snprintf(ownerText, sizeof ownerText, "%llx",
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(owner)));
    g_owner = owner;
    write("Create|" + std::to_string(openFlag) + "|" + text(ext) + "|" + text(fileName) + "|" + text(initDir) + "|" +
          text(filter) + "|" + ownerText);
    return Handle;
}

__declspec(dllexport) int32_t WINAPI FileDlg_SetWindowText(int32_t handle, const char* title, int32_t value)
{
    write("SetWindowText|" + std::to_string(handle) + "|" + text(title) + "|" + std::to_string(value));
    return 1;
}

__declspec(dllexport) int32_t WINAPI FileDlg_DoModal(int32_t handle)
{
    write("DoModal|" + std::to_string(handle));
    char modal[8];
    const DWORD n = GetEnvironmentVariableA("VX_FILEDIALOG_MODAL", modal, sizeof modal);
    if (n == 1 && modal[0] == '1')
        MessageBoxA(g_owner, "QRCOMFD stand-in: Enter closes", "QRCOMFD stand-in", MB_OK);
    return chosenPath().empty() ? 2 : 1;
}

__declspec(dllexport) int32_t WINAPI FileDlg_GetPathName(int32_t handle, char* buffer, int32_t size, int32_t value)
{
    write("GetPathName|" + std::to_string(handle) + "|" + std::to_string(size) + "|" + std::to_string(value));
    const std::string path = chosenPath();
    if (!buffer || path.empty() || int32_t(path.size()) + 1 > size)
        return 0;
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    return 1;
}

__declspec(dllexport) int32_t WINAPI FileDlg_Delete(int32_t handle)
{
    write("Delete|" + std::to_string(handle));
    return 1;
}
}
