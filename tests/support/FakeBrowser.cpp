#include "FakeBrowser.h"

FakeBrowser::FakeBrowser(std::shared_ptr<Log> log, int id) : m_log(std::move(log)), m_id(id)
{
    ++m_log->alive;
    m_log->events << QStringLiteral("create %1").arg(m_id);
}

FakeBrowser::~FakeBrowser()
{
    --m_log->alive;
    m_log->events << QStringLiteral("release %1").arg(m_id);
}

bool FakeBrowser::Navigate2(const QString& url)
{
    m_log->events << QStringLiteral("Navigate2 %1 %2").arg(m_id).arg(url);
    if (m_log->failNavigate)
        return false;
    m_url = url;
    return true;
}

bool FakeBrowser::setVisible(bool visible)
{
    m_log->events << QStringLiteral("Visible %1 %2")
                         .arg(m_id)
                         .arg(visible ? QStringLiteral("true") : QStringLiteral("false"));
    if (m_log->failShow)
        return false;
    if (visible && !m_url.isEmpty())
        m_log->shownUrls << m_url;
    return true;
}

BrowserFactory FakeBrowser::factory(std::shared_ptr<Log> log)
{
    return [log]() -> std::unique_ptr<Browser> {
        if (log->failCreate) {
            log->events << QStringLiteral("create failed");
            return nullptr;
        }
        return std::make_unique<FakeBrowser>(log, ++log->created);
    };
}
