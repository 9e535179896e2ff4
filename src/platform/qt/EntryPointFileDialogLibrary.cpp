#include "platform/qt/EntryPointFileDialogLibrary.h"

#include "codec/Cp932Codec.h"

#include <QByteArray>
#include <QDir>
#include <QWidget>
#include <algorithm>

namespace
{

// A string for the library: empty goes as a null pointer. A string the
// library could not be given faithfully (no CP932 code, or a NUL that would
// cut it short) makes the whole call a library failure.
struct LibraryString {
    bool ok = true;
    QByteArray bytes;
    bool null = true;

    explicit LibraryString(const QString& text)
    {
        if (text.isEmpty())
            return;
        null = false;
        if (text.contains(QChar(u'\0'))) {
            ok = false;
            return;
        }
        const std::optional<QByteArray> encoded = Cp932Codec::encode(text);
        if (!encoded) {
            ok = false;
            return;
        }
        bytes = *encoded;
    }

    const char* get() const { return null ? nullptr : bytes.constData(); }
};

} // namespace

EntryPointFileDialogLibrary::EntryPointFileDialogLibrary(std::shared_ptr<FileDialogEntryPoints> entryPoints)
    : m_entryPoints(std::move(entryPoints))
{
}

FileDialogResult EntryPointFileDialogLibrary::show(const FileDialogRequest& request)
{
    m_dialogResult = -1;

    // Everything is converted before the dialog object exists, so a string
    // the library cannot take leaves nothing to free.
    const LibraryString ext(request.defaultExt);
    // The library takes the system's own paths: Qt's "/" would reach it from
    // the program's folder.
    const LibraryString fileName(QDir::toNativeSeparators(request.fileName));
    const LibraryString initDir(QDir::toNativeSeparators(request.initDir));
    const LibraryString filter(request.filter);
    const LibraryString title(request.title);
    if (!ext.ok || !fileName.ok || !initDir.ok || !filter.ok || !title.ok)
        return FileDialogResult::failed();

    const intptr_t ownerHandle = owner() ? static_cast<intptr_t>(owner()->winId()) : 0;
    const std::optional<int32_t> handle = m_entryPoints->FileDlg_Create(
        request.saveMode ? 0 : 1, ext.get(), fileName.get(), initDir.get(), filter.get(), ownerHandle);
    if (!handle)
        return FileDialogResult::failed();
    return runCreated(*handle, title.get());
}

FileDialogResult EntryPointFileDialogLibrary::runCreated(int32_t handle, const char* title)
{
    // A failing Delete is a failure like any other, but the object is not
    // deleted a second time.
    const auto failAfterCreate = [this, handle] {
        m_entryPoints->FileDlg_Delete(handle);
        return FileDialogResult::failed();
    };

    if (title && !m_entryPoints->FileDlg_SetWindowText(handle, title, -1))
        return failAfterCreate();

    const std::optional<int32_t> result = m_entryPoints->FileDlg_DoModal(handle);
    if (!result)
        return failAfterCreate();
    m_dialogResult = *result;

    if (m_dialogResult != 1) {
        if (!m_entryPoints->FileDlg_Delete(handle))
            return FileDialogResult::failed();
        return FileDialogResult::cancelled();
    }

    // A path left over from an earlier dialog must never come back as this
    // dialog's answer.
    m_pathBuffer.fill('\0');
    const std::optional<int32_t> got =
        m_entryPoints->FileDlg_GetPathName(handle, m_pathBuffer.data(), PathBufferOffered, 0);
    if (!got || *got == 0)
        return failAfterCreate();
    if (!m_entryPoints->FileDlg_Delete(handle))
        return FileDialogResult::failed();

    const auto nul = std::find(m_pathBuffer.begin(), m_pathBuffer.end(), '\0');
    // No terminator, or a "chosen" file without a name: the library did not
    // give a path, and the standard dialog can still ask for one.
    if (nul == m_pathBuffer.end() || nul == m_pathBuffer.begin())
        return FileDialogResult::failed();
    // The library writes Windows' backslashes; the program splits paths at
    // "/" as Qt does everywhere.
    const QString path = Cp932Codec::decode(QByteArray(m_pathBuffer.data(), nul - m_pathBuffer.begin()));
    // Bytes that are no CP932 character name no file the user chose: saving
    // there would make a file nobody asked for. The standard dialog asks.
    if (path.contains(QChar::ReplacementCharacter))
        return FileDialogResult::failed();
    return FileDialogResult::chosen(QDir::fromNativeSeparators(path));
}
