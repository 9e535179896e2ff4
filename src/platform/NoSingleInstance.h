#pragma once

#include "platform/SingleInstance.h"

// Without a single-instance service every start is the first and opens its
// own window; no later start ever asks for it.
class NoSingleInstance : public SingleInstance
{
public:
    bool becomePrimary() override { return true; }
    bool activatePrimary() override { return false; }
    void setActivationHandler(std::function<void()>) override {}
};
