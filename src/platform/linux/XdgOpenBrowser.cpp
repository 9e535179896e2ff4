#include "platform/linux/XdgOpenBrowser.h"

#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

std::unique_ptr<Browser> XdgOpenBrowser::create()
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (program.isEmpty())
        return nullptr;
    return std::make_unique<XdgOpenBrowser>(program);
}

XdgOpenBrowser::XdgOpenBrowser(QString program) : m_program(std::move(program)) {}

bool XdgOpenBrowser::Navigate2(const QString& url)
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
        return start();
    return true;
}

bool XdgOpenBrowser::setVisible(bool visible)
{
    if (!visible)
        return false;
    if (m_visible)
        return true;
    m_visible = start();
    return m_visible;
}

bool XdgOpenBrowser::start()
{
    if (m_url.isEmpty())
        return false;
    return QProcess::startDetached(m_program, {m_url});
}
