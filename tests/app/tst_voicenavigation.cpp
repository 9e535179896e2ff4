// What the main window says when the focus moves, and how its keys move it.

#include "AppFixture.h"
#include "ModalHelper.h"
#include "WindowControls.h"
#include "app/CrLfPaneText.h"
#include "app/FormSupport.h"
#include "ui/ClickableLabel.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextCursor>

using namespace Qt::StringLiterals;

namespace {

const QString Sep(QChar(0xF8F2));
const QString Interrupt = u"Interrupt"_s;

QString speak(const QString& text)
{
    return u"Speak:"_s + text;
}

// Quick, then one Voice: the usual announcement of a field or button.
QStringList said(const QString& text)
{
    return {Interrupt, speak(text)};
}

// What each control says on gaining the focus at start-up (fields empty, no
// list entry selected).
QStringList announcementOf(const QString& name)
{
    static const QHash<QString, QString> single = {
        {u"txtName"_s, u"差出人の名前は"_s + Sep + u"未登録"_s},
        {u"txtAddress"_s, u"メールアドレスは"_s + Sep + u"未登録"_s},
        {u"txtPOP"_s, u"ポップ受信サーバーは"_s + Sep + u"未登録"_s},
        {u"txtSMTP"_s, u"SMTP送信サーバーは"_s + Sep + u"未登録"_s},
        {u"txtID"_s, u"メールIDまたは、ポップアカウントは"_s + Sep + u"未登録"_s},
        {u"txtPW"_s, u"メールパスワードは"_s + Sep + u"未登録"_s},
        {u"Command4"_s, u"アドレスから自動的にサーバー情報を取り込む"_s + Sep + u"Enterは取り込み Tabは次へ"_s},
        {u"Command5"_s, u"すべてクリアのプッシュボタン"_s + Sep + u"Enterはクリア Tabは次へ"_s},
        {u"Command2"_s, u"高度な設定のプッシュボタン"_s + Sep + u"Enterは高度な設定 Tabは次へ"_s},
        {u"Command1"_s, u"参考に読み込むのプッシュボタン"_s + Sep + u"Enterは参照 Tabは次へ"_s},
        {u"Command3"_s, u"IEで閲覧するのプッシュボタン"_s + Sep + u"Enterは閲覧 Tabは次へ"_s},
        {u"Combo1"_s, u"参照用プロバイダの選択"_s},
        {u"Combo2"_s, u"閲覧用プロバイダの選択"_s},
    };
    if (name == u"txtGuide"_s)
        return said(u"説明ウインド"_s + Sep
                    + u"このサポートソフトで作成した、アカウントデータ(拡張子ACD)は、ヴォルニクスで取り込むことができます。\r\n"
                      u"ヴォルニクスのサポート用にお役立て下さい。\r\n"
                      u"－－－－－－－－\r\n"
                      u"ヴォルニクスから、このアカウント情報を取り込むには、\r\n"
                      u"①プルダウンメニューから、環境(M)・メールアドレスの設定(C)を開きます。\r\n"
                      u"②TABキー数回押して、設定の読み込み(L)　のボタンを押します。\r\n"
                      u"③アカウントデータを取り込みます。\r\n"
                      u"－－－－－－－－\r\n"
                      u"注意:アカウントデータを取り込むと、現在のアカウントデータは上書きされてしまいます。\r\n"_s);
    return said(single.value(name));
}

const QStringList Cycle = {u"txtName"_s,  u"txtAddress"_s, u"Command4"_s, u"txtPOP"_s,   u"txtSMTP"_s,
                           u"txtID"_s,    u"txtPW"_s,      u"Command5"_s, u"Command2"_s, u"Combo1"_s,
                           u"Command1"_s, u"Combo2"_s,     u"Command3"_s, u"txtGuide"_s};

} // namespace

class tst_VoiceNavigation : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void tabAnnouncesEachControl_data();
    void tabAnnouncesEachControl();
    void fieldSaysItsContent_data();
    void fieldSaysItsContent();
    void listSaysSelectedEntry_data();
    void listSaysSelectedEntry();
    void guideSaysCurrentText();
    void enterMovesOn_data();
    void enterMovesOn();
    void buttonsPressOnEnterAndSpace_data();
    void buttonsPressOnEnterAndSpace();
    void downArrowLeavesCommand4();
    void f1ElsewhereDoesNothing_data();
    void f1ElsewhereDoesNothing();
    void lastFieldFollowsFields();
    void popupsAreNotMoves();
    void reactivationAnnounces();
    void startUpIsOverOnceTheFirstFieldSpoke();
    void reactivationKeepsCaretAndHelp();
    void focusMovedWhileAwayIsAMove();
    void selectionFromCodeSaysNothing();

