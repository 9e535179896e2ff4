#pragma once

#include "platform/FileDialogEntryPoints.h"
#include "platform/FileDialogLibrary.h"

#include <array>
#include <memory>

// The accessible dialog through the library's own entry points: Create,
// SetWindowText, DoModal, GetPathName, and Delete for every object made,
// whatever happens between. The strings go as CP932 (empty ones as null
// pointers), the owner as its native window handle, and the path comes back
// through a buffer of 100 bytes.
class EntryPointFileDialogLibrary : public FileDialogLibrary
{
public:
    static constexpr int32_t PathBufferOffered = 100;

    explicit EntryPointFileDialogLibrary(std::shared_ptr<FileDialogEntryPoints> entryPoints);

    FileDialogResult show(const FileDialogRequest& request) override;

    // What DoModal answered last; -1 until it has answered in this dialog.
    int32_t dialogResult() const { return m_dialogResult; }

private:
    FileDialogResult runCreated(int32_t handle, const char* title);

    std::shared_ptr<FileDialogEntryPoints> m_entryPoints;
    int32_t m_dialogResult = -1;
    std::array<char, 256> m_pathBuffer{};
};
