#include "AccountFixtures.h"
#include "ModalHelper.h"
#include "RecordingSpeechObject.h"
#include "account/Acd.h"
#include "dialogs/Kodo.h"
#include "speech/SpeechChannel.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <memory>

namespace
{

const QChar Sep(0xF8F2);

// QTest::keyClicks handles ASCII only; other characters go as typed text.
void typeText(QWidget* w, const QString& text)
{
    for (QChar c : text) {
        if (c.unicode() < 0x80)
            QTest::keyClick(w, char(c.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

QString focusName()
{
    QWidget* w = QApplication::focusWidget();
    return w ? w->objectName() : QStringLiteral("<none>");
}

int32_t* intField(Acd& a, const QString& key)
{
    static const QHash<QString, int32_t Acd::*> fields{
        {QStringLiteral("ReplyUser"), &Acd::ReplyUser},
        {QStringLiteral("SmtpPort"), &Acd::SmtpPort},
        {QStringLiteral("PopPort"), &Acd::PopPort},
        {QStringLiteral("PopStock"), &Acd::PopStock},
        {QStringLiteral("PopStockDays"), &Acd::PopStockDays},
        {QStringLiteral("PopWarning"), &Acd::PopWarning},
        {QStringLiteral("PopWarningSize"), &Acd::PopWarningSize},
        {QStringLiteral("LineLength"), &Acd::LineLength},
        {QStringLiteral("SmtpAttestationPop"), &Acd::SmtpAttestationPop},
        {QStringLiteral("PopAttestation"), &Acd::PopAttestation},
    };
    return &(a.*fields.value(key));
}

// An account in which every advanced field differs from its default.
Acd unusualAccount()
{
    return fullAccount({QStringLiteral("仕事用"), QStringLiteral("smtp.example.jp"), QStringLiteral("pop.example.jp"),
                        QStringLiteral("user01"), QStringLiteral("secret"), QStringLiteral("山田"),
                        QStringLiteral("yamada@example.jp"), QStringLiteral("reply@example.jp")});
}

} // namespace

class tst_Kodo : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void dialogWindow();
    void controls_data();
    void controls();
    void textBoxFonts_data();
    void textBoxFonts();
    void labelColours_data();
    void labelColours();
    void focusableControlsHaveAccessibleNames();
    void tabOrder_data();
    void tabOrder();

    void titleRule_data();
    void titleRule();
    void setDataShowsRecord();
    void flagsShown_data();
    void flagsShown();
    void dependentBoxes_data();
    void dependentBoxes();
    void uncheckingPopStockKeepsNumber();

    void okWithoutChanges();
    void okConvertsNumbers_data();
    void okConvertsNumbers();
    void okStoresEveryNumberField_data();
    void okStoresEveryNumberField();
    void okStoresTextsUnchanged();
    void okStoresFlags_data();
    void okStoresFlags();
    void okKeepsFlagsOfDisabledBoxes_data();
    void okKeepsFlagsOfDisabledBoxes();
    void okRefusesNumberOutOfRange_data();
    void okRefusesNumberOutOfRange();
    void okRefusalPointsAtFirstFaultInTabOrder();

    void cancelStoresNothing_data();
    void cancelStoresNothing();
    void restoreDefaultsThenCancel();
    void restoreDefaultsThenOk();

    void enterMovesOn_data();
    void enterMovesOn();
    void enterInPopWarningSizeDoesNothing();
    void enterInTextBoxPressesNoButton();
    void buttonsByKey_data();
    void buttonsByKey();

    void openingSpeaksNothing();
    void announcements_data();
    void announcements();
    void caretAtStartOnBacktab();
    void comingBackKeepsTheCaret();

    void showModalBuildsAfreshAndCentres();

private:
    Kodo* open(const QString& senderName = QString());
    template <typename T> T* control(const char* name) const
    {
        return m_dialog ? m_dialog->findChild<T*>(QString::fromLatin1(name)) : nullptr;
    }
    void pressOnFocus(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), key, mods);
    }
    // Focuses a text box and types a new text over its content, as a user would.
    void retype(const char* name, const QString& text);
    void pressOk();

    std::shared_ptr<RecordingSpeechObject::Log> m_log;
    std::unique_ptr<SpeechChannel> m_speech;
    Acd m_acd;
    std::unique_ptr<Kodo> m_dialog;
};

void tst_Kodo::init()
{
    m_log = std::make_shared<RecordingSpeechObject::Log>();
    m_speech = std::make_unique<SpeechChannel>();
    m_speech->VobrInit(RecordingSpeechObject::factory(m_log));
    m_log->clear();
    defaultAcd(m_acd);
}

void tst_Kodo::cleanup()
{
    m_dialog.reset();
    m_speech.reset();
}

Kodo* tst_Kodo::open(const QString& senderName)
{
    m_dialog = std::make_unique<Kodo>(m_acd, *m_speech, senderName);
    m_dialog->show();
    if (!QTest::qWaitForWindowActive(m_dialog.get()))
        qWarning("dialog did not become active");
    return m_dialog.get();
}

void tst_Kodo::retype(const char* name, const QString& text)
{
    auto* box = control<QLineEdit>(name);
    QVERIFY(box);
    QVERIFY(box->isEnabled());
    box->setFocus(Qt::OtherFocusReason);
    QTRY_VERIFY(box->hasFocus());
    QTest::keyClick(box, Qt::Key_End);
    QTest::keyClick(box, Qt::Key_Home, Qt::ShiftModifier);
    QTest::keyClick(box, Qt::Key_Delete);
    typeText(box, text);
    QCOMPARE(box->text(), text);
}

void tst_Kodo::pressOk()
{
    auto* ok = control<QPushButton>("Command1");
    QVERIFY(ok);
    ok->setFocus(Qt::OtherFocusReason);
    QTRY_VERIFY(ok->hasFocus());
    pressOnFocus(Qt::Key_Return);
}

// ---- Window and controls ----

void tst_Kodo::dialogWindow()
{
    open();
    QCOMPARE(m_dialog->objectName(), QStringLiteral("Kodo"));
    QCOMPARE(m_dialog->windowTitle(), QStringLiteral("高度な設定"));
    QCOMPARE(m_dialog->size(), QSize(534, 375));
    QCOMPARE(m_dialog->minimumSize(), m_dialog->maximumSize());
    const Qt::WindowFlags flags = m_dialog->windowFlags();
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    for (const char* name : {"Command1", "Command2", "Command3"}) {
        auto* button = control<QPushButton>(name);
        QVERIFY2(button, name);
        QVERIFY2(!button->autoDefault() && !button->isDefault(), name);
    }
}

void tst_Kodo::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<bool>("enabled"); // with the record at its defaults

