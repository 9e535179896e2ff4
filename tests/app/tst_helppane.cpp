// The field help pane: how it opens, follows the focus and closes.

#include "AppFixture.h"
#include "WindowControls.h"
#include "app/FormSupport.h"
#include "app/HelpTexts.h"
#include "ui/ClickableLabel.h"

#include <QApplication>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString Sep(QChar(0xF8F2));
const QString HelpTitle = u"Speak:詳細ヘルプウインド"_s;

struct FieldRow {
    const char* field;
    const char* caption;
    QString label;
    QString (*text)();
    QString firstWords; // how its help begins, so no two fields share a text
};

const FieldRow Fields[] = {
    {"txtName", "lblName0", u"差出人の名前は"_s, txtNameHelpText, u"【差出人の名前】"_s},
    {"txtAddress", "lblAddress0", u"メールアドレスは"_s, txtAddressHelpText, u"【メールアドレス】"_s},
    {"txtPOP", "lblPOP0", u"ポップ受信サーバーは"_s, txtPOPHelpText, u"【POPサーバー】"_s},
    {"txtSMTP", "lblSMTP0", u"SMTP送信サーバーは"_s, txtSMTPHelpText, u"【SMTPサーバー】"_s},
    {"txtID", "lblID0", u"メールIDまたは、ポップアカウントは"_s, txtIDHelpText, u"【メールID】"_s},
    {"txtPW", "lblPW0", u"メールパスワードは"_s, txtPWHelpText, u"【メールパスワード】"_s},
};

QStringList fieldSaid(const QString& label, const QString& text = QString())
{
    return {u"Interrupt"_s, u"Speak:"_s + label + Sep + (text.isEmpty() ? u"未登録"_s : text)};
}

} // namespace

class tst_HelpPane : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void f1OpensPaneOnField_data();
    void f1OpensPaneOnField();
    void f1OnlyOnRelease();
    void f1WhileOpenKeepsFocus();
    void captionClickShowsHelpBesideField_data();
    void captionClickShowsHelpBesideField();
    void focusFollowsFields();
    void tabSkipsCoveredArea();
    void escInPaneCloses();
    void closeButton_data();
    void closeButton();
    void closeKeyLeavesTheFieldFirst_data();
    void closeKeyLeavesTheFieldFirst();
    void escElsewhereKeepsPaneOpen_data();
    void escElsewhereKeepsPaneOpen();
    void reenteringPaneAnnouncesIt();
    void typedTextIsReplaced();
    void f1HintClickHelpsFocusedField();
    void closeBeforeAnyFieldWasLeft();
    void worksWithoutSpeech();

private:
    void openWithF1(const char* field);
    void verifyClosedOn(const QString& field, const QStringList& expectedCalls);
    std::unique_ptr<AppFixture> m_app;
    FormSupport* f = nullptr;
    WindowControls ui() const { return WindowControls(f); }
};

void tst_HelpPane::init()
{
    m_app = std::make_unique<AppFixture>();
    QVERIFY(m_app->start());
    f = &m_app->form();
    m_app->clearCalls();
}

void tst_HelpPane::cleanup()
{
    f = nullptr;
    m_app.reset();
}

void tst_HelpPane::openWithF1(const char* field)
{
    m_app->focusAndForget(f->findChild<QWidget*>(QString::fromLatin1(field)));
    AppFixture::key(Qt::Key_F1);
    QTRY_COMPARE(AppFixture::focusName(), u"txtHelp"_s);
    m_app->clearCalls();
}

void tst_HelpPane::verifyClosedOn(const QString& field, const QStringList& expectedCalls)
{
    QTRY_VERIFY(ui().pane("txtHelp")->isHidden());
    QVERIFY(ui().button("Command6")->isHidden());
    QCOMPARE(AppFixture::focusName(), field);
    QCOMPARE(m_app->calls(), expectedCalls);
}

void tst_HelpPane::f1OpensPaneOnField_data()
{
    QTest::addColumn<int>("row");
    for (int i = 0; i < 6; ++i)
        QTest::newRow(Fields[i].field) << i;
}

