#include "platform/windows/ShellBrowser.h"

#include <QUrl>

#include <windows.h>
#include <shellapi.h>

std::unique_ptr<Browser> ShellBrowser::create()
{
    return std::make_unique<ShellBrowser>();
}

bool ShellBrowser::Navigate2(const QString& url)
{
    m_url.clear();
    const QUrl parsed(url, QUrl::TolerantMode);
    const QString scheme = parsed.scheme().toLower();
    if (!parsed.isValid() || (scheme != u"http" && scheme != u"https") || parsed.host().isEmpty())
        return false;
    m_url = parsed.toString(QUrl::FullyEncoded);
    // A window already showing goes to the new page at once, as a visible
    // browser does when it is told to navigate.
    if (m_visible)
        return open();
    return true;
}

bool ShellBrowser::setVisible(bool visible)
{
    if (!visible)
        return false;
    if (m_visible)
        return true;
    m_visible = open();
    return m_visible;
}

bool ShellBrowser::open()
{
    if (m_url.isEmpty())
        return false;
    const auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(
        nullptr, L"open", reinterpret_cast<const wchar_t*>(m_url.utf16()), nullptr, nullptr, SW_SHOWNORMAL));
    // Values up to 32 are the shell's error codes.
    return result > 32;
}