    const auto row = [](const char* name, const char* kind, const char* container, const QString& caption,
                        QRect twips, bool visible = true, bool enabled = true) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(kind)
                            << QString::fromLatin1(container) << caption << twips << visible << enabled;
    };
    row("Frame3", "frame", "Kodo", QStringLiteral("メール受信時"), {120, 120, 7755, 1995});
    row("zPopStock", "check", "Frame3", QStringLiteral("受信したメールをサーバーにも残しておく"),
        {360, 360, 3555, 255});
    row("Label1", "label", "Frame3", QStringLiteral("残す日数"), {4440, 390, 720, 180});
    row("zPopStockDays", "text", "Frame3", QString(), {5340, 352, 915, 270}, true, false);
    row("Label2", "label", "Frame3", QStringLiteral("受信サーバのポート番号"), {360, 810, 1905, 180});
    row("zPopPort", "text", "Frame3", QString(), {2400, 760, 915, 285});
    row("zPopWarning", "check", "Frame3", QStringLiteral("サイズの大きいメールを警告する"),
        {360, 1200, 3375, 195}, true, false);
    row("Label10", "label", "Frame3", QStringLiteral("警告するバイト数"), {3900, 1185, 1320, 180});
    row("zPopWarningSize", "text", "Frame3", QString(), {5340, 1137, 975, 285}, true, false);
    row("Label11", "label", "Frame3", QStringLiteral("KB"), {6420, 1185, 225, 180});
    row("zPopAttestation", "check", "Frame3", QStringLiteral("APOP認証を使用する"), {360, 1560, 2535, 195},
        true, false);
    row("Frame1", "frame", "Kodo", QStringLiteral("メール送信時"), {120, 2280, 7755, 1695});
    row("Label4", "label", "Frame1", QStringLiteral("１行の文字数(30～300)"), {360, 300, 1770, 180});
    row("zLineLength", "text", "Frame1", QString(), {2340, 240, 1155, 270});
    row("zReplyUser", "check", "Frame1", QStringLiteral("差出人とは別のアドレスを返信先にする"),
        {360, 600, 3435, 255});
    row("Label5", "label", "Frame1", QStringLiteral("返信先"), {4020, 630, 540, 180});
    row("zReplyMail", "text", "Frame1", QString(), {4680, 592, 2895, 270}, true, false);
    row("zSmtpAttestationPop", "check", "Frame1",
        QStringLiteral("送信する直前に、必ず受信する　(POP Before SMTP)"), {360, 960, 5175, 195});
    row("Label7", "label", "Frame1", QStringLiteral("送信サーバのポート番号"), {360, 1305, 1905, 180});
    row("zSmtpPort", "text", "Frame1", QString(), {2340, 1260, 1155, 270});
    row("Frame4", "frame", "Kodo", QStringLiteral("その他"), {120, 4140, 7755, 795});
    row("Label16", "label", "Frame4", QStringLiteral("この設定に付ける名前"), {420, 330, 1710, 180});
    row("zTitle", "text", "Frame4", QString(), {2280, 300, 4395, 285});
    row("Command1", "button", "Kodo", QStringLiteral("OK"), {2280, 5100, 1755, 375});
    row("Command2", "button", "Kodo", QStringLiteral("キャンセル"), {4200, 5100, 1695, 375});
    row("Command3", "button", "Kodo", QStringLiteral("規定値に戻す"), {6060, 5100, 1755, 375});
    row("Label3", "label", "Frame3", QStringLiteral("通常は変更しないようにしてください"),
        {4905, 30, 2670, 180});
    row("Label6", "label", "Frame1", QStringLiteral("通常は変更しないようにしてください"),
        {4935, 15, 2670, 180});
    row("Frame2", "frame", "Kodo", QStringLiteral("切断方法"), {240, 6300, 7755, 675}, false);
    row("Option1", "option", "Frame2", QStringLiteral("切断しない"), {360, 285, 1575, 255}, false);
    row("Option2", "option", "Frame2", QStringLiteral("プログラム終了時に切断"), {1920, 285, 2175, 255},
        false);
    row("Option3", "option", "Frame2", QStringLiteral("送受信が完了したら切断"), {4380, 285, 2355, 255},
        false);
    row("Label17", "label", "Frame4", QStringLiteral("アカウントの通称"), {420, 510, 1290, 180});
    row("Check4", "check", "Frame4", QStringLiteral("この設定を通常使用するメールアドレスとする"),
        {420, 840, 3795, 255}, false);
    row("Label8", "label", "Frame4", QStringLiteral("複数メールアドレスで使用します"), {5160, 30, 2460, 180});
    row("Label9", "label", "Frame4", QStringLiteral("デフォルトのアカウントにする"), {4260, 870, 2205, 180},
        false);
}

void tst_Kodo::controls()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QString, container);
    QFETCH(QString, caption);
    QFETCH(QRect, twips);
    QFETCH(bool, visible);
    QFETCH(bool, enabled);

    open();
    auto* w = m_dialog->findChild<QWidget*>(name);
    QVERIFY(w);
    QCOMPARE(w->parentWidget()->objectName(), container);

    QString shown;
    if (kind == u"frame") {
        QVERIFY(qobject_cast<QGroupBox*>(w));
        shown = static_cast<QGroupBox*>(w)->title();
    } else if (kind == u"label") {
        QVERIFY(qobject_cast<QLabel*>(w));
        shown = static_cast<QLabel*>(w)->text();
    } else if (kind == u"text") {
        QVERIFY(qobject_cast<QLineEdit*>(w));
    } else if (kind == u"check") {
        QVERIFY(qobject_cast<QCheckBox*>(w));
        shown = static_cast<QCheckBox*>(w)->text();
    } else if (kind == u"option") {
        QVERIFY(qobject_cast<QRadioButton*>(w));
        shown = static_cast<QRadioButton*>(w)->text();
    } else if (kind == u"button") {
        QVERIFY(qobject_cast<QPushButton*>(w));
        shown = static_cast<QPushButton*>(w)->text();
    }
    QCOMPARE(shown, caption);
    // 15 twips to the pixel, rounded.
    const auto px = [](int t) { return qRound(t / 15.0); };
    const QRect designed(px(twips.x()), px(twips.y()), px(twips.width()), px(twips.height()));
    if (auto* label = qobject_cast<QLabel*>(w); label && w->width() > designed.width()) {
        // Only a caption the designed width would cut grows, to the right.
        QCOMPARE(w->pos(), designed.topLeft());
        QCOMPARE(w->height(), designed.height());
        QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) > designed.width() - 2 * label->margin());
    } else {
        QCOMPARE(w->geometry(), designed);
    }
    QCOMPARE(w->isVisibleTo(m_dialog.get()), visible);
    QCOMPARE(w->isEnabled(), enabled);
    if (kind == u"label" || kind == u"frame")
        QCOMPARE(w->focusPolicy(), Qt::NoFocus);
}