private:
    void leaveAndComeBack();
    std::unique_ptr<AppFixture> m_app;
    FormSupport* f = nullptr;
    WindowControls ui() const { return WindowControls(f); }
};

void tst_VoiceNavigation::init()
{
    m_app = std::make_unique<AppFixture>();
    QVERIFY(m_app->start());
    f = &m_app->form();
    m_app->clearCalls();
}

void tst_VoiceNavigation::cleanup()
{
    f = nullptr;
    m_app.reset();
}

void tst_VoiceNavigation::tabAnnouncesEachControl_data()
{
    QTest::addColumn<bool>("backwards");
    QTest::newRow("Tab") << false;
    QTest::newRow("Shift+Tab") << true;
}

void tst_VoiceNavigation::tabAnnouncesEachControl()
{
    QFETCH(bool, backwards);
    for (qsizetype step = 1; step <= Cycle.size(); ++step) {
        const QString expected = Cycle[(backwards ? Cycle.size() - step : step) % Cycle.size()];
        AppFixture::key(backwards ? Qt::Key_Backtab : Qt::Key_Tab, backwards ? Qt::ShiftModifier : Qt::NoModifier);
        QTRY_COMPARE(AppFixture::focusName(), expected);
        QCOMPARE(m_app->calls(), announcementOf(expected));
        m_app->clearCalls();
    }
}

void tst_VoiceNavigation::fieldSaysItsContent_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("text");
    const std::pair<const char*, QString> fields[] = {
        {"txtName", u"差出人の名前は"_s},    {"txtAddress", u"メールアドレスは"_s},
        {"txtPOP", u"ポップ受信サーバーは"_s}, {"txtSMTP", u"SMTP送信サーバーは"_s},
        {"txtID", u"メールIDまたは、ポップアカウントは"_s}, {"txtPW", u"メールパスワードは"_s},
    };
    const std::pair<const char*, QString> texts[] = {
        {"filled", u"山田 taro@x"_s}, {"spaces only", u"   "_s}, {"ideographic space", u"　"_s}};
    for (const auto& [field, label] : fields)
        for (const auto& [kind, text] : texts)
            QTest::addRow("%s %s", field, kind) << QString::fromLatin1(field) << label << text;
}

void tst_VoiceNavigation::fieldSaysItsContent()
{
    QFETCH(QString, field);
    QFETCH(QString, label);
    QFETCH(QString, text);
    auto* edit = f->findChild<QLineEdit*>(field);
    edit->setText(text);
    edit->setCursorPosition(text.size());
    // Arrive by Tab from the control before it: Qt would select the whole text.
    const qsizetype at = Cycle.indexOf(field);
    m_app->focusAndForget(f->findChild<QWidget*>(Cycle[(at + Cycle.size() - 1) % Cycle.size()]));
    AppFixture::key(Qt::Key_Tab);
    QTRY_COMPARE(AppFixture::focusName(), field);
    QCOMPARE(m_app->calls(), said(label + Sep + text));
    QCOMPARE(edit->cursorPosition(), 0);
    QVERIFY(!edit->hasSelectedText());
    QCOMPARE(edit->text(), text);
}

void tst_VoiceNavigation::listSaysSelectedEntry_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("entry");
    QTest::newRow("Combo1 OCN") << u"Combo1"_s << u"参照用プロバイダの選択"_s << 2 << u"OCN(NTT)"_s;
    QTest::newRow("Combo1 ODN") << u"Combo1"_s << u"参照用プロバイダの選択"_s << 5 << u"ODN(日本テレコム)"_s;
    QTest::newRow("Combo2 @nifty") << u"Combo2"_s << u"閲覧用プロバイダの選択"_s << 0 << u"@nifty(富士通)"_s;
}

void tst_VoiceNavigation::listSaysSelectedEntry()
{
    QFETCH(QString, list);
    QFETCH(QString, title);
    QFETCH(int, index);
    QFETCH(QString, entry);
    auto* combo = f->findChild<QComboBox*>(list);
    combo->setCurrentIndex(index);
    m_app->focusAndForget(ui().button("Command5"));
    combo->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(AppFixture::focusName(), list);
    // The title, then the entry as the list shows it: two calls, no separator.
    QCOMPARE(m_app->calls(), QStringList({Interrupt, speak(title), speak(entry)}));
}

