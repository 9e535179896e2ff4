#include "app/BrowserCommand.h"

BrowserCommand::BrowserCommand(BrowserFactory factory)
    : m_factory(std::move(factory))
{
}

void BrowserCommand::open(const QString& url)
{
    std::unique_ptr<Browser> browser = m_factory();
    if (!browser)
        return;
    m_browser = std::move(browser);
    if (!m_browser->Navigate2(url))
        return;
    m_browser->setVisible(true);
}
