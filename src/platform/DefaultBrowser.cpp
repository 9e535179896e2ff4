#include "platform/DefaultBrowser.h"

#include <QUrl>

bool DefaultBrowser::Navigate2(const QString& url)
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
        return openKnownPage();
    return true;
}

bool DefaultBrowser::setVisible(bool visible)
{
    if (!visible)
        return false;
    if (m_visible)
        return true;
    m_visible = openKnownPage();
    return m_visible;
}

bool DefaultBrowser::openKnownPage()
{
    return !m_url.isEmpty() && open(m_url);
}
