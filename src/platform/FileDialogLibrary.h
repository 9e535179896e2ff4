#pragma once

#include "platform/DialogOwner.h"
#include "platform/FileDialogRequest.h"

// The accessible file dialog the file commands try first.
class FileDialogLibrary : public DialogOwner
{
public:
    virtual ~FileDialogLibrary() = default;

    virtual FileDialogResult show(const FileDialogRequest& request) = 0;
};
