#pragma once

#include "platform/Browser.h"

#include <QString>
#include <memory>

// Shows a web page in the browser the user has chosen as default, through
// ShellExecuteW. The browser is a program of its own: nothing waits for it.
class ShellBrowser : public Browser
{
public:
    static std::unique_ptr<Browser> create();

    // Only http and https are handed on: the shell would just as readily open
    // a local file or run another scheme's handler.
    bool Navigate2(const QString& url) override;
    // An outside browser window cannot be hidden again, so false is refused.
    bool setVisible(bool visible) override;

private:
    bool open();

    QString m_url;
    bool m_visible = false;
};