void tst_Kodo::textBoxFonts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<qreal>("pointSize");
    for (const char* name :
         {"zPopPort", "zPopWarningSize", "zLineLength", "zReplyMail", "zSmtpPort", "zTitle"})
        QTest::newRow(name) << QString::fromLatin1(name) << 9.75;
    QTest::newRow("zPopStockDays") << QStringLiteral("zPopStockDays") << 9.0;
}

void tst_Kodo::textBoxFonts()
{
    QFETCH(QString, name);
    QFETCH(qreal, pointSize);
    open();
    auto* box = m_dialog->findChild<QLineEdit*>(name);
    QVERIFY(box);
    QCOMPARE(box->font().family(), QStringLiteral("ＭＳ ゴシック"));
    QCOMPARE(box->font().pointSizeF(), pointSize);
    // No length limit: a long title is kept whole.
    QVERIFY(box->maxLength() > 100000);
}

void tst_Kodo::labelColours_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QColor>("colour");
    const QColor darkRed(0xC0, 0, 0);
    for (const char* name : {"Label3", "Label6", "Label17", "Label8", "Label9"})
        QTest::newRow(name) << QString::fromLatin1(name) << darkRed;
    QTest::newRow("Label10 button shadow")
        << QStringLiteral("Label10") << QApplication::palette().color(QPalette::Active, QPalette::Dark);
    QTest::newRow("Label11 grey text")
        << QStringLiteral("Label11")
        << QApplication::palette().color(QPalette::Disabled, QPalette::WindowText);
    QTest::newRow("Label1 ordinary") << QStringLiteral("Label1")
                                     << QApplication::palette().color(QPalette::Active, QPalette::WindowText);
}

void tst_Kodo::labelColours()
{
    QFETCH(QString, name);
    QFETCH(QColor, colour);
    open();
    auto* label = m_dialog->findChild<QLabel*>(name);
    QVERIFY(label);
    QCOMPARE(label->palette().color(QPalette::Active, QPalette::WindowText), colour);
}

void tst_Kodo::focusableControlsHaveAccessibleNames()
{
    open();
    int focusable = 0;
    for (QWidget* w : m_dialog->findChildren<QWidget*>()) {
        if (w->focusPolicy() == Qt::NoFocus || !w->isVisibleTo(m_dialog.get()))
            continue;
        ++focusable;
        QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->objectName()));
    }
    QCOMPARE(focusable, 15);
}

void tst_Kodo::tabOrder_data()
{
    QTest::addColumn<bool>("dependentsOn");
    QTest::addColumn<QStringList>("order");
    QTest::newRow("defaults") << false
                              << QStringList{"zPopPort",  "zLineLength", "zReplyUser", "zSmtpAttestationPop",
                                             "zSmtpPort", "zTitle",      "Command1",   "Command2",
                                             "Command3",  "zPopStock"};
    QTest::newRow("all dependent boxes on") << true
                                            << QStringList{"zPopStockDays",
                                                           "zPopPort",
                                                           "zPopWarningSize",
                                                           "zLineLength",
                                                           "zReplyUser",
                                                           "zReplyMail",
                                                           "zSmtpAttestationPop",
                                                           "zSmtpPort",
                                                           "zTitle",
                                                           "Command1",
                                                           "Command2",
                                                           "Command3",
                                                           "zPopStock"};
}

void tst_Kodo::tabOrder()
{
    QFETCH(bool, dependentsOn);
    QFETCH(QStringList, order);
    if (dependentsOn)
        m_acd.PopStock = m_acd.PopWarning = m_acd.ReplyUser = 1;
    open();
    QCOMPARE(focusName(), QStringLiteral("zPopStock"));
    QStringList seen;
    for (qsizetype i = 0; i < order.size(); ++i) {
        pressOnFocus(Qt::Key_Tab);
        seen << focusName();
    }
    QCOMPARE(seen, order);
}

// ---- Loading ----

void tst_Kodo::titleRule_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("sender");
    QTest::addColumn<QString>("expected");
    QTest::newRow("empty title takes the sender") << ""
                                                  << "山田 太郎"
                                                  << "山田 太郎";
    QTest::newRow("spaces are blank") << "   "
                                      << "山田"
                                      << "山田";
    QTest::newRow("sender copied untrimmed") << ""
                                             << " 山田 "
                                             << " 山田 ";
    QTest::newRow("title kept") << "仕事用"
                                << "山田"
                                << "仕事用";
    QTest::newRow("ideographic space is not blank") << "　"
                                                    << "山田"
                                                    << "　";
    QTest::newRow("no sender either") << ""
                                      << ""
                                      << "";
}

// The rule runs when the dialog loads and stays even when it is cancelled.
void tst_Kodo::titleRule()
{
    QFETCH(QString, title);
    QFETCH(QString, sender);
    QFETCH(QString, expected);
    m_acd.Title = title;
    open(sender);
    QCOMPARE(m_acd.Title, expected);
    QCOMPARE(control<QLineEdit>("zTitle")->text(), expected);
    pressOnFocus(Qt::Key_Escape);
    QVERIFY(!m_dialog->isVisible());
    QCOMPARE(m_dialog->result(), int(QDialog::Rejected));
    QCOMPARE(m_acd.Title, expected);
}

void tst_Kodo::setDataShowsRecord()
{
    m_acd = unusualAccount();
    m_acd.PopStockDays = -7;
    m_acd.LineLength = 2147483647;
    open();
    QCOMPARE(control<QLineEdit>("zTitle")->text(), QStringLiteral("仕事用"));
    QCOMPARE(control<QLineEdit>("zSmtpPort")->text(), QStringLiteral("587"));
    QCOMPARE(control<QLineEdit>("zPopPort")->text(), QStringLiteral("995"));
    QCOMPARE(control<QLineEdit>("zPopStockDays")->text(), QStringLiteral("-7"));
    QCOMPARE(control<QLineEdit>("zPopWarningSize")->text(), QStringLiteral("1024"));
    QCOMPARE(control<QLineEdit>("zLineLength")->text(), QStringLiteral("2147483647"));
    QCOMPARE(control<QLineEdit>("zReplyMail")->text(), QStringLiteral("reply@example.jp"));
    for (const char* name :
         {"zReplyUser", "zPopStock", "zPopWarning", "zSmtpAttestationPop", "zPopAttestation"})
        QVERIFY2(control<QCheckBox>(name)->checkState() == Qt::Checked, name);
}

void tst_Kodo::flagsShown_data()
{
    QTest::addColumn<int>("flag");
    QTest::addColumn<Qt::CheckState>("state");
    QTest::newRow("0") << 0 << Qt::Unchecked;
    QTest::newRow("1") << 1 << Qt::Checked;
    QTest::newRow("2 third state") << 2 << Qt::PartiallyChecked;
    QTest::newRow("3") << 3 << Qt::Checked;
    QTest::newRow("-1") << -1 << Qt::Checked;
    QTest::newRow("int max") << 2147483647 << Qt::Checked;
}

