#include "app/AccountFileCommands.h"

#include "account/Acd.h"
#include "account/AcdFile.h"
#include "app/FormControls.h"
#include "dialogs/Kodo.h"
#include "platform/Platform.h"

#include <QCoreApplication>

namespace
{

// What a message box says, and its title.
struct BoxWords {
    QString text;
    QString title;
};
const BoxWords WriteFailed{QStringLiteral("アカウントデータの書き込みに失敗しました"), QStringLiteral("書き込みエラー")};
const BoxWords ReadFailed{QStringLiteral("アカウントデータの読み込みに失敗しました"), QStringLiteral("読み込みエラー")};
const BoxWords NoRemovableDisk{QStringLiteral("フロッピーディスクなどのリムーバブルディスクが見つかりません"),
                               QStringLiteral("ディスクエラー")};

// The write-error box's second line when a value holds a character CP932
// lacks: the user finds the field by its caption and the character by ear.
QString unwritableLine(const QString& caption, char32_t character)
{
    return QStringLiteral("「%1」に保存できない文字があります：%2（U+%3）")
        .arg(caption, QString::fromUcs4(&character, 1),
             QString::number(character, 16).toUpper().rightJustified(4, u'0'));
}

} // namespace

AccountFileCommands::AccountFileCommands(Platform& platform, Acd& acd, const FormControls& ui, QWidget* window)
    : QObject(window)
    , m_platform(platform)
    , m_acd(acd)
    , m_ui(ui)
    , m_window(window)
    , m_commands(*platform.fileDialogLibrary, *platform.standardFileDialog, *platform.driveTypes,
                 QCoreApplication::applicationDirPath())
{
    m_platform.fileDialogLibrary->setOwner(window);
    m_platform.standardFileDialog->setOwner(window);
}

AccountFileCommands::~AccountFileCommands()
{
    m_platform.fileDialogLibrary->setOwner(nullptr);
    m_platform.standardFileDialog->setOwner(nullptr);
}

std::optional<QString> AccountFileCommands::choosePathToRead()
{
    return m_commands.mnu_file_open_Click();
}

std::optional<QString> AccountFileCommands::choosePathToSave()
{
    return m_commands.mnu_file_save_Click();
}

std::optional<QString> AccountFileCommands::chooseFloppyPathToRead()
{
    return onFloppy(m_commands.mnu_file_fdopen_Click());
}

std::optional<QString> AccountFileCommands::chooseFloppyPathToSave()
{
    return onFloppy(m_commands.mnu_file_fdsave_Click());
}

std::optional<QString> AccountFileCommands::onFloppy(const FileChoice& choice)
{
    if (choice.outcome == FileChoice::Outcome::NoRemovableDisk)
        m_platform.messageBox->error(m_window, NoRemovableDisk.text, NoRemovableDisk.title);
    if (!choice)
        return std::nullopt;
    return *choice;
}

bool AccountFileCommands::write(const QString& path)
{
    const AcdWriteResult result = saveAcdFile(path, m_acd, m_platform.fileSystem, m_platform.fileBound);
    if (result)
        return true;
    QString text = WriteFailed.text;
    if (result.unwritable) {
        // The field is the window's or, failing that, the advanced dialog's.
        QString caption = m_ui.captionOf(result.unwritable->field);
        if (caption.isEmpty())
            caption = Kodo::captionOf(result.unwritable->field);
        text += u'\n' + unwritableLine(caption, result.unwritable->character);
    }
    m_platform.messageBox->error(m_window, text, WriteFailed.title);
    return false;
}

bool AccountFileCommands::read(const QString& path)
{
    if (loadAcdFile(path, m_acd, m_platform.fileSystem, m_platform.fileBound))
        return true;
    m_platform.messageBox->error(m_window, ReadFailed.text, ReadFailed.title);
    return false;
}