void tst_HelpPane::f1OpensPaneOnField()
{
    QFETCH(int, row);
    const FieldRow& r = Fields[row];
    m_app->focusAndForget(f->findChild<QWidget*>(QString::fromLatin1(r.field)));
    AppFixture::key(Qt::Key_F1);
    QTRY_COMPARE(AppFixture::focusName(), u"txtHelp"_s);
    QVERIFY(!ui().pane("txtHelp")->isHidden());
    QVERIFY(!ui().button("Command6")->isHidden());
    QCOMPARE(ui().paneText("txtHelp"), r.text());
    QVERIFY(ui().paneText("txtHelp").startsWith(r.firstWords));
    QCOMPARE(ui().pane("txtHelp")->toPlainText(), QString(r.text()).replace(u"\r\n"_s, u"\n"_s));
    // The pane's title only, without cutting off what was being said.
    QCOMPARE(m_app->calls(), QStringList{HelpTitle});
    QCOMPARE(ui().lastField()->objectName(), QString::fromLatin1(r.field));
}

void tst_HelpPane::f1OnlyOnRelease()
{
    m_app->focusAndForget(ui().edit("txtPOP"));
    QTest::keyPress(ui().edit("txtPOP"), Qt::Key_F1);
    AppFixture::settle();
    QVERIFY(ui().pane("txtHelp")->isHidden());
    QTest::keyRelease(ui().edit("txtPOP"), Qt::Key_F1);
    QTRY_COMPARE(AppFixture::focusName(), u"txtHelp"_s);
}

void tst_HelpPane::f1WhileOpenKeepsFocus()
{
    openWithF1("txtPW");
    QTest::mouseClick(ui().edit("txtID"), Qt::LeftButton);
    QTRY_COMPARE(AppFixture::focusName(), u"txtID"_s);
    QCOMPARE(ui().paneText("txtHelp"), txtIDHelpText());
    m_app->clearCalls();
    ui().pane("txtHelp")->setPlainText(u"something else"_s);
    AppFixture::key(Qt::Key_F1);
    AppFixture::settle();
    QCOMPARE(AppFixture::focusName(), u"txtID"_s);
    QCOMPARE(ui().paneText("txtHelp"), txtIDHelpText());
    QVERIFY(m_app->calls().isEmpty());
}

void tst_HelpPane::captionClickShowsHelpBesideField_data()
{
    f1OpensPaneOnField_data();
}

void tst_HelpPane::captionClickShowsHelpBesideField()
{
    QFETCH(int, row);
    const FieldRow& r = Fields[row];
    m_app->focusAndForget(ui().button("Command2"));
    QTest::mouseClick(f->findChild<QWidget*>(QString::fromLatin1(r.caption)), Qt::LeftButton);
    QTRY_COMPARE(AppFixture::focusName(), QString::fromLatin1(r.field));
    AppFixture::settle();
    QVERIFY(!ui().pane("txtHelp")->isHidden());
    QVERIFY(!ui().button("Command6")->isHidden());
    QCOMPARE(ui().paneText("txtHelp"), r.text());
    QCOMPARE(AppFixture::focusName(), QString::fromLatin1(r.field));
    QCOMPARE(m_app->calls(), fieldSaid(r.label));
}

void tst_HelpPane::focusFollowsFields()
{
    openWithF1("txtName");
    AppFixture::key(Qt::Key_Tab);
    QTRY_COMPARE(AppFixture::focusName(), u"Command6"_s);
    QVERIFY(m_app->calls().isEmpty()); // the close button has no announcement
    AppFixture::key(Qt::Key_Tab);
    QTRY_COMPARE(AppFixture::focusName(), u"txtName"_s);
    QCOMPARE(ui().paneText("txtHelp"), txtNameHelpText());
    m_app->clearCalls();
    ui().edit("txtAddress")->setText(u"a@b.jp"_s);
    AppFixture::key(Qt::Key_Tab);
    QTRY_COMPARE(AppFixture::focusName(), u"txtAddress"_s);
    QCOMPARE(ui().paneText("txtHelp"), txtAddressHelpText());
    QCOMPARE(m_app->calls(), fieldSaid(u"メールアドレスは"_s, u"a@b.jp"_s));
    // Buttons and lists leave the pane as it is.
    AppFixture::key(Qt::Key_Tab);
    QTRY_COMPARE(AppFixture::focusName(), u"Command4"_s);
    QVERIFY(!ui().pane("txtHelp")->isHidden());
    QCOMPARE(ui().paneText("txtHelp"), txtAddressHelpText());
}

