#pragma once

#include "account/Acd.h"
#include "app/BrowserCommand.h"
#include "app/FormControls.h"
#include "app/ProviderAssist.h"
#include "app/WebPages.h"

#include <QMainWindow>
#include <memory>

class AccountFileCommands;
class FieldBehaviour;
class HelpPane;
class SpeechChannel;
struct Platform;

// The main and only top-level window: the editor of the one account, the
// provider assistance, the guide pane and the field help pane. Every control
// says what it is when it gets the focus, and Enter moves on like Tab, so the
// form can be filled without looking. The controls and their layout are
// FormControls'; the window wires them to the classes that do the work.
class FormSupport : public QMainWindow
{
    Q_OBJECT

public:
    // The window refuses a platform that lacks a required service.
    FormSupport(Platform& platform, SpeechChannel& speech, Acd& acd, QWidget* parent = nullptr);
    ~FormSupport() override;

    // Start-up once the window exists and before it is shown: speech channel,
    // provider lists, account record; the focus waits in txtName so its
    // announcement is the first thing heard.
    void Form_Load();
    // A later start of the program handed over: come to the front.
    void bringToFront();

    // The design's procedures, by their design names; the work is done by
    // the classes they hand it to.
    void defaultAcd() { ::defaultAcd(m_acd); }
    void Acd2Editer() { m_ui.showRecord(m_acd); }
    void Edit2Acd() { m_ui.takeIntoRecord(m_acd); }
    void ComboSet() { m_ui.ComboSet(); }
    void ComboDisp() { m_providers.showProviderOfAddress(); }
    void saveAcd(const QString& path);
    void LoadAcd(const QString& path);
    void mnu_file_open_Click();
    void mnu_file_save_Click();
    void mnu_file_fdopen_Click();
    void mnu_file_fdsave_Click();
    void Sanko() { m_providers.fillInSample(); }
    void HpOpen() { m_providers.openHomePage(); }
    void Command1_Click();
    void Command2_Click();
    void Command3_Click() { HpOpen(); }
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void mnu_help_web1_Click() { m_web1Page.open(WebPages::ProductPageUrl); }
    void mnu_help_web2_Click() { m_web2Page.open(WebPages::SupportPageUrl); }
    void mnu_help_ver_Click();

signals:
    // The window became the active one (at start, and back from any other).
    void activated();

protected:
    void showEvent(QShowEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    bool txtAddress_KeyPress(QKeyEvent* e);
    void Combo1_GotFocus();
    void txtGuide_GotFocus();
    bool Command4_KeyDown(QKeyEvent* e);
    bool Command4_KeyUp(QKeyEvent* e);

    FormControls m_ui;
    Platform& m_platform;
    SpeechChannel& m_speech;
    Acd& m_acd;
    ProviderAssist m_providers;
    // Children of the window and of the help pane, which own them.
    AccountFileCommands* m_files = nullptr;
    HelpPane* m_helpPane = nullptr;
    std::unique_ptr<FieldBehaviour> m_fieldBehaviour;
    bool m_centred = false;
    BrowserCommand m_web1Page;
    BrowserCommand m_web2Page;
};
