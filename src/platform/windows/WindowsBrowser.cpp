#include "platform/windows/WindowsBrowser.h"

#include <windows.h>
#include <shellapi.h>

std::unique_ptr<Browser> WindowsBrowser::create()
{
    return std::make_unique<WindowsBrowser>();
}

bool WindowsBrowser::open(const QString& url)
{
    const auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(
        nullptr, L"open", reinterpret_cast<const wchar_t*>(url.utf16()), nullptr, nullptr, SW_SHOWNORMAL));
    // Values up to 32 are the shell's error codes.
    return result > 32;
}
