#include "platform/linux/NoFileDialogLibrary.h"

std::optional<int32_t> NoFileDialogLibrary::FileDlg_Create(int32_t, const char*, const char*, const char*,
                                                           const char*, intptr_t)
{
    return std::nullopt;
}

std::optional<int32_t> NoFileDialogLibrary::FileDlg_SetWindowText(int32_t, const char*, int32_t)
{
    return std::nullopt;
}

std::optional<int32_t> NoFileDialogLibrary::FileDlg_DoModal(int32_t)
{
    return std::nullopt;
}

std::optional<int32_t> NoFileDialogLibrary::FileDlg_GetPathName(int32_t, char*, int32_t, int32_t)
{
    return std::nullopt;
}

std::optional<int32_t> NoFileDialogLibrary::FileDlg_Delete(int32_t)
{
    return std::nullopt;
}
