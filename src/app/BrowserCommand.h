#pragma once

#include "platform/Browser.h"

#include <QString>
#include <memory>

// A command that shows a web page in a browser. It keeps the browser it
// opened last, and only that one: a new one lets the previous one go.
class BrowserCommand
{
public:
    explicit BrowserCommand(BrowserFactory factory);

    // Creates a browser, sends it to url and shows it; any step that fails
    // ends the command silently.
    void open(const QString& url);

private:
    BrowserFactory m_factory;
    std::unique_ptr<Browser> m_browser;
};
