#pragma once

#include "platform/FileDialogLibrary.h"

// There is no accessible file-dialog library on this system: every entry fails
// as a missing library would, so the file commands always fall back to the
// standard dialog.
class NoFileDialogLibrary : public FileDialogLibrary
{
public:
    std::optional<int32_t> FileDlg_Create(int32_t openFlag, const char* defaultExt, const char* fileName,
                                          const char* initDir, const char* filter, intptr_t owner) override;
    std::optional<int32_t> FileDlg_SetWindowText(int32_t handle, const char* title, int32_t value) override;
    std::optional<int32_t> FileDlg_DoModal(int32_t handle) override;
    std::optional<int32_t> FileDlg_GetPathName(int32_t handle, char* buffer, int32_t size,
                                               int32_t value) override;
    std::optional<int32_t> FileDlg_Delete(int32_t handle) override;
};