void tst_HelpPane::tabSkipsCoveredArea()
{
    openWithF1("txtSMTP");
    m_app->focusAndForget(ui().button("Command2"));
    AppFixture::key(Qt::Key_Tab);
    QTRY_COMPARE(AppFixture::focusName(), u"txtName"_s);
    QCOMPARE(m_app->calls(), fieldSaid(u"差出人の名前は"_s));
    QCOMPARE(ui().paneText("txtHelp"), txtNameHelpText());

    m_app->focusAndForget(ui().pane("txtHelp"));
    AppFixture::key(Qt::Key_Backtab, Qt::ShiftModifier);
    QTRY_COMPARE(AppFixture::focusName(), u"Command2"_s);
    QCOMPARE(m_app->calls(), QStringList({u"Interrupt"_s, u"Speak:高度な設定のプッシュボタン"_s + Sep + u"Enterは高度な設定 Tabは次へ"_s}));

    // Backwards from the first field the pane's close button comes first.
    m_app->focusAndForget(ui().edit("txtName"));
    AppFixture::key(Qt::Key_Backtab, Qt::ShiftModifier);
    QTRY_COMPARE(AppFixture::focusName(), u"Command6"_s);
    AppFixture::key(Qt::Key_Backtab, Qt::ShiftModifier);
    QTRY_COMPARE(AppFixture::focusName(), u"txtHelp"_s);
    QCOMPARE(m_app->calls(), QStringList{HelpTitle});
}

void tst_HelpPane::escInPaneCloses()
{
    ui().edit("txtPOP")->setText(u"pop.example.jp"_s);
    openWithF1("txtPOP");
    QTest::keyPress(ui().pane("txtHelp"), Qt::Key_Escape);
    AppFixture::settle();
    QVERIFY(!ui().pane("txtHelp")->isHidden());
    QVERIFY(m_app->calls().isEmpty());
    QTest::keyRelease(ui().pane("txtHelp"), Qt::Key_Escape);
    // "パス" is waited for before the field's announcement cuts in.
    verifyClosedOn(u"txtPOP"_s, QStringList({u"Speak:パス"_s, u"WaitDone"_s}) + fieldSaid(u"ポップ受信サーバーは"_s, u"pop.example.jp"_s));
    QCOMPARE(ui().edit("txtPOP")->text(), u"pop.example.jp"_s);
}

void tst_HelpPane::closeButton_data()
{
    QTest::addColumn<QString>("how");
    for (const char* how : {"mouse", "Enter", "Space", "Alt+C"})
        QTest::newRow(how) << QString::fromLatin1(how);
}

void tst_HelpPane::closeButton()
{
    QFETCH(QString, how);
    openWithF1("txtID");
    if (how == u"mouse"_s) {
        QTest::mouseClick(ui().button("Command6"), Qt::LeftButton);
    } else if (how == u"Alt+C"_s) {
        AppFixture::key(Qt::Key_C, Qt::AltModifier);
    } else {
        m_app->focusAndForget(ui().button("Command6"));
        AppFixture::key(how == u"Enter"_s ? Qt::Key_Return : Qt::Key_Space);
    }
    verifyClosedOn(u"txtID"_s, QStringList({u"Speak:パス"_s, u"WaitDone"_s}) + fieldSaid(u"メールIDまたは、ポップアカウントは"_s));
}

// Alt+C goes through the close button as Tab would: the field the user is in
// is left (and so is the one to return to), then the button is pressed.
void tst_HelpPane::closeKeyLeavesTheFieldFirst_data()
{
    QTest::addColumn<QString>("helpOn");
    QTest::newRow("help on another field") << u"txtName"_s;
    QTest::newRow("help on the same field") << u"txtPOP"_s;
}

void tst_HelpPane::closeKeyLeavesTheFieldFirst()
{
    QFETCH(QString, helpOn);
    openWithF1(helpOn.toLatin1().constData());
    AppFixture::key(Qt::Key_S, Qt::AltModifier);
    QTRY_COMPARE(AppFixture::focusName(), u"txtPOP"_s);
    QCOMPARE(ui().paneText("txtHelp"), txtPOPHelpText());
    m_app->clearCalls();
    AppFixture::key(Qt::Key_C, Qt::AltModifier);
    verifyClosedOn(u"txtPOP"_s, QStringList({u"Speak:パス"_s, u"WaitDone"_s}) + fieldSaid(u"ポップ受信サーバーは"_s));
}

