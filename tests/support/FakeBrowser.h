#pragma once

#include "platform/Browser.h"

#include <QString>
#include <QStringList>
#include <memory>

// A browser object that writes down what was done to it. The log is shared
// with the test and outlives every object, so a test can see which objects
// were created, told where to go, shown and released, in order:
// "create 1", "Navigate2 1 <url>", "Visible 1 true", "release 1".
class FakeBrowser : public Browser
{
public:
    struct Log {
        QStringList events;
        bool failCreate = false;
        bool failNavigate = false;
        bool failShow = false;
        int created = 0;
        int alive = 0;
        // URLs of objects that were navigated and then shown, both with
        // success, in the order they were shown.
        QStringList shownUrls;
    };

    FakeBrowser(std::shared_ptr<Log> log, int id);
    ~FakeBrowser() override;

    bool Navigate2(const QString& url) override;
    bool setVisible(bool visible) override;

    // A factory creating recording objects (or none, while failCreate is set).
    static BrowserFactory factory(std::shared_ptr<Log> log);

private:
    std::shared_ptr<Log> m_log;
    int m_id;
    QString m_url;
};