void tst_Kodo::flagsShown()
{
    QFETCH(int, flag);
    QFETCH(Qt::CheckState, state);
    m_acd.ReplyUser = m_acd.SmtpAttestationPop = m_acd.PopStock = m_acd.PopWarning = m_acd.PopAttestation =
        flag;
    open();
    for (const char* name :
         {"zReplyUser", "zPopStock", "zPopWarning", "zSmtpAttestationPop", "zPopAttestation"}) {
        auto* box = control<QCheckBox>(name);
        QVERIFY2(box->checkState() == state, name);
        QCOMPARE(box->isTristate(), state == Qt::PartiallyChecked);
    }
}

void tst_Kodo::dependentBoxes_data()
{
    QTest::addColumn<int>("popStock");
    QTest::addColumn<int>("popWarning");
    QTest::addColumn<int>("replyUser");
    QTest::newRow("all off") << 0 << 0 << 0;
    QTest::newRow("PopStock 1") << 1 << 0 << 0;
    QTest::newRow("PopWarning 1 from a file") << 0 << 1 << 0;
    QTest::newRow("ReplyUser 2 counts as on") << 0 << 0 << 2;
    QTest::newRow("odd values count as on") << -3 << 9 << 1;
}

void tst_Kodo::dependentBoxes()
{
    QFETCH(int, popStock);
    QFETCH(int, popWarning);
    QFETCH(int, replyUser);
    m_acd.PopStock = popStock;
    m_acd.PopWarning = popWarning;
    m_acd.ReplyUser = replyUser;
    const QColor window = QApplication::palette().color(QPalette::Active, QPalette::Base);
    const QColor buttonFace = QApplication::palette().color(QPalette::Active, QPalette::Button);
    QVERIFY(window != buttonFace);

    open();
    const struct {
        const char* box;
        int flag;
    } dependents[] = {
        {"zPopStockDays", popStock}, {"zPopWarningSize", popWarning}, {"zReplyMail", replyUser}};
    for (const auto& d : dependents) {
        auto* box = control<QLineEdit>(d.box);
        QCOMPARE(box->isEnabled(), d.flag != 0);
        QCOMPARE(box->palette().color(QPalette::Base), d.flag != 0 ? window : buttonFace);
    }
    // zPopWarning itself stays out of reach whatever its value.
    QVERIFY(!control<QCheckBox>("zPopWarning")->isEnabled());
    QVERIFY(!control<QCheckBox>("zPopAttestation")->isEnabled());
}

void tst_Kodo::uncheckingPopStockKeepsNumber()
{
    m_acd.PopStock = 1;
    m_acd.PopStockDays = 9;
    const QColor window = QApplication::palette().color(QPalette::Active, QPalette::Base);
    const QColor buttonFace = QApplication::palette().color(QPalette::Active, QPalette::Button);
    open();
    auto* days = control<QLineEdit>("zPopStockDays");
    QVERIFY(days->isEnabled());
    QCOMPARE(days->palette().color(QPalette::Base), window);

    QCOMPARE(focusName(), QStringLiteral("zPopStock"));
    pressOnFocus(Qt::Key_Space);
    QCOMPARE(control<QCheckBox>("zPopStock")->checkState(), Qt::Unchecked);
    QVERIFY(!days->isEnabled());
    QCOMPARE(days->palette().color(QPalette::Base), buttonFace);
    QCOMPARE(days->text(), QStringLiteral("9"));

    pressOnFocus(Qt::Key_Space);
    QVERIFY(days->isEnabled());
    QCOMPARE(days->palette().color(QPalette::Base), window);
    QCOMPARE(days->text(), QStringLiteral("9"));

    // Type a new count, switch the box off again: the disabled count is stored too.
    retype("zPopStockDays", QStringLiteral("12"));
    control<QCheckBox>("zPopStock")->setFocus(Qt::OtherFocusReason);
    pressOnFocus(Qt::Key_Space);
    QVERIFY(!days->isEnabled());
    pressOk();
    QVERIFY(!m_dialog->isVisible());
    QCOMPARE(m_acd.PopStock, 0);
    QCOMPARE(m_acd.PopStockDays, 12);
}

// ---- OK ----

void tst_Kodo::okWithoutChanges()
{
    Acd before = unusualAccount();
    before.Title.clear();
    m_acd = before;
    open(QStringLiteral("山田"));
    pressOk();
    QVERIFY(!m_dialog->isVisible());
    QCOMPARE(m_dialog->result(), int(QDialog::Accepted));
    Acd expected = before;
    expected.Title = QStringLiteral("山田");
    QVERIFY(m_acd == expected);

    // And with the record at its defaults.
    defaultAcd(m_acd);
    open(QString());
    pressOk();
    Acd defaults;
    QVERIFY(m_acd == defaults);
}

void tst_Kodo::okConvertsNumbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");
    QTest::newRow("500, no range check") << "500" << 500;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("76abc") << "76abc" << 76;
    QTest::newRow("&H4C") << "&H4C" << 76;
    QTest::newRow("&O114") << "&O114" << 76;
    QTest::newRow("30.5 ties to even") << "30.5" << 30;
    QTest::newRow("31.5 ties to even") << "31.5" << 32;
    QTest::newRow("spaces around") << "  110  " << 110;
    QTest::newRow("blanks between digits") << "5 8 7" << 587;
    QTest::newRow("abc") << "abc" << 0;
    QTest::newRow("negative") << "-5" << -5;
    QTest::newRow("largest") << "2147483647" << 2147483647;
    QTest::newRow("smallest") << "-2147483648" << int(-2147483648LL);
}

void tst_Kodo::okConvertsNumbers()
{
    QFETCH(QString, text);
    QFETCH(int, expected);
    open();
    retype("zLineLength", text);
    pressOk();
    QVERIFY(!m_dialog->isVisible());
    QCOMPARE(m_acd.LineLength, expected);
}

void tst_Kodo::okStoresEveryNumberField_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("field");
    QTest::newRow("zSmtpPort") << "zSmtpPort"
                               << "SmtpPort";
    QTest::newRow("zPopPort") << "zPopPort"
                              << "PopPort";
    QTest::newRow("zPopStockDays") << "zPopStockDays"
                                   << "PopStockDays";
    QTest::newRow("zPopWarningSize") << "zPopWarningSize"
                                     << "PopWarningSize";
    QTest::newRow("zLineLength") << "zLineLength"
                                 << "LineLength";
}