void tst_HelpPane::escElsewhereKeepsPaneOpen_data()
{
    QTest::addColumn<QString>("where");
    for (const char* w : {"txtName", "Command6", "Command2"})
        QTest::newRow(w) << QString::fromLatin1(w);
}

void tst_HelpPane::escElsewhereKeepsPaneOpen()
{
    QFETCH(QString, where);
    openWithF1("txtName");
    m_app->focusAndForget(f->findChild<QWidget*>(where));
    AppFixture::key(Qt::Key_Escape);
    AppFixture::settle();
    QVERIFY(!ui().pane("txtHelp")->isHidden());
    QVERIFY(!ui().button("Command6")->isHidden());
    QCOMPARE(AppFixture::focusName(), where);
    QVERIFY(m_app->calls().isEmpty());
}

void tst_HelpPane::reenteringPaneAnnouncesIt()
{
    QTest::mouseClick(ui().label("lblSMTP0"), Qt::LeftButton);
    QTRY_VERIFY(!ui().pane("txtHelp")->isHidden());
    m_app->clearCalls();
    QTest::mouseClick(ui().pane("txtHelp")->viewport(), Qt::LeftButton);
    QTRY_COMPARE(AppFixture::focusName(), u"txtHelp"_s);
    QCOMPARE(m_app->calls(), QStringList{HelpTitle});
    QCOMPARE(ui().lastField(), ui().edit("txtSMTP"));
}

void tst_HelpPane::typedTextIsReplaced()
{
    openWithF1("txtName");
    QTest::keyClicks(ui().pane("txtHelp"), "typed");
    QVERIFY(ui().pane("txtHelp")->toPlainText().contains(u"typed"_s));
    QVERIFY(ui().paneText("txtHelp").contains(u"typed"_s));
    AppFixture::key(Qt::Key_Tab);
    QTRY_COMPARE(AppFixture::focusName(), u"Command6"_s);
    AppFixture::key(Qt::Key_Tab);
    QTRY_COMPARE(AppFixture::focusName(), u"txtName"_s);
    QCOMPARE(ui().paneText("txtHelp"), txtNameHelpText());
    QVERIFY(!ui().pane("txtHelp")->toPlainText().contains(u"typed"_s));
    // Showing the same help again gives the same text, never two of them.
    AppFixture::key(Qt::Key_F1);
    QCOMPARE(ui().paneText("txtHelp"), txtNameHelpText());
}

void tst_HelpPane::f1HintClickHelpsFocusedField()
{
    m_app->focusAndForget(ui().edit("txtPOP"));
    QTest::mouseClick(ui().label("Label3"), Qt::LeftButton);
    QTRY_COMPARE(AppFixture::focusName(), u"txtHelp"_s);
    QCOMPARE(ui().paneText("txtHelp"), txtPOPHelpText());
    QCOMPARE(m_app->calls(), QStringList{HelpTitle});

    // On a button the key means nothing.
    AppFixture::key(Qt::Key_Escape);
    QTRY_VERIFY(ui().pane("txtHelp")->isHidden());
    m_app->focusAndForget(ui().button("Command5"));
    QTest::mouseClick(ui().label("Label3"), Qt::LeftButton);
    AppFixture::settle();
    QVERIFY(ui().pane("txtHelp")->isHidden());
    QCOMPARE(AppFixture::focusName(), u"Command5"_s);
}

void tst_HelpPane::closeBeforeAnyFieldWasLeft()
{
    QCOMPARE(ui().lastField(), nullptr);
    f->Command6_Click();
    verifyClosedOn(u"txtName"_s, {u"Speak:パス"_s, u"WaitDone"_s});
}

void tst_HelpPane::worksWithoutSpeech()
{
    m_app = std::make_unique<AppFixture>();
    m_app->log->failConfigureAt = 1;
    QVERIFY(m_app->start());
    f = &m_app->form();
    openWithF1("txtSMTP");
    QCOMPARE(ui().paneText("txtHelp"), txtSMTPHelpText());
    AppFixture::key(Qt::Key_Escape);
    verifyClosedOn(u"txtSMTP"_s, {});
}

QTEST_MAIN(tst_HelpPane)
#include "tst_helppane.moc"
