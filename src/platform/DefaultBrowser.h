#pragma once

#include "platform/Browser.h"

#include <QString>

// The user's own browser, a program of its own that the system opens a page
// in: nothing waits for it, so the tool stays usable whatever it does. What
// the automation object's two calls mean for such a browser is the same on
// every system; only how a page is opened differs.
class DefaultBrowser : public Browser
{
public:
    // Only http and https are handed on: the system would just as readily
    // open a local file or run another scheme's handler.
    bool Navigate2(const QString& url) override;
    // An outside browser window cannot be hidden again, so false is refused.
    bool setVisible(bool visible) override;

protected:
    // Opens the page in the user's browser; false when that failed.
    virtual bool open(const QString& url) = 0;

private:
    bool openKnownPage();

    QString m_url;
    bool m_visible = false;
};
