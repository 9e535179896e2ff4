#include "dialogs/Kodo.h"

#include "accessibility/AccessibleWords.h"
#include "accessibility/ScreenReaderMode.h"
#include "account/LeadingNumber.h"
#include "dialogs/DialogPlacement.h"
#include "dialogs/FlagCheckState.h"
#include "speech/Announce.h"
#include "speech/SpeechChannel.h"
#include "ui/AccessKey.h"
#include "ui/DesignFonts.h"
#include "ui/EnterMovesOn.h"
#include "ui/FixedWindow.h"
#include "ui/LabelFit.h"
#include "ui/TextColour.h"
#include "ui/Twips.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <limits>
#include <optional>

namespace
{

const QString KeepInMind = QStringLiteral("通常は変更しないようにしてください");

// The captions of the two text fields of the record (the rest are numbers);
// a failed save names the field by them.
const QString TitleCaption = QStringLiteral("この設定に付ける名前");
const QString ReplyMailCaption = QStringLiteral("返信先");

// zPopWarningSize says nothing when it gains the focus; when an OK is refused
// because of its text, the user still has to hear which field holds the fault.
const QString PopWarningSizeRefusalLabel = QStringLiteral("警告するバイト数は");

} // namespace

Kodo::Kodo(Acd& acd, SpeechChannel& speech, QString senderName, QWidget* parent)
    : QDialog(parent), m_acd(acd), m_speech(speech), m_senderName(std::move(senderName))
{
    setObjectName(QStringLiteral("Kodo"));
    setWindowTitle(QStringLiteral("高度な設定"));
    setWindowFlags(fixedWindowFlags(Qt::Dialog));
    setFixedSize(fromTwips(8010), fromTwips(5625));

    buildControls();
    // After every control is placed, so a label grows only into free space.
    for (QLabel* label : findChildren<QLabel*>())
        showLabelWhole(label);
    setTabOrder();
    SetData();
    ScreenReaderMode::applyTo(this, m_speech);
    // The first control in tab order that can take the focus; check boxes say
    // nothing, so opening the dialog is silent.
    zPopStock->setFocus(Qt::OtherFocusReason);
}

Kodo::~Kodo()
{
    HookedControl::releaseAll(this);
}

void Kodo::showModal(Acd& acd, SpeechChannel& speech, const QString& senderName, QWidget* mainWindow)
{
    Kodo dialog(acd, speech, senderName, mainWindow);
    centreOver(&dialog, mainWindow);
    dialog.exec();
}

QString Kodo::captionOf(QString Acd::*field)
{
    if (field == &Acd::Title)
        return withoutAccessKeyMarker(TitleCaption);
    if (field == &Acd::ReplyMail)
        return withoutAccessKeyMarker(ReplyMailCaption);
    return QString();
}

