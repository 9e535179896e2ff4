#pragma once

#include "app/BrowserCommand.h"
#include "app/FormControls.h"

#include <QMainWindow>
#include <QString>
#include <memory>

class FieldBehaviour;
class FileCommands;
class HelpPane;
class CrLfPaneText;
class SpeechChannel;
struct Acd;
struct Platform;

// The main and only top-level window: the editor of the one account, the
// provider assistance, the guide pane and the field help pane. Every control
// says what it is when it gets the focus, and Enter moves on like Tab, so the
// form can be filled without looking. The controls themselves and their
// layout are FormControls'; this class wires them to the program.
class FormSupport : public QMainWindow
{
    Q_OBJECT

public:
    // The window refuses a platform that lacks a required service.
    FormSupport(Platform& platform, SpeechChannel& speech, Acd& acd, QWidget* parent = nullptr);
    ~FormSupport() override;

    // Start-up once the window exists and before it is shown: speech channel,
    // provider lists, account record, the program's folder; the focus waits
    // in txtName so its announcement is the first thing heard.
    void Form_Load();
    // A later start of the program handed over: come to the front.
    void bringToFront();

    // The controls, for looking at the window from outside (its tests).
    const FormControls& controls() const { return m_ui; }

    // Where the file commands start: the folder of the program file.
    QString programFolder() const;

    // Window procedures on the account record and the provider lists.
    void defaultAcd();
    void Acd2Editer();
    void Edit2Acd();
    void ComboSet();
    void ComboDisp();

    // The account data file: saveAcd copies the fields into the record and
    // writes it to path; LoadAcd reads path into the record and the window.
    // Only failures show anything, a message box each; a file the system has
    // not read or written within the platform's fileBound is a failure too.
    // The window takes no input meanwhile.
    void saveAcd(const QString& path);
    void LoadAcd(const QString& path);

    // The File menu's commands: the file commands choose the path, the two
    // above act on it.
    void mnu_file_open_Click();
    void mnu_file_save_Click();
    void mnu_file_fdopen_Click();
    void mnu_file_fdsave_Click();
    // The remembered folders and names.
    const FileCommands* fileCommands() const { return m_fileCommands.get(); }

    // Fills the form with the worked example of the provider chosen in
    // Combo1, after asking when that would overwrite input.
    void Sanko();
    void Command1_Click();
    // The advanced settings dialog, modal.
    void Command2_Click();
    // The home page of the provider chosen in Combo2.
    void HpOpen();
    void Command3_Click();
    // Server names and mail ID from the address, then on to txtPOP.
    void Command4_Click();
    // Clear all, after asking.
    void Command5_Click();
    void mnu_help_web1_Click();
    void mnu_help_web2_Click();
    void mnu_help_ver_Click();
    // Closes the help pane and returns to the field the user came from.
    void Command6_Click();

    // Field help: fills the pane with the field's text; a hidden pane is shown
    // and takes the focus.
    void txtNameHelp() { fieldHelp(m_ui.fields[0]); }
    void txtAddressHelp() { fieldHelp(m_ui.fields[1]); }
    void txtPOPHelp() { fieldHelp(m_ui.fields[2]); }
    void txtSMTPHelp() { fieldHelp(m_ui.fields[3]); }
    void txtIDHelp() { fieldHelp(m_ui.fields[4]); }
    void txtPWHelp() { fieldHelp(m_ui.fields[5]); }

    // The entry field that last lost the focus; null until one has.
    QLineEdit* LastField() const;

    // The panes keep CR LF where Qt's text boxes only give LF back: these
    // answer the texts as they were set (or as the user has since edited them).
    void setGuideText(const QString& text);
    QString guideText() const;
    QString helpText() const;

signals:
    // The window became the active one (at start, and back from any other).
    void activated();

protected:
    void showEvent(QShowEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void attachHandlers();
    void attachButtonHandlers();
    void connectCommands();

    void fieldHelp(const FormControls::Field& field);
    bool txtAddress_KeyPress(QKeyEvent* e);
    void list_GotFocus(QComboBox* list, const QString& title);
    void Combo1_GotFocus();
    void txtGuide_GotFocus();
    void announceGuide();
    bool Command4_KeyDown(QKeyEvent* e);
    bool Command4_KeyUp(QKeyEvent* e);
    void showNoRemovableDisk();
    // The caption of the box, here or in the advanced dialog, that edits field.
    QString captionOf(QString Acd::*field) const;
    void returnFromDialog();

    FormControls m_ui;
    Platform& m_platform;
    SpeechChannel& m_speech;
    Acd& m_acd;
    std::unique_ptr<FileCommands> m_fileCommands;
    std::unique_ptr<HelpPane> m_helpPane;
    std::unique_ptr<FieldBehaviour> m_fieldBehaviour;
    std::unique_ptr<CrLfPaneText> m_guide;
    bool m_centred = false;
    BrowserCommand m_hpPage;
    BrowserCommand m_web1Page;
    BrowserCommand m_web2Page;
};