// Each box reaches its own field and no other.
void tst_Kodo::okStoresEveryNumberField()
{
    QFETCH(QString, box);
    QFETCH(QString, field);
    m_acd.PopStock = m_acd.PopWarning = 1;
    const Acd before = m_acd;
    open();
    retype(box.toLatin1().constData(), QStringLiteral(" 4 321xyz"));
    pressOk();
    QVERIFY(!m_dialog->isVisible());
    Acd expected = before;
    *intField(expected, field) = 4321;
    QCOMPARE(*intField(m_acd, field), 4321);
    QVERIFY(m_acd == expected);
}

void tst_Kodo::okStoresTextsUnchanged()
{
    m_acd.ReplyUser = 1;
    open(QStringLiteral("山田"));
    retype("zTitle", QStringLiteral("  home  "));
    retype("zReplyMail", QStringLiteral(" me@example.jp "));
    pressOk();
    QCOMPARE(m_acd.Title, QStringLiteral("  home  "));
    QCOMPARE(m_acd.ReplyMail, QStringLiteral(" me@example.jp "));

    // An emptied title stays empty: the Title rule runs only on opening.
    open(QStringLiteral("山田"));
    retype("zTitle", QString());
    pressOk();
    QCOMPARE(m_acd.Title, QString());
}

void tst_Kodo::okStoresFlags_data()
{
    QTest::addColumn<int>("loaded");
    QTest::addColumn<int>("spaces");
    QTest::addColumn<int>("stored");
    QTest::newRow("0 untouched") << 0 << 0 << 0;
    QTest::newRow("1 untouched") << 1 << 0 << 1;
    QTest::newRow("2 untouched keeps 2") << 2 << 0 << 2;
    QTest::newRow("7 untouched keeps 7") << 7 << 0 << 7;
    QTest::newRow("-1 untouched keeps -1") << -1 << 0 << -1;
    QTest::newRow("0 checked") << 0 << 1 << 1;
    QTest::newRow("1 unchecked") << 1 << 1 << 0;
    QTest::newRow("2 clicked becomes checked") << 2 << 1 << 1;
    QTest::newRow("2 clicked twice unchecked") << 2 << 2 << 0;
    QTest::newRow("2 clicked three times checked") << 2 << 3 << 1;
    QTest::newRow("7 unchecked") << 7 << 1 << 0;
    QTest::newRow("7 back to checked") << 7 << 2 << 7;
}

void tst_Kodo::okStoresFlags()
{
    QFETCH(int, loaded);
    QFETCH(int, spaces);
    QFETCH(int, stored);
    const char* boxes[] = {"zPopStock", "zReplyUser", "zSmtpAttestationPop"};
    const QString fields[] = {QStringLiteral("PopStock"), QStringLiteral("ReplyUser"),
                              QStringLiteral("SmtpAttestationPop")};
    for (int which = 0; which < 3; ++which) {
        defaultAcd(m_acd);
        *intField(m_acd, fields[which]) = loaded;
        open();
        auto* box = control<QCheckBox>(boxes[which]);
        box->setFocus(Qt::OtherFocusReason);
        QTRY_VERIFY(box->hasFocus());
        for (int i = 0; i < spaces; ++i)
            pressOnFocus(Qt::Key_Space);
        // Once changed by the user, the box has two states only.
        if (spaces > 0)
            QVERIFY(!box->isTristate());
        pressOk();
        QVERIFY(!m_dialog->isVisible());
        QVERIFY2(*intField(m_acd, fields[which]) == stored, boxes[which]);
    }
}

void tst_Kodo::okKeepsFlagsOfDisabledBoxes_data()
{
    QTest::addColumn<int>("flag");
    for (int flag : {0, 1, 2, 5, -1})
        QTest::newRow(qPrintable(QString::number(flag))) << flag;
}

void tst_Kodo::okKeepsFlagsOfDisabledBoxes()
{
    QFETCH(int, flag);
    m_acd.PopWarning = flag;
    m_acd.PopAttestation = flag;
    open();
    pressOk();
    QCOMPARE(m_acd.PopWarning, flag);
    QCOMPARE(m_acd.PopAttestation, flag);
}

void tst_Kodo::okRefusesNumberOutOfRange_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("switchOff"); // type, then switch the box's check box off
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QString>("spoken");
    QTest::newRow("zPopPort") << "zPopPort"
                              << "99999999999" << false << "zPopPort"
                              << QStringLiteral("受信サーバのポート番号は") + Sep + "99999999999";
    QTest::newRow("zSmtpPort just below int")
        << "zSmtpPort"
        << "-2147483649" << false << "zSmtpPort"
        << QStringLiteral("送信サーバのポート番号は") + Sep + "-2147483649";
    QTest::newRow("zLineLength just above int")
        << "zLineLength"
        << "2147483648" << false << "zLineLength" << QStringLiteral("１行の文字数は") + Sep + "2147483648";
    QTest::newRow("zLineLength exponent")
        << "zLineLength"
        << "1e10" << false << "zLineLength" << QStringLiteral("１行の文字数は") + Sep + "1e10";
    QTest::newRow("zPopStockDays") << "zPopStockDays"
                                   << "5000000000" << false << "zPopStockDays"
                                   << QStringLiteral("サーバに残す日数は") + Sep + "5000000000";
    QTest::newRow("zPopStockDays switched off")
        << "zPopStockDays"
        << "5000000000" << true << "zPopStock" << QStringLiteral("サーバに残す日数は") + Sep + "5000000000";
    QTest::newRow("zPopWarningSize, silent on focus")
        << "zPopWarningSize"
        << "3000000000" << false << "zPopWarningSize"
        << QStringLiteral("警告するバイト数は") + Sep + "3000000000";
}

// A number the record cannot hold: the OK is refused, the faulty field is
// named (and has the focus where it can take it), nothing is stored.
void tst_Kodo::okRefusesNumberOutOfRange()
{
    QFETCH(QString, box);
    QFETCH(QString, text);
    QFETCH(bool, switchOff);
    QFETCH(QString, focus);
    QFETCH(QString, spoken);
    m_acd.PopStock = m_acd.PopWarning = 1;
    m_acd.Title = QStringLiteral("t");
    open();
    retype(box.toLatin1().constData(), text);
    retype("zTitle", QStringLiteral("changed"));
    if (switchOff) {
        control<QCheckBox>("zPopStock")->setFocus(Qt::OtherFocusReason);
        pressOnFocus(Qt::Key_Space);
        QVERIFY(!control<QLineEdit>("zPopStockDays")->isEnabled());
    }
    const Acd before = m_acd;
    control<QPushButton>("Command1")->setFocus(Qt::OtherFocusReason);
    QTRY_COMPARE(focusName(), QStringLiteral("Command1"));
    m_log->clear();
    pressOnFocus(Qt::Key_Return);

    QVERIFY(m_dialog->isVisible());
    QVERIFY(m_acd == before);
    QCOMPARE(focusName(), focus);
    QCOMPARE(m_log->calls, QStringList({QStringLiteral("Interrupt"), QStringLiteral("Speak:") + spoken}));
    if (auto* field = qobject_cast<QLineEdit*>(QApplication::focusWidget())) {
        QCOMPARE(field->cursorPosition(), 0);
        QVERIFY(!field->hasSelectedText());
    }

    // Corrected, the OK goes through.
    if (switchOff)
        pressOnFocus(Qt::Key_Space);
    retype(box.toLatin1().constData(), QStringLiteral("42"));
    pressOk();
    QVERIFY(!m_dialog->isVisible());
    QCOMPARE(m_acd.Title, QStringLiteral("changed"));
}

