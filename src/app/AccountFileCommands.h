#pragma once

#include "account/FileCommands.h"

#include <QObject>
#include <QString>
#include <optional>

class QWidget;
struct Acd;
struct FormControls;
struct Platform;

// The File menu's commands from the window's side: the path the user chose
// through the file commands, the account file read into the record or
// written from it, and the message boxes that say what failed. Only failures
// show anything; a file the system has not read or written within the
// platform's fileBound is a failure too. The window takes no input meanwhile.
class AccountFileCommands : public QObject
{
    Q_OBJECT

public:
    // The file dialogs and message boxes open over window, which owns the
    // commands; the captions of its fields name a value that cannot be saved.
    AccountFileCommands(Platform& platform, Acd& acd, const FormControls& ui, QWidget* window);
    ~AccountFileCommands() override;

    // The path the user chose to read or save; nothing when they cancelled.
    // The floppy commands also answer nothing when there is no removable
    // disk, after a message box has said so.
    std::optional<QString> choosePathToRead();
    std::optional<QString> choosePathToSave();
    std::optional<QString> chooseFloppyPathToRead();
    std::optional<QString> chooseFloppyPathToSave();

    // Writes the record to path; false once the write-error box has shown.
    bool write(const QString& path);
    // Reads path into the record; false once the read-error box has shown.
    bool read(const QString& path);

    // The folders and names the commands remember.
    const FileCommands& commands() const { return m_commands; }

private:
    std::optional<QString> onFloppy(const FileChoice& choice);

    Platform& m_platform;
    Acd& m_acd;
    const FormControls& m_ui;
    QWidget* m_window;
    FileCommands m_commands;
};
