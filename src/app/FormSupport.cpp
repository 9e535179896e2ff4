#include "app/FormSupport.h"

#include "accessibility/ControlVoice.h"
#include "account/Acd.h"
#include "account/AcdFile.h"
#include "account/FileCommands.h"
#include "app/BrowserCommand.h"
#include "ui/ClickableLabel.h"
#include "app/FieldBehaviour.h"
#include "app/GuideText.h"
#include "app/HelpPane.h"
#include "app/CrLfPaneText.h"
#include "app/TypingAidKeys.h"
#include "app/WebPages.h"
#include "dialogs/Kodo.h"
#include "dialogs/frmAbout.h"
#include "platform/Platform.h"
#include "providers/ProviderTable.h"
#include "providers/SampleSettings.h"
#include "providers/ServerDerivation.h"
#include "speech/Announce.h"
#include "speech/SpeechChannel.h"
#include "ui/AccessKey.h"
#include "ui/DesignFonts.h"
#include "ui/EnterMovesOn.h"
#include "ui/FixedWindow.h"
#include "ui/KeySender.h"
#include "ui/LabelFit.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QLayout>
#include <QScreen>
#include <QTextCursor>

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
const BoxWords ClearAll{QStringLiteral("現在の設定をクリアします。よろしいですか?"), QStringLiteral("すべてクリア")};

// The write-error box's second line when a value holds a character CP932
// lacks: the user finds the field by its caption and the character by ear.
QString unwritableLine(const QString& caption, char32_t character)
{
    return QStringLiteral("「%1」に保存できない文字があります：%2（U+%3）")
        .arg(caption, QString::fromUcs4(&character, 1),
             QString::number(character, 16).toUpper().rightJustified(4, u'0'));
}

// A window without the services it stands on could only fail later, at
// whichever command first reached for one.
Platform& withRequiredServices(Platform& platform)
{
    const QStringList missing = platform.missingServices();
    if (!missing.isEmpty())
        qFatal("The platform lacks required services: %s", qPrintable(missing.join(QStringLiteral(", "))));
    return platform;
}

} // namespace

FormSupport::FormSupport(Platform& platform, SpeechChannel& speech, Acd& acd, QWidget* parent)
    : QMainWindow(parent)
    , m_platform(withRequiredServices(platform))
    , m_speech(speech)
    , m_acd(acd)
    , m_fileCommands(std::make_unique<FileCommands>(*platform.fileDialogLibrary, *platform.standardFileDialog,
                                                    *platform.driveTypes, QCoreApplication::applicationDirPath()))
    , m_hpPage(platform.browserFactory)
    , m_web1Page(platform.browserFactory)
    , m_web2Page(platform.browserFactory)
{
    m_ui.createControls(this);
    m_helpPane = std::make_unique<HelpPane>(m_ui.txtHelp, m_ui.Command6, m_ui.txtName, m_speech);
    m_fieldBehaviour = std::make_unique<FieldBehaviour>(*m_helpPane, m_speech);
    m_guide = std::make_unique<CrLfPaneText>(m_ui.txtGuide);
    setGuideText(::guideText());
    attachHandlers();
    // The file dialogs open over this window.
    m_platform.fileDialogLibrary->setOwner(this);
    m_platform.standardFileDialog->setOwner(this);
}

FormSupport::~FormSupport()
{
    HookedControl::releaseAll(this);
    m_platform.fileDialogLibrary->setOwner(nullptr);
    m_platform.standardFileDialog->setOwner(nullptr);
}

void FormSupport::attachHandlers()
{
    for (const FormControls::Field& field : m_ui.fields)
        m_fieldBehaviour->attach(field);
    m_ui.txtAddress->handlers.keyPress = [this](QKeyEvent* e) { return txtAddress_KeyPress(e); };
    attachButtonHandlers();

    m_ui.Combo1->handlers.gotFocus = [this](Qt::FocusReason) { Combo1_GotFocus(); };
    m_ui.Combo2->handlers.gotFocus = [this](Qt::FocusReason) {
        list_GotFocus(m_ui.Combo2, FormControls::Combo2Title);
    };
    m_ui.Combo1->handlers.keyPress = enterMovesOn;
    m_ui.Combo2->handlers.keyPress = enterMovesOn;

    m_ui.txtGuide->handlers.gotFocus = [this](Qt::FocusReason) { txtGuide_GotFocus(); };
    m_ui.txtGuide->handlers.regainedFocus = [this] { announceGuide(); };
    connectCommands();
}

