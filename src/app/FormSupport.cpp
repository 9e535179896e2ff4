#include "app/FormSupport.h"

#include "accessibility/ControlVoice.h"
#include "app/AccountFileCommands.h"
#include "app/CrLfPaneText.h"
#include "app/FieldBehaviour.h"
#include "app/GuideText.h"
#include "app/HelpPane.h"
#include "app/TypingAidKeys.h"
#include "dialogs/Kodo.h"
#include "dialogs/frmAbout.h"
#include "platform/Platform.h"
#include "speech/Announce.h"
#include "speech/SpeechChannel.h"
#include "ui/CentreOnScreen.h"
#include "ui/ClickableLabel.h"
#include "ui/EnterKey.h"
#include "ui/KeySender.h"

#include <QAction>
#include <QApplication>
#include <QTextCursor>

namespace
{

const QString ClearAllQuestion = QStringLiteral("現在の設定をクリアします。よろしいですか?");
const QString ClearAllTitle = QStringLiteral("すべてクリア");

// A window without the services it stands on could only fail later, at
// whichever command first reached for one.
Platform& withRequiredServices(Platform& platform)
{
    const QStringList missing = platform.missingServices();
    if (!missing.isEmpty())
        qFatal("The platform lacks required services: %s", qPrintable(missing.join(QStringLiteral(", "))));
    return platform;
}

void announceList(SpeechChannel& speech, const QComboBox* list, const QString& title)
{
    const QString entry = list->currentText();
    Announce::list(speech, title, list->currentIndex() < 0 ? nullptr : &entry);
}

} // namespace

FormSupport::FormSupport(Platform& platform, SpeechChannel& speech, Acd& acd, QWidget* parent)
    : QMainWindow(parent)
    , m_platform(withRequiredServices(platform))
    , m_speech(speech)
    , m_acd(acd)
    , m_providers(m_ui, acd, *platform.messageBox, platform.browserFactory, this)
    , m_web1Page(platform.browserFactory)
    , m_web2Page(platform.browserFactory)
{
    m_ui.createControls(this);
    m_files = new AccountFileCommands(m_platform, m_acd, m_ui, this);
    m_helpPane = new HelpPane(m_ui.txtHelp, m_ui.Command6, m_ui.txtName, m_speech);
    m_fieldBehaviour = std::make_unique<FieldBehaviour>(*m_helpPane, m_speech);
    CrLfPaneText(m_ui.txtGuide).set(guideText());

    for (const FormControls::Field& field : m_ui.fields)
        m_fieldBehaviour->attach(field);
    m_ui.txtAddress->handlers.keyPress = [this](QKeyEvent* e) { return txtAddress_KeyPress(e); };
    for (const FormControls::Button& b : m_ui.buttons) {
        ControlVoice::button(b.button, m_speech, b.spokenLabel, b.keyHint);
        b.button->handlers.keyPress = enterPresses(b.button);
    }
    m_ui.Command6->handlers.keyPress = enterPresses(m_ui.Command6);
    m_ui.Command4->handlers.keyPress = [this](QKeyEvent* e) { return Command4_KeyDown(e); };
    m_ui.Command4->handlers.keyRelease = [this](QKeyEvent* e) { return Command4_KeyUp(e); };
    m_ui.Combo1->handlers.gotFocus = [this](Qt::FocusReason) { Combo1_GotFocus(); };
    m_ui.Combo2->handlers.gotFocus = [this](Qt::FocusReason) {
        announceList(m_speech, m_ui.Combo2, FormControls::Combo2Title);
    };
    m_ui.Combo1->handlers.keyPress = enterMovesOn;
    m_ui.Combo2->handlers.keyPress = enterMovesOn;
    m_ui.txtGuide->handlers.gotFocus = [this](Qt::FocusReason) { txtGuide_GotFocus(); };
    m_ui.txtGuide->handlers.regainedFocus = [this] {
        Announce::pane(m_speech, FormControls::GuideTitle, CrLfPaneText(m_ui.txtGuide).text());
    };

    connect(m_ui.Command1, &QPushButton::clicked, this, &FormSupport::Command1_Click);
    connect(m_ui.Command2, &QPushButton::clicked, this, &FormSupport::Command2_Click);
    connect(m_ui.Command3, &QPushButton::clicked, this, &FormSupport::Command3_Click);
    connect(m_ui.Command4, &QPushButton::clicked, this, &FormSupport::Command4_Click);
    connect(m_ui.Command5, &QPushButton::clicked, this, &FormSupport::Command5_Click);
    connect(m_ui.mnu_file_open, &QAction::triggered, this, &FormSupport::mnu_file_open_Click);
    connect(m_ui.mnu_file_save, &QAction::triggered, this, &FormSupport::mnu_file_save_Click);
    connect(m_ui.mnu_file_fdopen, &QAction::triggered, this, &FormSupport::mnu_file_fdopen_Click);
    connect(m_ui.mnu_file_fdsave, &QAction::triggered, this, &FormSupport::mnu_file_fdsave_Click);
    connect(m_ui.mnu_help_web1, &QAction::triggered, this, &FormSupport::mnu_help_web1_Click);
    connect(m_ui.mnu_help_web2, &QAction::triggered, this, &FormSupport::mnu_help_web2_Click);
    connect(m_ui.mnu_help_ver, &QAction::triggered, this, &FormSupport::mnu_help_ver_Click);
    connect(m_ui.mnu_edit_clear, &QAction::triggered, this, &FormSupport::Command5_Click);
    connect(m_ui.Command6, &QPushButton::clicked, this, &FormSupport::Command6_Click);
    // Ends the program at once: nothing is asked, saved or said.
    connect(m_ui.mnu_file_exit, &QAction::triggered, this, &QWidget::close);
    connect(m_ui.Label3, &ClickableLabel::clicked, this, [] { KeySender::sendF1(); });
}