void tst_Kodo::okRefusalPointsAtFirstFaultInTabOrder()
{
    open();
    retype("zSmtpPort", QStringLiteral("99999999999"));
    retype("zPopPort", QStringLiteral("99999999999"));
    const Acd before = m_acd;
    pressOk();
    QVERIFY(m_dialog->isVisible());
    QCOMPARE(focusName(), QStringLiteral("zPopPort"));
    QVERIFY(m_acd == before);
}

// ---- Cancel and restore defaults ----

void tst_Kodo::cancelStoresNothing_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("click Command2") << "click";
    QTest::newRow("Enter on Command2") << "enter";
    QTest::newRow("Space on Command2") << "space";
    QTest::newRow("Esc in a text box") << "escText";
    QTest::newRow("Esc on a check box") << "escCheck";
    QTest::newRow("close box") << "close";
}

void tst_Kodo::cancelStoresNothing()
{
    QFETCH(QString, how);
    m_acd = unusualAccount();
    const Acd before = m_acd;
    open();
    retype("zSmtpPort", QStringLiteral("2525"));
    retype("zTitle", QStringLiteral("別名"));
    control<QCheckBox>("zReplyUser")->setFocus(Qt::OtherFocusReason);
    pressOnFocus(Qt::Key_Space);

    auto* cancel = control<QPushButton>("Command2");
    if (how == u"click") {
        QTest::mouseClick(cancel, Qt::LeftButton);
    } else if (how == u"enter" || how == u"space") {
        cancel->setFocus(Qt::OtherFocusReason);
        pressOnFocus(how == u"enter" ? Qt::Key_Return : Qt::Key_Space);
    } else if (how == u"escText") {
        control<QLineEdit>("zSmtpPort")->setFocus(Qt::OtherFocusReason);
        pressOnFocus(Qt::Key_Escape);
    } else if (how == u"escCheck") {
        pressOnFocus(Qt::Key_Escape);
    } else {
        m_dialog->close();
    }
    QVERIFY(!m_dialog->isVisible());
    QCOMPARE(m_dialog->result(), int(QDialog::Rejected));
    QVERIFY(m_acd == before);
}

void tst_Kodo::restoreDefaultsThenCancel()
{
    m_acd = unusualAccount();
    const Acd before = m_acd;
    open();
    auto* restore = control<QPushButton>("Command3");
    restore->setFocus(Qt::OtherFocusReason);
    QTRY_VERIFY(restore->hasFocus());
    pressOnFocus(Qt::Key_Return);
    QVERIFY(m_dialog->isVisible());
    QVERIFY(restore->hasFocus());

    Acd expected;
    defaultAcd(expected);
    // The record's own fields and a non-blank Title are not defaults of the dialog.
    expected.Title = before.Title;
    expected.Smtp = before.Smtp;
    expected.Pop = before.Pop;
    expected.PopUser = before.PopUser;
    expected.Poppass = before.Poppass;
    expected.FromName = before.FromName;
    expected.FromMail = before.FromMail;
    QVERIFY(m_acd == expected);
    QCOMPARE(control<QLineEdit>("zSmtpPort")->text(), QStringLiteral("25"));
    QCOMPARE(control<QLineEdit>("zPopStockDays")->text(), QStringLiteral("3"));
    QVERIFY(!control<QLineEdit>("zPopStockDays")->isEnabled());
    QVERIFY(!control<QLineEdit>("zReplyMail")->isEnabled());
    QCOMPARE(control<QLineEdit>("zReplyMail")->text(), QString());
    QCOMPARE(control<QCheckBox>("zPopWarning")->checkState(), Qt::Unchecked);

    pressOnFocus(Qt::Key_Escape);
    QVERIFY(!m_dialog->isVisible());
    QVERIFY(m_acd == expected);
}

void tst_Kodo::restoreDefaultsThenOk()
{
    m_acd = unusualAccount();
    m_acd.ReplyUser = 2;
    m_acd.PopWarning = 5;
    open();
    QTest::mouseClick(control<QPushButton>("Command3"), Qt::LeftButton);
    pressOk();
    QVERIFY(!m_dialog->isVisible());
    // The flags loaded before the reset are gone: OK stores what the boxes show.
    QCOMPARE(m_acd.ReplyUser, 0);
    QCOMPARE(m_acd.PopWarning, 0);
    QCOMPARE(m_acd.SmtpPort, 25);
    QCOMPARE(m_acd.Title, QStringLiteral("仕事用"));
}

// ---- Keyboard ----

void tst_Kodo::enterMovesOn_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<int>("flags"); // PopStock, PopWarning and ReplyUser
    QTest::addColumn<QString>("to");
    QTest::newRow("zPopStock, days off") << "zPopStock" << 0 << "zPopPort";
    QTest::newRow("zPopStock, days on") << "zPopStock" << 1 << "zPopStockDays";
    QTest::newRow("zPopStockDays") << "zPopStockDays" << 1 << "zPopPort";
    QTest::newRow("zPopPort") << "zPopPort" << 0 << "zLineLength";
    QTest::newRow("zPopPort, warning size on") << "zPopPort" << 1 << "zPopWarningSize";
    QTest::newRow("zLineLength") << "zLineLength" << 0 << "zReplyUser";
    QTest::newRow("zReplyUser, reply mail on") << "zReplyUser" << 1 << "zReplyMail";
    QTest::newRow("zReplyUser, reply mail off") << "zReplyUser" << 0 << "zSmtpAttestationPop";
    QTest::newRow("zReplyMail") << "zReplyMail" << 1 << "zSmtpAttestationPop";
    QTest::newRow("zSmtpAttestationPop") << "zSmtpAttestationPop" << 0 << "zSmtpPort";
    QTest::newRow("zSmtpPort") << "zSmtpPort" << 0 << "zTitle";
    QTest::newRow("zTitle") << "zTitle" << 0 << "Command1";
}

