// Brings a module into another running program from outside, the way a
// screen reader's module arrives: the program's own thread is made to call
// LoadLibraryA with the module's path. Finds the program by its window's
// title. Prints the module's handle in the program and exits 0 when it is in.
//   vx-inject <window title> <module path>
// Same bitness as the program: kernel32 sits at one address in every process
// of that bitness, so this process's LoadLibraryA is the program's.
#include <cstdio>
#include <cstring>
#include <windows.h>

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: vx-inject <window title> <module path>\n");
        return 2;
    }
    HWND window = FindWindowW(nullptr, argv[1]);
    if (!window) {
        std::fprintf(stderr, "vx-inject: no window with that title\n");
        return 1;
    }
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, processId);
    if (!process) {
        std::fprintf(stderr, "vx-inject: OpenProcess failed (%lu)\n", GetLastError());
        return 1;
    }
    char path[MAX_PATH];
    const int length = WideCharToMultiByte(CP_ACP, 0, argv[2], -1, path, sizeof path, nullptr, nullptr);
    void* remote = length > 0 ? VirtualAllocEx(process, nullptr, length, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)
                              : nullptr;
    if (!remote || !WriteProcessMemory(process, remote, path, length, nullptr)) {
        std::fprintf(stderr, "vx-inject: cannot write the path into the program (%lu)\n", GetLastError());
        return 1;
    }
    auto* loadLibrary = reinterpret_cast<LPTHREAD_START_ROUTINE>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "LoadLibraryA")));
    HANDLE thread = CreateRemoteThread(process, nullptr, 0, loadLibrary, remote, 0, nullptr);
    if (!thread) {
        std::fprintf(stderr, "vx-inject: CreateRemoteThread failed (%lu)\n", GetLastError());
        return 1;
    }
    WaitForSingleObject(thread, 30000);
    DWORD loaded = 0;
    GetExitCodeThread(thread, &loaded);
    CloseHandle(thread);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    std::printf("%lx\n", static_cast<unsigned long>(loaded));
    return loaded ? 0 : 1;
}
