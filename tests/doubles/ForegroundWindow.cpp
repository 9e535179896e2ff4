// Prints the title of the window Windows has in the foreground, the one the
// keyboard goes to, in UTF-8. Without a window manager Wine keeps the X
// focus where it was while the foreground moves, so only Windows can say.
#include <cstdio>
#include <windows.h>

int main()
{
    wchar_t title[512] = L"";
    if (HWND window = GetForegroundWindow())
        GetWindowTextW(window, title, 512);
    char text[2048] = "";
    WideCharToMultiByte(CP_UTF8, 0, title, -1, text, sizeof text, nullptr, nullptr);
    std::printf("%s\n", text);
    return 0;
}
