#include "dialogs/Kodo.h"

#include "accessibility/ControlVoice.h"
#include "readermode/ScreenReaderMode.h"
#include "account/LeadingNumber.h"
#include "dialogs/DialogPlacement.h"
#include "dialogs/FlagCheckState.h"
#include "speech/Announce.h"
#include "speech/SpeechChannel.h"
#include "ui/AccessKey.h"
#include "ui/DesignFonts.h"
#include "ui/EnterKey.h"
#include "ui/FixedWindow.h"
#include "ui/LabelFit.h"
#include "ui/PlacedControls.h"
#include "ui/TextColour.h"
#include "ui/Twips.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <optional>
#include <type_traits>
#include <utility>
#include <variant>

namespace
{

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

namespace
{
// The captions in a colour of their own: the red of a warning, the grey of a
// button's shadow and of disabled text.
enum class Look { Ordinary, Caution, Shadow, Grey };
// A label nothing else refers to.
constexpr QLabel* Kodo::*Unreferenced = nullptr;
} // namespace

// One control as the dialog's layout gives it. The table lists them in the
// order they are made, which is the order a screen reader walks them.
struct Kodo::ControlLayout {
    std::variant<QGroupBox* Kodo::*, QLabel* Kodo::*, TextBox* Kodo::*, CheckBox* Kodo::*, QCheckBox* Kodo::*,
                 Button* Kodo::*, QRadioButton* Kodo::*>
        member;
    const char* name;
    // Null: on the dialog itself.
    QGroupBox* Kodo::*frame;
    // A text box is found by the caption of the label before it.
    const char16_t* caption;
    QRect twips;
    qreal pointSize = 9.75;
    // What a text box or a button says when it gets the focus; empty: nothing.
    const char16_t* spokenLabel = u"";
    const char16_t* keyHint = u"";
    Look look = Look::Ordinary;
    bool shown = true;
    bool enabled = true;
};

// clang-format off
const Kodo::ControlLayout Kodo::ControlLayouts[] = {
    {.member = &Kodo::Frame3, .name = "Frame3", .frame = nullptr, .caption = u"メール受信時",
     .twips = {120, 120, 7755, 1995}},
    {.member = &Kodo::zPopStock, .name = "zPopStock", .frame = &Kodo::Frame3, .caption = u"受信したメールをサーバーにも残しておく",
     .twips = {360, 360, 3555, 255}},
    {.member = Unreferenced, .name = "Label1", .frame = &Kodo::Frame3, .caption = u"残す日数",
     .twips = {4440, 390, 720, 180}},
    {.member = &Kodo::zPopStockDays, .name = "zPopStockDays", .frame = &Kodo::Frame3, .caption = u"残す日数",
     .twips = {5340, 352, 915, 270}, .pointSize = 9, .spokenLabel = u"サーバに残す日数は"},
    {.member = Unreferenced, .name = "Label2", .frame = &Kodo::Frame3, .caption = u"受信サーバのポート番号",
     .twips = {360, 810, 1905, 180}},
    {.member = &Kodo::zPopPort, .name = "zPopPort", .frame = &Kodo::Frame3, .caption = u"受信サーバのポート番号",
     .twips = {2400, 760, 915, 285}, .spokenLabel = u"受信サーバのポート番号は"},
    {.member = &Kodo::zPopWarning, .name = "zPopWarning", .frame = &Kodo::Frame3, .caption = u"サイズの大きいメールを警告する",
     .twips = {360, 1200, 3375, 195}, .enabled = false},
    {.member = Unreferenced, .name = "Label10", .frame = &Kodo::Frame3, .caption = u"警告するバイト数",
     .twips = {3900, 1185, 1320, 180}, .look = Look::Shadow},
    {.member = &Kodo::zPopWarningSize, .name = "zPopWarningSize", .frame = &Kodo::Frame3, .caption = u"警告するバイト数",
     .twips = {5340, 1137, 975, 285}},
    {.member = Unreferenced, .name = "Label11", .frame = &Kodo::Frame3, .caption = u"KB",
     .twips = {6420, 1185, 225, 180}, .look = Look::Grey},
    {.member = &Kodo::zPopAttestation, .name = "zPopAttestation", .frame = &Kodo::Frame3, .caption = u"APOP認証を使用する",
     .twips = {360, 1560, 2535, 195}, .enabled = false},

    {.member = &Kodo::Frame1, .name = "Frame1", .frame = nullptr, .caption = u"メール送信時",
     .twips = {120, 2280, 7755, 1695}},
    {.member = Unreferenced, .name = "Label4", .frame = &Kodo::Frame1, .caption = u"１行の文字数(30～300)",
     .twips = {360, 300, 1770, 180}},
    {.member = &Kodo::zLineLength, .name = "zLineLength", .frame = &Kodo::Frame1, .caption = u"１行の文字数(30～300)",
     .twips = {2340, 240, 1155, 270}, .spokenLabel = u"１行の文字数は"},
    {.member = &Kodo::zReplyUser, .name = "zReplyUser", .frame = &Kodo::Frame1, .caption = u"差出人とは別のアドレスを返信先にする",
     .twips = {360, 600, 3435, 255}},
    {.member = Unreferenced, .name = "Label5", .frame = &Kodo::Frame1, .caption = u"返信先",
     .twips = {4020, 630, 540, 180}},
    {.member = &Kodo::zReplyMail, .name = "zReplyMail", .frame = &Kodo::Frame1, .caption = u"返信先",
     .twips = {4680, 592, 2895, 270}, .spokenLabel = u"返信先アドレスは"},
    {.member = &Kodo::zSmtpAttestationPop, .name = "zSmtpAttestationPop", .frame = &Kodo::Frame1,
     .caption = u"送信する直前に、必ず受信する　(POP Before SMTP)", .twips = {360, 960, 5175, 195}},
    {.member = Unreferenced, .name = "Label7", .frame = &Kodo::Frame1, .caption = u"送信サーバのポート番号",
     .twips = {360, 1305, 1905, 180}},
    {.member = &Kodo::zSmtpPort, .name = "zSmtpPort", .frame = &Kodo::Frame1, .caption = u"送信サーバのポート番号",
     .twips = {2340, 1260, 1155, 270}, .spokenLabel = u"送信サーバのポート番号は"},

    {.member = &Kodo::Frame4, .name = "Frame4", .frame = nullptr, .caption = u"その他", .twips = {120, 4140, 7755, 795}},
    {.member = Unreferenced, .name = "Label16", .frame = &Kodo::Frame4, .caption = u"この設定に付ける名前",
     .twips = {420, 330, 1710, 180}},
    {.member = &Kodo::zTitle, .name = "zTitle", .frame = &Kodo::Frame4, .caption = u"この設定に付ける名前",
     .twips = {2280, 300, 4395, 285}, .spokenLabel = u"このアカウント設定につける名前は"},

    {.member = &Kodo::Command1, .name = "Command1", .frame = nullptr, .caption = u"OK",
     .twips = {2280, 5100, 1755, 375}, .spokenLabel = u"OKのプッシュボタン", .keyHint = u"Enterは設定して閉じる Tabは次へ"},
    {.member = &Kodo::Command2, .name = "Command2", .frame = nullptr, .caption = u"キャンセル",
     .twips = {4200, 5100, 1695, 375}, .spokenLabel = u"キャンセルのプッシュボタン", .keyHint = u"Enterはキャンセル Tabは次へ"},
    {.member = &Kodo::Command3, .name = "Command3", .frame = nullptr, .caption = u"規定値に戻す",
     .twips = {6060, 5100, 1755, 375}, .spokenLabel = u"規定値に戻すのプッシュボタン", .keyHint = u"Enterは規定値 Tabは次へ"},

    {.member = Unreferenced, .name = "Label3", .frame = &Kodo::Frame3, .caption = u"通常は変更しないようにしてください",
     .twips = {4905, 30, 2670, 180}, .look = Look::Caution},
    {.member = Unreferenced, .name = "Label6", .frame = &Kodo::Frame1, .caption = u"通常は変更しないようにしてください",
     .twips = {4935, 15, 2670, 180}, .look = Look::Caution},

    // The disconnect choice and the default-account box belong to no field of
    // the record; they are kept, hidden, so the dialog has every control the
    // mail client's own dialog has.
    {.member = &Kodo::Frame2, .name = "Frame2", .frame = nullptr, .caption = u"切断方法", .twips = {240, 6300, 7755, 675},
     .shown = false},
    {.member = &Kodo::Option1, .name = "Option1", .frame = &Kodo::Frame2, .caption = u"切断しない",
     .twips = {360, 285, 1575, 255}},
    {.member = &Kodo::Option2, .name = "Option2", .frame = &Kodo::Frame2, .caption = u"プログラム終了時に切断",
     .twips = {1920, 285, 2175, 255}},
    {.member = &Kodo::Option3, .name = "Option3", .frame = &Kodo::Frame2, .caption = u"送受信が完了したら切断",
     .twips = {4380, 285, 2355, 255}},
    {.member = Unreferenced, .name = "Label17", .frame = &Kodo::Frame4, .caption = u"アカウントの通称",
     .twips = {420, 510, 1290, 180}, .look = Look::Caution},
    {.member = &Kodo::Check4, .name = "Check4", .frame = &Kodo::Frame4, .caption = u"この設定を通常使用するメールアドレスとする",
     .twips = {420, 840, 3795, 255}, .shown = false},
    {.member = Unreferenced, .name = "Label8", .frame = &Kodo::Frame4, .caption = u"複数メールアドレスで使用します",
     .twips = {5160, 30, 2460, 180}, .look = Look::Caution},
    {.member = Unreferenced, .name = "Label9", .frame = &Kodo::Frame4, .caption = u"デフォルトのアカウントにする",
     .twips = {4260, 870, 2205, 180}, .look = Look::Caution, .shown = false},
};
// clang-format on

QString Kodo::captionOf(QString Acd::*field)
{
    // The record's two text fields (the rest are numbers) and their boxes.
    const std::pair<QString Acd::*, TextBox * Kodo::*> boxes[] = {{&Acd::Title, &Kodo::zTitle},
                                                                  {&Acd::ReplyMail, &Kodo::zReplyMail}};
    for (const auto& [shown, box] : boxes) {
        if (shown != field)
            continue;
        for (const ControlLayout& layout : ControlLayouts) {
            if (layout.member == decltype(layout.member)(box))
                return withoutAccessKeyMarker(QString::fromUtf16(layout.caption));
        }
    }
    return QString();
}

void Kodo::buildControls()
{
    for (const ControlLayout& layout : ControlLayouts)
        createControl(layout);
    connectControls();
}

void Kodo::createControl(const ControlLayout& layout)
{
    QWidget* parent = layout.frame ? static_cast<QWidget*>(this->*layout.frame) : this;
    const QString caption = QString::fromUtf16(layout.caption);
    QWidget* made = makeMember(this, layout.member, [&](auto* none) -> decltype(none) {
        using Control = std::remove_pointer_t<decltype(none)>;
        if constexpr (std::is_same_v<Control, QGroupBox>)
            return makeFrame(parent, layout.name, caption, layout.twips);
        else if constexpr (std::is_same_v<Control, QLabel>)
            return makeLabel(parent, layout.name, caption, layout.twips);
        else if constexpr (std::is_same_v<Control, TextBox>)
            return createTextBox(parent, layout);
        else if constexpr (std::is_same_v<Control, Button>)
            return createButton(layout);
        else
            return makeCheckBox<Control>(parent, layout.name, caption, layout.twips);
    });

    switch (layout.look) {
    case Look::Ordinary:
        break;
    case Look::Caution:
        setTextColour(made, DarkRed);
        break;
    case Look::Shadow:
        setTextColour(made, QApplication::palette().color(QPalette::Active, QPalette::Dark));
        break;
    case Look::Grey:
        setTextColour(made, QApplication::palette().color(QPalette::Disabled, QPalette::WindowText));
        break;
    }
    if (!layout.enabled)
        made->setEnabled(false);
    if (!layout.shown)
        made->hide();
}

Kodo::TextBox* Kodo::createTextBox(QWidget* parent, const ControlLayout& layout)
{
    auto* box =
        makeTextBox<TextBox>(parent, layout.name, layout.twips, designFont(GothicFamily, layout.pointSize));
    box->setAccessibleName(QString::fromUtf16(layout.caption));
    const QString spokenLabel = QString::fromUtf16(layout.spokenLabel);
    ControlVoice::field(box, m_speech, spokenLabel);
    m_spokenLabels.insert(box, spokenLabel);
    return box;
}

Kodo::Button* Kodo::createButton(const ControlLayout& layout)
{
    const QString caption = QString::fromUtf16(layout.caption);
    auto* button = makePushButton<Button>(this, layout.name, caption, layout.twips);
    button->setAccessibleName(caption);
    ControlVoice::button(button, m_speech, QString::fromUtf16(layout.spokenLabel),
                         QString::fromUtf16(layout.keyHint));
    button->handlers.keyPress = enterPresses(button);
    return button;
}

void Kodo::connectControls()
{
    // zPopWarningSize is left out: it is switched on only by a flag loaded
    // from a file, and Enter there has always done nothing.
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

void Kodo::setTabOrder()
{
    const QList<QWidget*> order{zPopStock,       zPopStockDays, zPopPort,   zPopWarning, zPopWarningSize,
                                zPopAttestation, zLineLength,   zReplyUser, zReplyMail,  zSmtpAttestationPop,
                                zSmtpPort,       zTitle,        Command1,   Command2,    Command3,
                                Option1,         Option2,       Option3,    Check4};
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order.at(i - 1), order.at(i));
}

void Kodo::showFlag(QCheckBox* box, int32_t flag)
{
    const Qt::CheckState state = checkStateForFlag(flag);
    box->setTristate(state == Qt::PartiallyChecked);
    box->setCheckState(state);
}

void Kodo::SetData()
{
    applyTitleRule(m_acd, m_senderName);
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
    applyTitleRule(m_acd, m_senderName);
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
