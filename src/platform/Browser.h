#pragma once

#include <QString>
#include <functional>
#include <memory>

// The browser automation object: one per use, told where to go, then shown.
// Each call answers false when it failed.
class Browser
{
public:
    virtual ~Browser() = default;
    virtual bool Navigate2(const QString& url) = 0;
    virtual bool setVisible(bool visible) = 0;
};

// Creates a browser object; an empty pointer means it could not be created.
using BrowserFactory = std::function<std::unique_ptr<Browser>()>;
