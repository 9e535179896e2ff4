#pragma once

#include "platform/DefaultBrowser.h"

#include <QString>
#include <memory>

// Shows a web page in the user's own browser through xdg-open, started
// detached and never waited for.
class LinuxBrowser : public DefaultBrowser
{
public:
    // Empty when xdg-open cannot be found on the PATH, which the callers take
    // as "the browser object could not be created".
    static std::unique_ptr<Browser> create();

    explicit LinuxBrowser(QString program);

protected:
    bool open(const QString& url) override;

private:
    QString m_program;
};