FormSupport::~FormSupport()
{
    HookedControl::releaseAll(this);
}

void FormSupport::Form_Load()
{
    m_speech.VobrInit(m_platform.speechFactory);
    ComboSet();
    defaultAcd();
    m_ui.txtName->setFocus(Qt::OtherFocusReason);
}

void FormSupport::bringToFront()
{
    showNormal();
    raise();
    // Over a dialog or message box of the program's own the input is theirs:
    // this window would take the focus and do nothing with the keys.
    QWidget* withInput = QApplication::activeModalWidget();
    if (!withInput)
        withInput = this;
    withInput->raise();
    withInput->activateWindow();
}

void FormSupport::changeEvent(QEvent* e)
{
    QMainWindow::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow())
        emit activated();
}

void FormSupport::showEvent(QShowEvent* e)
{
    QMainWindow::showEvent(e);
    if (!std::exchange(m_centred, true))
        centreOnScreen(this);
}

void FormSupport::saveAcd(const QString& path)
{
    Edit2Acd();
    m_files->write(path);
}

void FormSupport::LoadAcd(const QString& path)
{
    // A file that fails half way leaves the record partly loaded; the window
    // keeps showing the previous account until the next save copies it back.
    if (!m_files->read(path))
        return;
    Acd2Editer();
    ComboDisp();
    m_ui.txtName->setFocus(Qt::OtherFocusReason);
}

void FormSupport::mnu_file_open_Click()
{
    if (auto path = m_files->choosePathToRead())
        LoadAcd(*path);
}

void FormSupport::mnu_file_save_Click()
{
    if (auto path = m_files->choosePathToSave())
        saveAcd(*path);
}

void FormSupport::mnu_file_fdopen_Click()
{
    if (auto path = m_files->chooseFloppyPathToRead())
        LoadAcd(*path);
}

void FormSupport::mnu_file_fdsave_Click()
{
    if (auto path = m_files->chooseFloppyPathToSave())
        saveAcd(*path);
}

void FormSupport::Command1_Click()
{
    Sanko();
    m_ui.txtName->setFocus(Qt::OtherFocusReason);
}

void FormSupport::Command2_Click()
{
    Kodo::showModal(m_acd, m_speech, m_ui.txtName->text(), this);
    // Without a window manager nothing hands the keyboard back once a dialog
    // is gone; the user must land where they left, which then says itself.
    activateWindow();
}

void FormSupport::Command4_Click()
{
    m_providers.deriveFromAddress();
    // On to txtPOP, which then says the server it got.
    KeySender::sendTab();
}

void FormSupport::Command5_Click()
{
    if (m_platform.messageBox->question(this, ClearAllQuestion, ClearAllTitle) != MessageBox::Answer::Yes)
        return;
    ComboSet();
    defaultAcd();
    Acd2Editer();
}

// Closes the help pane and returns to the field the user came from.
void FormSupport::Command6_Click()
{
    m_helpPane->close();
}

void FormSupport::mnu_help_ver_Click()
{
    frmAbout::showModal(m_speech, *m_platform.modulePresence, this);
    activateWindow(); // as after the advanced dialog
}

bool FormSupport::txtAddress_KeyPress(QKeyEvent* e)
{
    switch (applyTypingAid(m_ui.txtAddress, e)) {
    case TypingAidAction::Kind::TypeNormally:
        return false;
    case TypingAidAction::Kind::MoveToDerivation:
        m_ui.Command4->setFocus(Qt::OtherFocusReason);
        return true;
    case TypingAidAction::Kind::ReplaceEdit:
        return true;
    }
    return false;
}

void FormSupport::Combo1_GotFocus()
{
    // The help pane covers the provider rows: the keyboard skips them.
    if (m_helpPane->isShown()) {
        m_ui.txtName->setFocus(Qt::OtherFocusReason);
        return;
    }
    announceList(m_speech, m_ui.Combo1, FormControls::Combo1Title);
}

void FormSupport::txtGuide_GotFocus()
{
    // The help pane covers the guide pane too.
    if (m_helpPane->isShown()) {
        m_ui.Command2->setFocus(Qt::OtherFocusReason);
        return;
    }
    QTextCursor cursor = m_ui.txtGuide->textCursor();
    cursor.movePosition(QTextCursor::Start);
    m_ui.txtGuide->setTextCursor(cursor);
    m_ui.txtGuide->handlers.regainedFocus();
}

bool FormSupport::Command4_KeyDown(QKeyEvent* e)
{
    // The down arrow leaves "↓自動" forward, but only when it is released.
    if (e->key() == Qt::Key_Down)
        return true;
    return enterPresses(m_ui.Command4)(e);
}

bool FormSupport::Command4_KeyUp(QKeyEvent* e)
{
    if (e->key() != Qt::Key_Down)
        return false;
    KeySender::sendTab();
    return true;
}