void tst_VoiceNavigation::guideSaysCurrentText()
{
    QTextCursor end = ui().pane("txtGuide")->textCursor();
    end.movePosition(QTextCursor::End);
    ui().pane("txtGuide")->setTextCursor(end);
    m_app->focusAndForget(ui().button("Command3"));
    AppFixture::key(Qt::Key_Tab);
    QTRY_COMPARE(AppFixture::focusName(), u"txtGuide"_s);
    QCOMPARE(m_app->calls(), announcementOf(u"txtGuide"_s));
    QCOMPARE(ui().pane("txtGuide")->textCursor().position(), 0);

    // A text given later (sample settings) is what the pane then says.
    CrLfPaneText(ui().pane("txtGuide")).set(u"一行目\r\n二行目"_s);
    m_app->focusAndForget(ui().button("Command3"));
    AppFixture::key(Qt::Key_Tab);
    QTRY_COMPARE(AppFixture::focusName(), u"txtGuide"_s);
    QCOMPARE(m_app->calls(), said(u"説明ウインド"_s + Sep + u"一行目\r\n二行目"_s));
}

void tst_VoiceNavigation::enterMovesOn_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::newRow("txtName") << u"txtName"_s << u"txtAddress"_s;
    QTest::newRow("txtAddress") << u"txtAddress"_s << u"Command4"_s;
    QTest::newRow("txtPOP") << u"txtPOP"_s << u"txtSMTP"_s;
    QTest::newRow("txtSMTP") << u"txtSMTP"_s << u"txtID"_s;
    QTest::newRow("txtID") << u"txtID"_s << u"txtPW"_s;
    QTest::newRow("txtPW") << u"txtPW"_s << u"Command5"_s;
    QTest::newRow("Combo1") << u"Combo1"_s << u"Command1"_s;
    QTest::newRow("Combo2") << u"Combo2"_s << u"Command3"_s;
}

void tst_VoiceNavigation::enterMovesOn()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QWidget* w = f->findChild<QWidget*>(from);
    m_app->focusAndForget(w);
    auto* edit = qobject_cast<QLineEdit*>(w);
    if (edit)
        edit->setText(u"ab"_s);
    AppFixture::key(Qt::Key_Return);
    // The Tab is queued: the focus moves only once the handler has returned.
    // The address field's typing aid moves to its button itself, at once.
    if (from != u"txtAddress"_s)
        QCOMPARE(AppFixture::focusName(), from);
    QTRY_COMPARE(AppFixture::focusName(), to);
    QCOMPARE(m_app->calls(), announcementOf(to));
    if (edit)
        QCOMPARE(edit->text(), u"ab"_s);
    m_app->clearCalls();
    // The keypad's Enter does the same.
    m_app->focusAndForget(w);
    AppFixture::key(Qt::Key_Enter, Qt::KeypadModifier);
    QTRY_COMPARE(AppFixture::focusName(), to);
}

void tst_VoiceNavigation::buttonsPressOnEnterAndSpace_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("focusAfter");
    QTest::addColumn<int>("boxes");
    // What each does on an empty form: the sample needs a provider, so only the
    // focus moves; the advanced dialog opens and is cancelled; the home page
    // needs a provider; the derivation only moves on; clear all asks.
    const struct {
        const char* button;
        const char* focusAfter;
        int boxes;
    } rows[] = {{"Command1", "txtName", 0}, {"Command2", "Command2", 0}, {"Command3", "Command3", 0},
                {"Command4", "txtPOP", 0},  {"Command5", "Command5", 1}};
    for (const auto& r : rows) {
        QTest::addRow("%s Enter", r.button) << QString::fromLatin1(r.button) << int(Qt::Key_Return)
                                            << QString::fromLatin1(r.focusAfter) << r.boxes;
        QTest::addRow("%s Space", r.button) << QString::fromLatin1(r.button) << int(Qt::Key_Space)
                                            << QString::fromLatin1(r.focusAfter) << r.boxes;
    }
}