// Enter is swallowed (a check box does not change, a text keeps its content,
// no button is pressed) and the focus moves on like Tab.
void tst_Kodo::enterMovesOn()
{
    QFETCH(QString, from);
    QFETCH(int, flags);
    QFETCH(QString, to);
    m_acd.PopStock = m_acd.PopWarning = m_acd.ReplyUser = flags;
    m_acd.Title = QStringLiteral("t");
    const Acd before = m_acd;
    open();
    auto* w = m_dialog->findChild<QWidget*>(from);
    w->setFocus(Qt::OtherFocusReason);
    QTRY_COMPARE(focusName(), from);
    auto* check = qobject_cast<QCheckBox*>(w);
    const Qt::CheckState state = check ? check->checkState() : Qt::Unchecked;
    auto* text = qobject_cast<QLineEdit*>(w);
    const QString content = text ? text->text() : QString();

    pressOnFocus(Qt::Key_Return);
    QTRY_COMPARE(focusName(), to);
    if (check)
        QCOMPARE(check->checkState(), state);
    if (text)
        QCOMPARE(text->text(), content);
    QVERIFY(m_dialog->isVisible());
    QVERIFY(m_acd == before);

    // The keypad's Enter does the same.
    w->setFocus(Qt::OtherFocusReason);
    QTRY_COMPARE(focusName(), from);
    pressOnFocus(Qt::Key_Enter, Qt::KeypadModifier);
    QTRY_COMPARE(focusName(), to);
}

void tst_Kodo::enterInPopWarningSizeDoesNothing()
{
    m_acd.PopWarning = 1;
    const Acd before = m_acd;
    open();
    auto* size = control<QLineEdit>("zPopWarningSize");
    size->setFocus(Qt::OtherFocusReason);
    QTRY_VERIFY(size->hasFocus());
    m_log->clear();
    pressOnFocus(Qt::Key_Return);
    QTest::qWait(50);
    QCOMPARE(focusName(), QStringLiteral("zPopWarningSize"));
    QVERIFY(m_dialog->isVisible());
    QVERIFY(m_acd == before);
    QCOMPARE(m_log->calls, QStringList());
}

void tst_Kodo::enterInTextBoxPressesNoButton()
{
    m_acd = unusualAccount();
    const Acd before = m_acd;
    open();
    // Every button of the dialog would leave a trace: OK and cancel close it,
    // restore defaults changes the record.
    auto* size = control<QLineEdit>("zPopWarningSize");
    size->setFocus(Qt::OtherFocusReason);
    QTRY_VERIFY(size->hasFocus());
    pressOnFocus(Qt::Key_Return);
    QTest::qWait(50);
    QVERIFY(m_dialog->isVisible());
    QVERIFY(m_acd == before);
    QCOMPARE(control<QLineEdit>("zSmtpPort")->text(), QStringLiteral("587"));
}

void tst_Kodo::buttonsByKey_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("outcome");
    for (const auto& [name, key] :
         {std::pair{"Return", int(Qt::Key_Return)}, std::pair{"Space", int(Qt::Key_Space)},
          std::pair{"keypad Enter", int(Qt::Key_Enter)}}) {
        QTest::newRow(qPrintable(QStringLiteral("Command1 ") + name)) << "Command1" << key << "stored";
        QTest::newRow(qPrintable(QStringLiteral("Command2 ") + name)) << "Command2" << key << "cancelled";
        QTest::newRow(qPrintable(QStringLiteral("Command3 ") + name)) << "Command3" << key << "defaults";
    }
}

void tst_Kodo::buttonsByKey()
{
    QFETCH(QString, button);
    QFETCH(int, key);
    QFETCH(QString, outcome);
    m_acd = unusualAccount();
    open();
    retype("zPopPort", QStringLiteral("1110"));
    auto* b = m_dialog->findChild<QPushButton*>(button);
    b->setFocus(Qt::OtherFocusReason);
    QTRY_VERIFY(b->hasFocus());
    pressOnFocus(Qt::Key(key), key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
    if (outcome == u"stored") {
        QVERIFY(!m_dialog->isVisible());
        QCOMPARE(m_acd.PopPort, 1110);
    } else if (outcome == u"cancelled") {
        QVERIFY(!m_dialog->isVisible());
        QCOMPARE(m_acd.PopPort, 995);
    } else {
        QVERIFY(m_dialog->isVisible());
        QCOMPARE(m_acd.PopPort, 110);
        QCOMPARE(control<QLineEdit>("zPopPort")->text(), QStringLiteral("110"));
    }
}

// ---- Speech ----

void tst_Kodo::openingSpeaksNothing()
{
    m_acd = unusualAccount();
    open();
    QCOMPARE(focusName(), QStringLiteral("zPopStock"));
    QTest::qWait(20);
    QCOMPARE(m_log->calls, QStringList());
}

void tst_Kodo::announcements_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("text"); // typed into the target first; "-" leaves it as loaded
    QTest::addColumn<QStringList>("calls");

    const auto speak = [](const QString& s) {
        return QStringList{QStringLiteral("Interrupt"), QStringLiteral("Speak:") + s};
    };
    QTest::newRow("zPopStockDays") << "zPopStock" << int(Qt::Key_Tab) << "zPopStockDays"
                                   << "-" << speak(QStringLiteral("サーバに残す日数は") + Sep + "14");
    QTest::newRow("zPopPort") << "zPopStockDays" << int(Qt::Key_Tab) << "zPopPort"
                              << "-" << speak(QStringLiteral("受信サーバのポート番号は") + Sep + "995");
    QTest::newRow("zLineLength") << "zPopWarningSize" << int(Qt::Key_Tab) << "zLineLength"
                                 << "-" << speak(QStringLiteral("１行の文字数は") + Sep + "72");
    QTest::newRow("zReplyMail") << "zReplyUser" << int(Qt::Key_Tab) << "zReplyMail"
                                << "-"
                                << speak(QStringLiteral("返信先アドレスは") + Sep + "reply@example.jp");
    QTest::newRow("zReplyMail empty") << "zReplyUser" << int(Qt::Key_Tab) << "zReplyMail"
                                      << "" << speak(QStringLiteral("返信先アドレスは") + Sep + "未登録");
    QTest::newRow("zReplyMail spaces") << "zReplyUser" << int(Qt::Key_Tab) << "zReplyMail"
                                       << "  " << speak(QStringLiteral("返信先アドレスは") + Sep + "  ");
    QTest::newRow("zSmtpPort") << "zSmtpAttestationPop" << int(Qt::Key_Tab) << "zSmtpPort"
                               << "-" << speak(QStringLiteral("送信サーバのポート番号は") + Sep + "587");
    QTest::newRow("zTitle") << "zSmtpPort" << int(Qt::Key_Tab) << "zTitle"
                            << "-"
                            << speak(QStringLiteral("このアカウント設定につける名前は") + Sep + "仕事用");
    QTest::newRow("zTitle by Enter") << "zSmtpPort" << int(Qt::Key_Return) << "zTitle"
                                     << "-"
                                     << speak(QStringLiteral("このアカウント設定につける名前は") + Sep +
                                              "仕事用");
    QTest::newRow("Command1") << "zTitle" << int(Qt::Key_Tab) << "Command1"
                              << "-"
                              << speak(QStringLiteral("OKのプッシュボタン") + Sep +
                                       "Enterは設定して閉じる Tabは次へ");
    QTest::newRow("Command2") << "Command1" << int(Qt::Key_Tab) << "Command2"
                              << "-"
                              << speak(QStringLiteral("キャンセルのプッシュボタン") + Sep +
                                       "Enterはキャンセル Tabは次へ");
    QTest::newRow("Command3") << "Command2" << int(Qt::Key_Tab) << "Command3"
                              << "-"
                              << speak(QStringLiteral("規定値に戻すのプッシュボタン") + Sep +
                                       "Enterは規定値 Tabは次へ");
    QTest::newRow("zPopStock silent") << "Command3" << int(Qt::Key_Tab) << "zPopStock"
                                      << "-" << QStringList();
    QTest::newRow("zReplyUser silent") << "zLineLength" << int(Qt::Key_Tab) << "zReplyUser"
                                       << "-" << QStringList();
    QTest::newRow("zSmtpAttestationPop silent") << "zReplyMail" << int(Qt::Key_Tab) << "zSmtpAttestationPop"
                                                << "-" << QStringList();
    QTest::newRow("zPopWarningSize silent") << "zPopPort" << int(Qt::Key_Tab) << "zPopWarningSize"
                                            << "-" << QStringList();
}

