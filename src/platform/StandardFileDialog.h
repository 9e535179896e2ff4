#pragma once

#include "platform/DialogOwner.h"
#include "platform/FileDialogRequest.h"

#include <optional>

// The standard open/save dialog, used when the accessible library fails.
class StandardFileDialog : public DialogOwner
{
public:
    virtual ~StandardFileDialog() = default;

    // The chosen path; nothing when the user cancelled (never an empty path).
    virtual std::optional<QString> show(const FileDialogRequest& request) = 0;
};