void tst_VoiceNavigation::buttonsPressOnEnterAndSpace()
{
    QFETCH(QString, button);
    QFETCH(int, key);
    QFETCH(QString, focusAfter);
    QFETCH(int, boxes);
    auto* b = f->findChild<QPushButton*>(button);
    m_app->messageBox->nextAnswer = MessageBox::Answer::No;
    m_app->focusAndForget(b);
    QSignalSpy clicked(b, &QPushButton::clicked);
    ModalHelper closer([](QWidget* dialog) { static_cast<QDialog*>(dialog)->reject(); });
    // A held key repeats: only its first press counts, as in the advanced dialog.
    QKeyEvent repeated(QEvent::KeyPress, key, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(b, &repeated);
    AppFixture::settle();
    QCOMPARE(clicked.size(), 0);
    AppFixture::key(key);
    QTRY_COMPARE(clicked.size(), 1);
    QCOMPARE(closer.ran(), button == u"Command2"_s);
    QVERIFY(!closer.forcedClose());
    QTRY_COMPARE(AppFixture::focusName(), focusAfter);
    QCOMPARE(m_app->messageBox->shown.size(), boxes);
}

void tst_VoiceNavigation::downArrowLeavesCommand4()
{
    m_app->focusAndForget(ui().button("Command4"));
    QTest::keyPress(ui().button("Command4"), Qt::Key_Down);
    AppFixture::settle();
    QCOMPARE(AppFixture::focusName(), u"Command4"_s);
    QVERIFY(m_app->calls().isEmpty());
    QTest::keyRelease(ui().button("Command4"), Qt::Key_Down);
    QTRY_COMPARE(AppFixture::focusName(), u"txtPOP"_s);
    QCOMPARE(m_app->calls(), announcementOf(u"txtPOP"_s));
}

void tst_VoiceNavigation::f1ElsewhereDoesNothing_data()
{
    QTest::addColumn<QString>("control");
    for (const char* c : {"Command1", "Command2", "Command3", "Command4", "Command5", "Combo1", "Combo2", "txtGuide"})
        QTest::newRow(c) << QString::fromLatin1(c);
}

void tst_VoiceNavigation::f1ElsewhereDoesNothing()
{
    QFETCH(QString, control);
    m_app->focusAndForget(f->findChild<QWidget*>(control));
    AppFixture::key(Qt::Key_F1);
    AppFixture::settle();
    QCOMPARE(AppFixture::focusName(), control);
    QVERIFY(ui().pane("txtHelp")->isHidden());
    QVERIFY(m_app->calls().isEmpty());
}

void tst_VoiceNavigation::lastFieldFollowsFields()
{
    QCOMPARE(ui().lastField(), nullptr);
    AppFixture::key(Qt::Key_Tab);
    QTRY_COMPARE(AppFixture::focusName(), u"txtAddress"_s);
    QCOMPARE(ui().lastField(), ui().edit("txtName"));
    AppFixture::key(Qt::Key_Tab);
    QTRY_COMPARE(AppFixture::focusName(), u"Command4"_s);
    QCOMPARE(ui().lastField(), ui().edit("txtAddress"));
    // Buttons and lists never take its place.
    AppFixture::key(Qt::Key_Tab);
    QTRY_COMPARE(AppFixture::focusName(), u"txtPOP"_s);
    QCOMPARE(ui().lastField(), ui().edit("txtAddress"));
}

void tst_VoiceNavigation::popupsAreNotMoves()
{
    // A list's popup takes the focus away and gives it back with the popup
    // reason. (The offscreen platform activates the popup window instead, so
    // the events are sent as the xcb platform delivers them.)
    m_app->focusAndForget(ui().list("Combo2"));
    QFocusEvent out(QEvent::FocusOut, Qt::PopupFocusReason);
    QFocusEvent in(QEvent::FocusIn, Qt::PopupFocusReason);
    QApplication::sendEvent(ui().list("Combo2"), &out);
    QApplication::sendEvent(ui().list("Combo2"), &in);
    QVERIFY(m_app->calls().isEmpty());

    // Opening and leaving a menu from a field neither announces it again nor
    // counts as leaving it.
    m_app->focusAndForget(ui().edit("txtSMTP"));
    AppFixture::key(Qt::Key_F, Qt::AltModifier);
    QTRY_VERIFY(ui().menu("mnu_file")->isVisible());
    QTest::keyClick(ui().menu("mnu_file"), Qt::Key_Escape);
    QTRY_VERIFY(!ui().menu("mnu_file")->isVisible());
    QTest::keyClick(f->menuBar(), Qt::Key_Escape);
    QTRY_COMPARE(AppFixture::focusName(), u"txtSMTP"_s);
    AppFixture::settle();
    QVERIFY(m_app->calls().isEmpty());
    QCOMPARE(ui().lastField(), ui().edit("txtName"));
}

void tst_VoiceNavigation::reactivationAnnounces()
{
    ui().edit("txtSMTP")->setText(u"smtp.example.jp"_s);
    m_app->focusAndForget(ui().edit("txtSMTP"));
    QCOMPARE(ui().lastField(), ui().edit("txtName"));
    {
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QVERIFY(m_app->calls().isEmpty());
    }
    f->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f));
    QTRY_COMPARE(m_app->calls(), said(u"SMTP送信サーバーは"_s + Sep + u"smtp.example.jp"_s));
    // Leaving for another window is not leaving the field.
    QCOMPARE(ui().lastField(), ui().edit("txtName"));
}