// Each control reached by a key says exactly this, and a text box shows its
// caret at the start with nothing selected.
void tst_Kodo::announcements()
{
    QFETCH(QString, from);
    QFETCH(int, key);
    QFETCH(QString, target);
    QFETCH(QString, text);
    QFETCH(QStringList, calls);
    m_acd = unusualAccount();
    open();
    if (text != u"-")
        retype(target.toLatin1().constData(), text);
    auto* start = m_dialog->findChild<QWidget*>(from);
    start->setFocus(Qt::OtherFocusReason);
    QTRY_COMPARE(focusName(), from);
    m_log->clear();
    pressOnFocus(Qt::Key(key));
    QTRY_COMPARE(focusName(), target);
    QCOMPARE(m_log->calls, calls);
    if (auto* box = qobject_cast<QLineEdit*>(QApplication::focusWidget())) {
        QVERIFY(!box->hasSelectedText());
        QCOMPARE(box->cursorPosition(), 0);
        // The field itself is not changed by the "未登録" of its announcement.
        if (text != u"-")
            QCOMPARE(box->text(), text);
    }
}

void tst_Kodo::caretAtStartOnBacktab()
{
    m_acd = unusualAccount();
    open();
    auto* title = control<QLineEdit>("zTitle");
    title->setFocus(Qt::OtherFocusReason);
    QTRY_VERIFY(title->hasFocus());
    QTest::keyClick(title, Qt::Key_End);
    pressOnFocus(Qt::Key_Backtab, Qt::ShiftModifier);
    QTRY_COMPARE(focusName(), QStringLiteral("zSmtpPort"));
    auto* port = control<QLineEdit>("zSmtpPort");
    QVERIFY(!port->hasSelectedText());
    QCOMPARE(port->cursorPosition(), 0);
    pressOnFocus(Qt::Key_Tab);
    QTRY_VERIFY(title->hasFocus());
    QVERIFY(!title->hasSelectedText());
    QCOMPARE(title->cursorPosition(), 0);
}

// Back from another window the text box says itself again, and the caret
// stays where the user had put it.
void tst_Kodo::comingBackKeepsTheCaret()
{
    m_acd = unusualAccount();
    open();
    auto* title = control<QLineEdit>("zTitle");
    title->setFocus(Qt::OtherFocusReason);
    QTRY_VERIFY(title->hasFocus());
    QTest::keyClick(title, Qt::Key_End);
    const int caret = title->cursorPosition();
    QVERIFY(caret > 0);
    m_log->clear();
    {
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
    }
    m_dialog->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_dialog.get()));
    QTRY_COMPARE(m_log->calls.size(), 2);
    QCOMPARE(m_log->calls.at(1), QStringLiteral("Speak:このアカウント設定につける名前は") + QChar(0xF8F2) + title->text());
    QCOMPARE(title->cursorPosition(), caret);
}

// ---- Modal opening ----

void tst_Kodo::showModalBuildsAfreshAndCentres()
{
    QWidget mainWindow;
    mainWindow.setGeometry(100, 80, 600, 450);
    mainWindow.show();
    QVERIFY(QTest::qWaitForWindowExposed(&mainWindow));
    m_acd.Title.clear();

    QPointer<QWidget> first;
    bool centred = false;
    bool modal = false;
    QString portShown;
    {
        ModalHelper helper([&](QWidget* dialog) {
            first = dialog;
            modal = dialog->isModal();
            centred =
                (dialog->geometry().center() - mainWindow.frameGeometry().center()).manhattanLength() <= 2;
            portShown = dialog->findChild<QLineEdit*>(QStringLiteral("zSmtpPort"))->text();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        });
        Kodo::showModal(m_acd, *m_speech, QStringLiteral("山田"), &mainWindow);
        QVERIFY(helper.ran());
        QVERIFY(!helper.forcedClose());
    }
    QVERIFY(modal);
    QVERIFY(centred);
    QCOMPARE(portShown, QStringLiteral("25"));
    QVERIFY(first.isNull()); // discarded on closing
    QCOMPARE(m_acd.Title, QStringLiteral("山田"));

    // The second opening is a new dialog that shows the record as it is now,
    // and its OK stores into the record.
    m_acd.SmtpPort = 2525;
    {
        ModalHelper helper([&](QWidget* dialog) {
            portShown = dialog->findChild<QLineEdit*>(QStringLiteral("zSmtpPort"))->text();
            auto* box = dialog->findChild<QLineEdit*>(QStringLiteral("zPopPort"));
            box->setFocus(Qt::OtherFocusReason);
            box->selectAll();
            QTest::keyClicks(box, QStringLiteral("995"));
            auto* ok = dialog->findChild<QPushButton*>(QStringLiteral("Command1"));
            ok->setFocus(Qt::OtherFocusReason);
            QTest::keyClick(ok, Qt::Key_Return);
        });
        Kodo::showModal(m_acd, *m_speech, QStringLiteral("山田"), &mainWindow);
        QVERIFY(helper.ran());
        QVERIFY(!helper.forcedClose());
        QVERIFY(helper.dialog() == nullptr);
    }
    QCOMPARE(portShown, QStringLiteral("2525"));
    QCOMPARE(m_acd.PopPort, 995);
}

QTEST_MAIN(tst_Kodo)
#include "tst_kodo.moc"
