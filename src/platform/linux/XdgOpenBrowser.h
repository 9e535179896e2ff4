#pragma once

#include "platform/Browser.h"

#include <QString>
#include <memory>

// Shows a web page in the user's own browser through xdg-open. The browser is
// a process of its own: it is started detached and never waited for, so the
// program stays usable whatever the browser does.
class XdgOpenBrowser : public Browser
{
public:
    // Empty when xdg-open cannot be found on the PATH, which the callers take
    // as "the browser object could not be created".
    static std::unique_ptr<Browser> create();

    explicit XdgOpenBrowser(QString program);

    // Only http and https are handed on: xdg-open would just as readily open a
    // local file or run another scheme's handler.
    bool Navigate2(const QString& url) override;
    // An outside browser window cannot be hidden again, so false is refused.
    bool setVisible(bool visible) override;

private:
    bool start();

    QString m_program;
    QString m_url;
    bool m_visible = false;
};