void Kodo::buildControls()
{
    Frame3 = new QGroupBox(QStringLiteral("メール受信時"), this);
    Frame3->setObjectName(QStringLiteral("Frame3"));
    Frame3->setGeometry(twipsRect(120, 120, 7755, 1995));
    Frame3->setFocusPolicy(Qt::NoFocus);

    zPopStock =
        addCheckBox<CheckBox>(Frame3, "zPopStock", QStringLiteral("受信したメールをサーバーにも残しておく"),
                              QRect(360, 360, 3555, 255));
    addLabel(Frame3, "Label1", QStringLiteral("残す日数"), QRect(4440, 390, 720, 180));
    zPopStockDays = addTextBox(Frame3, "zPopStockDays", QStringLiteral("残す日数"),
                               QRect(5340, 352, 915, 270), 9, QStringLiteral("サーバに残す日数は"));
    addLabel(Frame3, "Label2", QStringLiteral("受信サーバのポート番号"), QRect(360, 810, 1905, 180));
    zPopPort = addTextBox(Frame3, "zPopPort", QStringLiteral("受信サーバのポート番号"),
                          QRect(2400, 760, 915, 285), 9.75, QStringLiteral("受信サーバのポート番号は"));
    zPopWarning = addCheckBox<QCheckBox>(
        Frame3, "zPopWarning", QStringLiteral("サイズの大きいメールを警告する"), QRect(360, 1200, 3375, 195));
    zPopWarning->setEnabled(false);
    QLabel* label10 =
        addLabel(Frame3, "Label10", QStringLiteral("警告するバイト数"), QRect(3900, 1185, 1320, 180));
    setTextColour(label10, QApplication::palette().color(QPalette::Active, QPalette::Dark));
    zPopWarningSize = addTextBox(Frame3, "zPopWarningSize", QStringLiteral("警告するバイト数"),
                                 QRect(5340, 1137, 975, 285), 9.75, QString());
    QLabel* label11 = addLabel(Frame3, "Label11", QStringLiteral("KB"), QRect(6420, 1185, 225, 180));
    setTextColour(label11, QApplication::palette().color(QPalette::Disabled, QPalette::WindowText));
    zPopAttestation = addCheckBox<QCheckBox>(Frame3, "zPopAttestation", QStringLiteral("APOP認証を使用する"),
                                             QRect(360, 1560, 2535, 195));
    zPopAttestation->setEnabled(false);

    Frame1 = new QGroupBox(QStringLiteral("メール送信時"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(twipsRect(120, 2280, 7755, 1695));
    Frame1->setFocusPolicy(Qt::NoFocus);

    addLabel(Frame1, "Label4", QStringLiteral("１行の文字数(30～300)"), QRect(360, 300, 1770, 180));
    zLineLength = addTextBox(Frame1, "zLineLength", QStringLiteral("１行の文字数(30～300)"),
                             QRect(2340, 240, 1155, 270), 9.75, QStringLiteral("１行の文字数は"));
    zReplyUser =
        addCheckBox<CheckBox>(Frame1, "zReplyUser", QStringLiteral("差出人とは別のアドレスを返信先にする"),
                              QRect(360, 600, 3435, 255));
    addLabel(Frame1, "Label5", ReplyMailCaption, QRect(4020, 630, 540, 180));
    zReplyMail = addTextBox(Frame1, "zReplyMail", ReplyMailCaption, QRect(4680, 592, 2895, 270), 9.75,
                            QStringLiteral("返信先アドレスは"));
    zSmtpAttestationPop = addCheckBox<CheckBox>(
        Frame1, "zSmtpAttestationPop", QStringLiteral("送信する直前に、必ず受信する　(POP Before SMTP)"),
        QRect(360, 960, 5175, 195));
    addLabel(Frame1, "Label7", QStringLiteral("送信サーバのポート番号"), QRect(360, 1305, 1905, 180));
    zSmtpPort = addTextBox(Frame1, "zSmtpPort", QStringLiteral("送信サーバのポート番号"),
                           QRect(2340, 1260, 1155, 270), 9.75, QStringLiteral("送信サーバのポート番号は"));

    Frame4 = new QGroupBox(QStringLiteral("その他"), this);
    Frame4->setObjectName(QStringLiteral("Frame4"));
    Frame4->setGeometry(twipsRect(120, 4140, 7755, 795));
    Frame4->setFocusPolicy(Qt::NoFocus);

    addLabel(Frame4, "Label16", TitleCaption, QRect(420, 330, 1710, 180));
    zTitle = addTextBox(Frame4, "zTitle", TitleCaption, QRect(2280, 300, 4395, 285), 9.75,
                        QStringLiteral("このアカウント設定につける名前は"));

    Command1 =
        addButton("Command1", QStringLiteral("OK"), QRect(2280, 5100, 1755, 375),
                  QStringLiteral("OKのプッシュボタン"), QStringLiteral("Enterは設定して閉じる Tabは次へ"));
    Command2 = addButton("Command2", QStringLiteral("キャンセル"), QRect(4200, 5100, 1695, 375),
                         QStringLiteral("キャンセルのプッシュボタン"),
                         QStringLiteral("Enterはキャンセル Tabは次へ"));
    Command3 =
        addButton("Command3", QStringLiteral("規定値に戻す"), QRect(6060, 5100, 1755, 375),
                  QStringLiteral("規定値に戻すのプッシュボタン"), QStringLiteral("Enterは規定値 Tabは次へ"));

    setTextColour(addLabel(Frame3, "Label3", KeepInMind, QRect(4905, 30, 2670, 180)), DarkRed);
    setTextColour(addLabel(Frame1, "Label6", KeepInMind, QRect(4935, 15, 2670, 180)), DarkRed);

    // The disconnect choice and the default-account box belong to no field of
    // the record; they are kept, hidden, so the dialog has every control the
    // mail client's own dialog has.
    Frame2 = new QGroupBox(QStringLiteral("切断方法"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Frame2->setGeometry(twipsRect(240, 6300, 7755, 675));
    Frame2->setFocusPolicy(Qt::NoFocus);
    const auto addOption = [this](const char* name, const QString& caption, QRect twips) {
        auto* option = new QRadioButton(caption, Frame2);
        option->setObjectName(QString::fromLatin1(name));
        option->setAccessibleName(caption);
        option->setGeometry(fromTwips(twips));
        return option;
    };
    Option1 = addOption("Option1", QStringLiteral("切断しない"), QRect(360, 285, 1575, 255));
    Option2 = addOption("Option2", QStringLiteral("プログラム終了時に切断"), QRect(1920, 285, 2175, 255));
    Option3 = addOption("Option3", QStringLiteral("送受信が完了したら切断"), QRect(4380, 285, 2355, 255));
    Frame2->hide();

    setTextColour(addLabel(Frame4, "Label17", QStringLiteral("アカウントの通称"), QRect(420, 510, 1290, 180)),
                  DarkRed);
    Check4 =
        addCheckBox<QCheckBox>(Frame4, "Check4", QStringLiteral("この設定を通常使用するメールアドレスとする"),
                               QRect(420, 840, 3795, 255));
    Check4->hide();
    setTextColour(addLabel(Frame4, "Label8", QStringLiteral("複数メールアドレスで使用します"),
                           QRect(5160, 30, 2460, 180)),
                  DarkRed);
    QLabel* label9 = addLabel(Frame4, "Label9", QStringLiteral("デフォルトのアカウントにする"),
                              QRect(4260, 870, 2205, 180));
    setTextColour(label9, DarkRed);
    label9->hide();

    for (TextBox* box : {zTitle, zReplyMail, zSmtpPort, zLineLength, zPopStockDays, zPopPort})
        box->handlers.keyPress = enterMovesOn;
    for (CheckBox* box : {zReplyUser, zSmtpAttestationPop, zPopStock})
        box->handlers.keyPress = enterMovesOn;

    const auto dependOn = [this](QCheckBox* check, QLineEdit* box) {
        connect(check, &QCheckBox::stateChanged, this, [this, check, box] { setDependent(box, check); });
        // A box that showed a flag of 2 in its third state goes on as an
        // ordinary two-state box once the user has changed it.
        connect(check, &QCheckBox::clicked, check, [check] { check->setTristate(false); });
    };
    dependOn(zPopStock, zPopStockDays);
    dependOn(zPopWarning, zPopWarningSize);
    dependOn(zReplyUser, zReplyMail);
    for (QCheckBox* check : {static_cast<QCheckBox*>(zSmtpAttestationPop), zPopAttestation})
        connect(check, &QCheckBox::clicked, check, [check] { check->setTristate(false); });

    connect(Command1, &QPushButton::clicked, this, &Kodo::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Kodo::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Kodo::Command3_Click);
}

Kodo::TextBox* Kodo::addTextBox(QWidget* parent, const char* name, const QString& accessibleName, QRect twips,
                                qreal pointSize, const QString& spokenLabel)
{
    auto* box = new TextBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setAccessibleName(accessibleName);
    if (!spokenLabel.isEmpty())
        AccessibleWords::setSpokenField(box, spokenLabel, NotRegistered);
    box->setGeometry(fromTwips(twips));
    box->setMaxLength(std::numeric_limits<int>::max());
    box->setFont(designFont(GothicFamily, pointSize));
    m_spokenLabels.insert(box, spokenLabel);
    const auto announce = [this, box] {
        const QString label = m_spokenLabels.value(box);
        if (!label.isEmpty())
            Announce::field(m_speech, label, box->text());
    };
    box->handlers.gotFocus = [box, announce](Qt::FocusReason) {
        // Qt selects the whole text on Tab; the user expects to start
        // reading and typing from the beginning instead.
        box->deselect();
        box->setCursorPosition(0);
        announce();
    };
    box->handlers.regainedFocus = announce;
    return box;
}

QLabel* Kodo::addLabel(QWidget* parent, const char* name, const QString& caption, QRect twips)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(fromTwips(twips));
    return label;
}

template <typename Box>
Box* Kodo::addCheckBox(QWidget* parent, const char* name, const QString& caption, QRect twips)
{
    auto* box = new Box(parent);
    box->setText(caption);
    box->setObjectName(QString::fromLatin1(name));
    box->setAccessibleName(caption);
    box->setGeometry(fromTwips(twips));
    return box;
}

Kodo::Button* Kodo::addButton(const char* name, const QString& caption, QRect twips,
                              const QString& spokenLabel, const QString& keyHint)
{
    auto* button = new Button(caption, this);
    button->setObjectName(QString::fromLatin1(name));
    button->setAccessibleName(caption);
    AccessibleWords::setSpoken(button, spokenLabel, keyHint);
    button->setGeometry(fromTwips(twips));
    // No default button: Enter in a text box moves on and must never press a
    // button that the user has not reached.
    button->setAutoDefault(false);
    button->setDefault(false);
    button->handlers.gotFocus = [this, spokenLabel, keyHint](Qt::FocusReason) {
        Announce::button(m_speech, spokenLabel, keyHint);
    };
    // Without auto-default Qt leaves Enter on a focused button unanswered;
    // here Enter presses the button that has the focus, as Space does.
    button->handlers.keyPress = [button](QKeyEvent* e) {
        if (!isEnterKey(e))
            return false;
        if (!e->isAutoRepeat())
            button->click();
        return true;
    };
    return button;
}

void Kodo::setTabOrder()
{
    const QList<QWidget*> order{zPopStock,       zPopStockDays, zPopPort,   zPopWarning, zPopWarningSize,
                                zPopAttestation, zLineLength,   zReplyUser, zReplyMail,  zSmtpAttestationPop,
                                zSmtpPort,       zTitle,        Command1,   Command2,    Command3,
                                Option1,         Option2,       Option3,    Check4};
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order.at(i - 1), order.at(i));
}

void Kodo::applyTitleRule()
{
    if (isBlank(m_acd.Title))
        m_acd.Title = m_senderName;
}

void Kodo::showFlag(QCheckBox* box, int32_t flag)
{
    const Qt::CheckState state = checkStateForFlag(flag);
    box->setTristate(state == Qt::PartiallyChecked);
    box->setCheckState(state);
}

void Kodo::SetData()
{
    applyTitleRule();
    m_loaded = {m_acd.ReplyUser, m_acd.SmtpAttestationPop, m_acd.PopStock, m_acd.PopWarning,
                m_acd.PopAttestation};

    zTitle->setText(m_acd.Title);
    showFlag(zReplyUser, m_acd.ReplyUser);
    zSmtpPort->setText(QString::number(m_acd.SmtpPort));
    zPopPort->setText(QString::number(m_acd.PopPort));
    showFlag(zPopStock, m_acd.PopStock);
    zPopStockDays->setText(QString::number(m_acd.PopStockDays));
    showFlag(zPopWarning, m_acd.PopWarning);
    zPopWarningSize->setText(QString::number(m_acd.PopWarningSize));
    zLineLength->setText(QString::number(m_acd.LineLength));
    showFlag(zSmtpAttestationPop, m_acd.SmtpAttestationPop);
    showFlag(zPopAttestation, m_acd.PopAttestation);
    zReplyMail->setText(m_acd.ReplyMail);

    setDependent(zPopWarningSize, zPopWarning);
    setDependent(zPopStockDays, zPopStock);
    setDependent(zReplyMail, zReplyUser);
}

void Kodo::setDependent(QLineEdit* box, const QCheckBox* check)
{
    const bool on = check->checkState() != Qt::Unchecked;
    box->setEnabled(on);
    QPalette p = box->palette();
    p.setColor(QPalette::Base,
               QApplication::palette().color(QPalette::Active, on ? QPalette::Base : QPalette::Button));
    box->setPalette(p);
}

void Kodo::Command1_Click()
{
    // Numbers are read in tab order, so a refusal points at the first faulty
    // field the user would meet.
    struct Number {
        TextBox* box;
        int32_t Acd::*field;
        std::optional<int32_t> value;
    };
    Number numbers[] = {{zPopStockDays, &Acd::PopStockDays, {}},
                        {zPopPort, &Acd::PopPort, {}},
                        {zPopWarningSize, &Acd::PopWarningSize, {}},
                        {zLineLength, &Acd::LineLength, {}},
                        {zSmtpPort, &Acd::SmtpPort, {}}};
    for (Number& n : numbers) {
        n.value = leadingNumber(n.box->text());
        // A number the record cannot hold is neither cut down nor wrapped:
        // the OK is refused and nothing is stored.
        if (!n.value) {
            refuseOk(n.box);
            return;
        }
    }

    m_acd.Title = zTitle->text();
    m_acd.ReplyUser = flagForCheckState(m_loaded.ReplyUser, zReplyUser->checkState());
    m_acd.PopStock = flagForCheckState(m_loaded.PopStock, zPopStock->checkState());
    m_acd.PopWarning = flagForCheckState(m_loaded.PopWarning, zPopWarning->checkState());
    m_acd.SmtpAttestationPop =
        flagForCheckState(m_loaded.SmtpAttestationPop, zSmtpAttestationPop->checkState());
    m_acd.PopAttestation = flagForCheckState(m_loaded.PopAttestation, zPopAttestation->checkState());
    for (const Number& n : numbers)
        m_acd.*n.field = *n.value;
    m_acd.ReplyMail = zReplyMail->text();
    accept();
}

void Kodo::refuseOk(TextBox* field)
{
    QString label = m_spokenLabels.value(field);
    if (field->isEnabled() && !field->hasFocus()) {
        field->setFocus(Qt::OtherFocusReason);
        // The field announces itself on gaining the focus, value included.
        if (!label.isEmpty() && field->hasFocus())
            return;
    } else if (!field->isEnabled()) {
        // A switched-off field cannot take the focus: its check box does,
        // and the field is still named so the user knows what to correct.
        if (field == zPopStockDays && zPopStock->isEnabled())
            zPopStock->setFocus(Qt::OtherFocusReason);
    }
    if (label.isEmpty())
        label = PopWarningSizeRefusalLabel;
    // Whatever has the focus now, the words are about this field.
    Announce::fieldElsewhere(m_speech, label, field->text());
}

void Kodo::Command2_Click()
{
    reject();
}

void Kodo::Command3_Click()
{
    applyTitleRule();
    Acd defaults;
    defaultAcd(defaults);
    m_acd.ReplyUser = defaults.ReplyUser;
    m_acd.SmtpPort = defaults.SmtpPort;
    m_acd.PopPort = defaults.PopPort;
    m_acd.PopStock = defaults.PopStock;
    m_acd.PopStockDays = defaults.PopStockDays;
    m_acd.PopWarning = defaults.PopWarning;
    m_acd.PopWarningSize = defaults.PopWarningSize;
    m_acd.LineLength = defaults.LineLength;
    m_acd.SmtpAttestationPop = defaults.SmtpAttestationPop;
    m_acd.PopAttestation = defaults.PopAttestation;
    m_acd.ReplyMail = defaults.ReplyMail;
    SetData();
}