void FormSupport::attachButtonHandlers()
{
    for (const FormControls::Button& b : m_ui.buttons) {
        if (b.button != m_ui.Command4)
            b.button->handlers.keyPress = enterPresses(b.button);
        ControlVoice::button(b.button, m_speech, b.spokenLabel, b.keyHint);
    }
    m_ui.Command6->handlers.keyPress = enterPresses(m_ui.Command6);
    m_ui.Command4->handlers.keyPress = [this](QKeyEvent* e) { return Command4_KeyDown(e); };
    m_ui.Command4->handlers.keyRelease = [this](QKeyEvent* e) { return Command4_KeyUp(e); };
}

void FormSupport::connectCommands()
{
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

void FormSupport::Form_Load()
{
    m_speech.VobrInit(m_platform.speechFactory);
    ComboSet();
    defaultAcd();
    m_ui.txtName->setFocus(Qt::OtherFocusReason);
}

QString FormSupport::programFolder() const
{
    return m_fileCommands->programFolder();
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
    if (m_centred)
        return;
    m_centred = true;
    if (const QScreen* s = screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(s->availableGeometry().center());
        move(frame.topLeft());
    }
}

void FormSupport::defaultAcd()
{
    ::defaultAcd(m_acd);
}

void FormSupport::Acd2Editer()
{
    m_ui.showRecord(m_acd);
}

void FormSupport::Edit2Acd()
{
    m_ui.takeIntoRecord(m_acd);
}

void FormSupport::ComboSet()
{
    m_ui.ComboSet();
}

void FormSupport::ComboDisp()
{
    const QString address = m_ui.txtAddress->text();
    const qsizetype at = address.indexOf(u'@');
    if (at < 0)
        return;
    const QString local = address.left(at);
    const QString domain = address.mid(at + 1);
    if (isBlank(local) || isBlank(domain))
        return;
    const std::optional<int> provider = RecognizeProvider(domain);
    if (!provider)
        return;
    m_ui.Combo1->setCurrentIndex(*provider);
    m_ui.Combo2->setCurrentIndex(*provider);
}

void FormSupport::Command5_Click()
{
    if (m_platform.messageBox->question(this, ClearAll.text, ClearAll.title) != MessageBox::Answer::Yes)
        return;
    ComboSet();
    defaultAcd();
    Acd2Editer();
}

void FormSupport::Command6_Click()
{
    m_helpPane->close();
}

QLineEdit* FormSupport::LastField() const
{
    return m_helpPane->lastField();
}

void FormSupport::setGuideText(const QString& text)
{
    m_guide->set(text);
}

QString FormSupport::guideText() const
{
    return m_guide->text();
}

QString FormSupport::helpText() const
{
    return m_helpPane->text();
}

void FormSupport::fieldHelp(const FormControls::Field& field)
{
    m_helpPane->show(field.helpText());
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

void FormSupport::list_GotFocus(QComboBox* list, const QString& title)
{
    const QString entry = list->currentText();
    Announce::list(m_speech, title, list->currentIndex() < 0 ? nullptr : &entry);
}

void FormSupport::Combo1_GotFocus()
{
    // The help pane covers the provider rows: the keyboard skips them.
    if (m_helpPane->isShown()) {
        m_ui.txtName->setFocus(Qt::OtherFocusReason);
        return;
    }
    list_GotFocus(m_ui.Combo1, FormControls::Combo1Title);
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
    announceGuide();
}

void FormSupport::announceGuide()
{
    Announce::pane(m_speech, FormControls::GuideTitle, guideText());
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

void FormSupport::saveAcd(const QString& path)
{
    Edit2Acd();
    const AcdWriteResult result = saveAcdFile(path, m_acd, m_platform.fileSystem, m_platform.fileBound);
    if (result)
        return;
    QString text = WriteFailed.text;
    if (result.unwritable)
        text += u'\n' + unwritableLine(captionOf(result.unwritable->field), result.unwritable->character);
    m_platform.messageBox->error(this, text, WriteFailed.title);
}

QString FormSupport::captionOf(QString Acd::*field) const
{
    const QString caption = m_ui.captionOf(field);
    return caption.isEmpty() ? Kodo::captionOf(field) : caption;
}

void FormSupport::LoadAcd(const QString& path)
{
    // A file that fails half way leaves the record partly loaded; the window
    // keeps showing the previous account until the next save copies it back.
    if (!loadAcdFile(path, m_acd, m_platform.fileSystem, m_platform.fileBound)) {
        m_platform.messageBox->error(this, ReadFailed.text, ReadFailed.title);
        return;
    }
    Acd2Editer();
    ComboDisp();
    m_ui.txtName->setFocus(Qt::OtherFocusReason);
}

void FormSupport::mnu_file_open_Click()
{
    if (auto path = m_fileCommands->mnu_file_open_Click())
        LoadAcd(*path);
}

void FormSupport::mnu_file_save_Click()
{
    if (auto path = m_fileCommands->mnu_file_save_Click())
        saveAcd(*path);
}

void FormSupport::mnu_file_fdopen_Click()
{
    const FileChoice choice = m_fileCommands->mnu_file_fdopen_Click();
    if (choice.outcome == FileChoice::Outcome::NoRemovableDisk)
        showNoRemovableDisk();
    else if (choice)
        LoadAcd(*choice);
}

void FormSupport::mnu_file_fdsave_Click()
{
    const FileChoice choice = m_fileCommands->mnu_file_fdsave_Click();
    if (choice.outcome == FileChoice::Outcome::NoRemovableDisk)
        showNoRemovableDisk();
    else if (choice)
        saveAcd(*choice);
}

void FormSupport::showNoRemovableDisk()
{
    m_platform.messageBox->error(this, NoRemovableDisk.text, NoRemovableDisk.title);
}

void FormSupport::Sanko()
{
    if (m_ui.Combo1->currentIndex() < 0)
        return;
    QStringList texts;
    for (const FormControls::Field& field : m_ui.fields)
        texts << field.edit->text();
    if (sampleOverwritesInput(texts)
        && m_platform.messageBox->question(this, sampleOverwritePrompt(), sampleOverwriteTitle())
               != MessageBox::Answer::Yes)
        return;
    const std::optional<int> provider = providerByDisplayName(m_ui.Combo1->currentText());
    if (!provider)
        return;
    const SampleSettings& sample = sampleSettings(*provider);
    for (const SampleAssignment& a : sample.assignments) {
        if (a.target == SampleTarget::txtGuide) {
            setGuideText(a.value);
            continue;
        }
        QWidget* target = findChild<QWidget*>(sampleTargetObjectName(a.target));
        if (auto* edit = qobject_cast<QLineEdit*>(target))
            edit->setText(a.value);
        else if (auto* label = qobject_cast<QLabel*>(target))
            m_ui.setHint(label, a.value);
    }
    m_ui.Combo2->setCurrentIndex(*provider);
    m_acd.Title = sample.title;
}

void FormSupport::Command1_Click()
{
    Sanko();
    m_ui.txtName->setFocus(Qt::OtherFocusReason);
}

void FormSupport::Command2_Click()
{
    Kodo::showModal(m_acd, m_speech, m_ui.txtName->text(), this);
    returnFromDialog();
}

void FormSupport::HpOpen()
{
    if (m_ui.Combo2->currentIndex() < 0)
        return;
    const std::optional<int> provider = providerByDisplayName(m_ui.Combo2->currentText());
    if (!provider)
        return;
    m_hpPage.open(providerTable()[*provider].HomePageUrl);
}

void FormSupport::Command3_Click()
{
    HpOpen();
}

void FormSupport::Command4_Click()
{
    const ServerDerivation derived = deriveServers(m_ui.txtAddress->text());
    if (derived.usable) {
        m_ui.txtPOP->setText(derived.pop);
        m_ui.txtSMTP->setText(derived.smtp);
        switch (derived.idAction) {
        case ServerDerivation::IdAction::Keep:
            break;
        case ServerDerivation::IdAction::Set:
            m_ui.txtID->setText(derived.id);
            break;
        case ServerDerivation::IdAction::Clear:
            m_ui.txtID->clear();
            break;
        }
        if (derived.provider) {
            m_ui.Combo1->setCurrentIndex(*derived.provider);
            m_ui.Combo2->setCurrentIndex(*derived.provider);
        }
    }
    // On to txtPOP, which then says the server it got.
    KeySender::sendTab();
}

void FormSupport::mnu_help_web1_Click()
{
    m_web1Page.open(WebPages::ProductPageUrl);
}

void FormSupport::mnu_help_web2_Click()
{
    m_web2Page.open(WebPages::SupportPageUrl);
}

void FormSupport::mnu_help_ver_Click()
{
    frmAbout::showModal(m_speech, *m_platform.modulePresence, this);
    returnFromDialog();
}

void FormSupport::returnFromDialog()
{
    // Without a window manager nothing hands the keyboard back once a dialog
    // is gone; the user must land where they left, which then says itself.
    activateWindow();
}
