#pragma once

#include "platform/DefaultBrowser.h"

#include <memory>

// Shows a web page in the browser the user has chosen as default, through
// ShellExecuteW.
class WindowsBrowser : public DefaultBrowser
{
public:
    static std::unique_ptr<Browser> create();

protected:
    bool open(const QString& url) override;
};