// What the speech prepares late must not start before the first words, nor
// again each time the user comes back to the window.
void tst_VoiceNavigation::startUpIsOverOnceTheFirstFieldSpoke()
{
    QTRY_COMPARE(m_app->log->startUpsOver.size(), 1);
    QVERIFY(m_app->log->startUpsOver.front() >= 1);
    leaveAndComeBack();
    QTRY_VERIFY(!m_app->calls().isEmpty());
    QCoreApplication::processEvents();
    QCOMPARE(m_app->log->startUpsOver.size(), 1);
}

// Another window takes over, then this one becomes active again.
void tst_VoiceNavigation::leaveAndComeBack()
{
    {
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
    }
    f->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f));
}

// Coming back announces the control again and leaves everything else as the
// user left it: the caret, and the help pane with what it shows.
void tst_VoiceNavigation::reactivationKeepsCaretAndHelp()
{
    ui().edit("txtSMTP")->setText(u"smtp.example.jp"_s);
    m_app->focusAndForget(ui().edit("txtSMTP"));
    ui().edit("txtSMTP")->setCursorPosition(4);
    leaveAndComeBack();
    QTRY_COMPARE(m_app->calls(), said(u"SMTP送信サーバーは"_s + Sep + u"smtp.example.jp"_s));
    QCOMPARE(ui().edit("txtSMTP")->cursorPosition(), 4);

    m_app->focusAndForget(ui().pane("txtGuide"));
    QTextCursor cursor = ui().pane("txtGuide")->textCursor();
    cursor.setPosition(10);
    ui().pane("txtGuide")->setTextCursor(cursor);
    leaveAndComeBack();
    QTRY_COMPARE(m_app->calls(), announcementOf(u"txtGuide"_s));
    QCOMPARE(ui().pane("txtGuide")->textCursor().position(), 10);

    QTest::mouseClick(ui().label("lblPOP0"), Qt::LeftButton);
    QTRY_VERIFY(!ui().pane("txtHelp")->isHidden());
    QCOMPARE(AppFixture::focusName(), u"txtPOP"_s);
    ui().pane("txtHelp")->setPlainText(u"what the user made of it"_s);
    m_app->clearCalls();
    leaveAndComeBack();
    QTRY_COMPARE(m_app->calls(), announcementOf(u"txtPOP"_s));
    QCOMPARE(ui().paneText("txtHelp"), u"what the user made of it"_s);
}

// A field given the focus while the window was inactive (as after reading a
// file) is arrived at: caret to the start, as on any move.
void tst_VoiceNavigation::focusMovedWhileAwayIsAMove()
{
    ui().edit("txtName")->setText(u"山田太郎"_s);
    m_app->focusAndForget(ui().edit("txtSMTP"));
    {
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        ui().edit("txtName")->setFocus(Qt::OtherFocusReason);
        ui().edit("txtName")->setCursorPosition(4);
    }
    f->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f));
    QTRY_COMPARE(m_app->calls(), said(u"差出人の名前は"_s + Sep + u"山田太郎"_s));
    QCOMPARE(ui().edit("txtName")->cursorPosition(), 0);
}

void tst_VoiceNavigation::selectionFromCodeSaysNothing()
{
    m_app->focusAndForget(ui().list("Combo1"));
    ui().list("Combo1")->setCurrentIndex(3);
    ui().list("Combo2")->setCurrentIndex(4);
    f->ComboSet();
    ui().edit("txtAddress")->setText(u"a@x.so-net.ne.jp"_s);
    f->ComboDisp();
    AppFixture::settle();
    QCOMPARE(ui().list("Combo1")->currentIndex(), 4);
    QVERIFY(m_app->calls().isEmpty());
    QCOMPARE(AppFixture::focusName(), u"Combo1"_s);
}

QTEST_MAIN(tst_VoiceNavigation)
#include "tst_voicenavigation.moc"
