#pragma once

#include "ui/HookedWidget.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QString>
#include <array>
#include <memory>

class Browser;
class ClickableLabel;
class FileCommands;
class FrameBox;
class QAction;
class QLabel;
class QMenu;
class SpeechChannel;
struct Acd;
struct Platform;

using EntryField = Hooked<QLineEdit>;
using CommandButton = Hooked<QPushButton>;
using ProviderList = Hooked<QComboBox>;
using TextPane = Hooked<QPlainTextEdit>;

// The main and only top-level window: the editor of the one account, the
// provider assistance, the guide pane and the field help pane. Every control
// says what it is when it gets the focus, and Enter moves on like Tab, so the
// form can be filled without looking.
//
// Controls carry their design names both as members and as objectName.
class FormSupport : public QMainWindow
{
    Q_OBJECT

public:
    static inline const QString Title = QStringLiteral("VORNIXサポートソフト");

    FormSupport(Platform& platform, SpeechChannel& speech, Acd& acd, QWidget* parent = nullptr);
    ~FormSupport() override;

    // Start-up once the window exists and before it is shown: speech channel,
    // provider lists, account record, the program's folder; the focus waits
    // in txtName so its announcement is the first thing heard.
    void Form_Load();
    // A later start of the program handed over: come to the front.
    void bringToFront();

    // Where the file commands start: the folder of the program file.
    QString programFolder() const { return m_programFolder; }

    // Window procedures on the account record and the provider lists.
    void defaultAcd();
    void Acd2Editer();
    void Edit2Acd();
    void ComboDisp();
    void ComboSet();

    // The account data file: saveAcd copies the fields into the record and
    // writes it to path; LoadAcd reads path into the record and the window.
    // Only failures show anything, a message box each.
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
    void txtNameHelp();
    void txtAddressHelp();
    void txtPOPHelp();
    void txtSMTPHelp();
    void txtIDHelp();
    void txtPWHelp();

    // The entry field that last lost the focus; null until one has.
    QLineEdit* LastField() const { return m_lastField; }

    // The panes keep CR LF where Qt's text boxes only give LF back: these
    // answer the texts as they were set (or as the user has since edited them).
    void setGuideText(const QString& text);
    QString guideText() const;
    QString helpText() const;

    // Controls in keyboard order, then the rest.
    FrameBox* Frame1 = nullptr;
    ClickableLabel* lblName0 = nullptr;
    EntryField* txtName = nullptr;
    QLabel* lblName = nullptr;
    ClickableLabel* lblAddress0 = nullptr;
    EntryField* txtAddress = nullptr;
    QLabel* lblAddress = nullptr;
    CommandButton* Command4 = nullptr;
    FrameBox* Frame2 = nullptr;
    ClickableLabel* lblPOP0 = nullptr;
    EntryField* txtPOP = nullptr;
    QLabel* lblPOP = nullptr;
    ClickableLabel* lblSMTP0 = nullptr;
    QLabel* lblSMTP = nullptr;
    EntryField* txtSMTP = nullptr;
    ClickableLabel* lblID0 = nullptr;
    EntryField* txtID = nullptr;
    QLabel* lblID = nullptr;
    ClickableLabel* lblPW0 = nullptr;
    EntryField* txtPW = nullptr;
    CommandButton* Command5 = nullptr;
    CommandButton* Command2 = nullptr;
    QLabel* Label1 = nullptr;
    ProviderList* Combo1 = nullptr;
    QLabel* Label8 = nullptr;
    CommandButton* Command1 = nullptr;
    QLabel* Label15 = nullptr;
    ProviderList* Combo2 = nullptr;
    QLabel* Label16 = nullptr;
    CommandButton* Command3 = nullptr;
    TextPane* txtGuide = nullptr;
    QLabel* lblPW = nullptr;
    QLabel* Label18 = nullptr;
    QLabel* Label17 = nullptr;
    QLabel* Label2 = nullptr;
    ClickableLabel* Label3 = nullptr;
    TextPane* txtHelp = nullptr;
    CommandButton* Command6 = nullptr;

    QMenu* mnu_file = nullptr;
    QAction* mnu_file_open = nullptr;
    QAction* mnu_file_save = nullptr;
    QAction* dummy001 = nullptr;
    QAction* mnu_file_fdopen = nullptr;
    QAction* mnu_file_fdsave = nullptr;
    QAction* dummy05 = nullptr;
    QAction* mnu_file_exit = nullptr;
    QMenu* mnu_edit = nullptr;
    QAction* mnu_edit_clear = nullptr;
    QMenu* mnu_help = nullptr;
    QAction* mnu_help_web1 = nullptr;
    QAction* mnu_help_web2 = nullptr;
    QAction* duumy01 = nullptr;
    QAction* mnu_help_ver = nullptr;

protected:
    void showEvent(QShowEvent* e) override;

private:
    // One of the six entry fields with what it says and the help it shows.
    struct Field {
        EntryField* edit;
        QString spokenLabel;
        void (FormSupport::*help)();
    };

    void createControls();
    void createMenus();
    void setTabOrderOfControls();
    void attachHandlers();

    void field_GotFocus(const Field& field);
    void announceField(const Field& field);
    void field_LostFocus(const Field& field);
    bool field_KeyUp(const Field& field, QKeyEvent* e);
    bool txtAddress_KeyPress(QKeyEvent* e);
    void button_GotFocus(const QString& spokenLabel, const QString& keyHint);
    void list_GotFocus(QComboBox* list, const QString& title);
    void Combo1_GotFocus();
    void txtGuide_GotFocus();
    void announceGuide();
    void txtHelp_GotFocus();
    bool txtHelp_KeyUp(QKeyEvent* e);
    bool Command4_KeyDown(QKeyEvent* e);
    bool Command4_KeyUp(QKeyEvent* e);
    void captionLabel_Click(const Field& field);
    void Label3_Click();
    void showHelp(const QString& text);
    void closeHelp();
    QLabel* hintLabelOf(QLineEdit* edit) const;
    void setHint(QLabel* hint, const QString& text);
    // Creates a browser object into slot (the previous one is let go), sends
    // it to url and shows it; any step that fails ends the command silently.
    void openPage(std::unique_ptr<Browser>& slot, const QString& url);
    void returnFromDialog();

    Platform& m_platform;
    SpeechChannel& m_speech;
    Acd& m_acd;
    std::unique_ptr<FileCommands> m_fileCommands;
    std::array<Field, 6> m_fields{};
    QLineEdit* m_lastField = nullptr;
    QString m_programFolder;
    QString m_guideText;
    QString m_helpText;
    bool m_centred = false;
    // Each command keeps the browser it opened last, and only that one.
    std::unique_ptr<Browser> m_hpBrowser;
    std::unique_ptr<Browser> m_web1Browser;
    std::unique_ptr<Browser> m_web2Browser;
};
