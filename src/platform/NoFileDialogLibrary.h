#pragma once

#include "platform/FileDialogLibrary.h"

// There is no accessible file-dialog library on this system: every dialog
// fails as a missing library would, so the file commands always go to the
// standard dialog.
class NoFileDialogLibrary : public FileDialogLibrary
{
public:
    FileDialogResult show(const FileDialogRequest&) override { return FileDialogResult::failed(); }
};
