// The main window as a thing on screen: start-up, controls, layout, menus,
// access keys and the window's own commands.

#include "AppFixture.h"
#include "FakeScreenReaderPresence.h"
#include "ModalHelper.h"
#include "WindowControls.h"
#include "app/AppSetup.h"
#include "app/FormSupport.h"
#include "app/Program.h"
#include "speech/SpeechChannel.h"
#include "ui/ClickableLabel.h"
#include "ui/FrameBox.h"

#ifndef Q_OS_WIN
#include "NoThreadsCanStart.h"
#endif

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

const QChar Sep(0xF8F2);

const QStringList ProviderNames = {u"@nifty(富士通)"_s, u"biglobe(NEC)"_s, u"OCN(NTT)"_s,
                                   u"DION(KDDI)"_s,   u"So-net(SONY)"_s, u"ODN(日本テレコム)"_s};

// An independent copy of the guide text, CR LF after every line.
const QString ExpectedGuide = u"このサポートソフトで作成した、アカウントデータ(拡張子ACD)は、ヴォルニクスで取り込むことができます。\r\n"
                              u"ヴォルニクスのサポート用にお役立て下さい。\r\n"
                              u"\uFF0D\uFF0D\uFF0D\uFF0D\uFF0D\uFF0D\uFF0D\uFF0D\r\n"
                              u"ヴォルニクスから、このアカウント情報を取り込むには、\r\n"
                              u"\u2460プルダウンメニューから、環境(M)・メールアドレスの設定(C)を開きます。\r\n"
                              u"\u2461TABキー数回押して、設定の読み込み(L)\u3000のボタンを押します。\r\n"
                              u"\u2462アカウントデータを取り込みます。\r\n"
                              u"\uFF0D\uFF0D\uFF0D\uFF0D\uFF0D\uFF0D\uFF0D\uFF0D\r\n"
                              u"注意:アカウントデータを取り込むと、現在のアカウントデータは上書きされてしまいます。\r\n"_s;

class FakeSingleInstance : public SingleInstance
{
public:
    bool primary = true;
    int activations = 0;
    std::function<void()> handler;
    bool becomePrimary() override { return primary; }
    bool activatePrimary() override
    {
        ++activations;
        return true;
    }
    void setActivationHandler(std::function<void()> h) override { handler = std::move(h); }
};

QStringList comboItems(const QComboBox* c)
{
    QStringList items;
    for (int i = 0; i < c->count(); ++i)
        items << c->itemText(i);
    return items;
}

QStringList fieldTexts(const WindowControls& ui)
{
    return {ui.edit("txtName")->text(), ui.edit("txtAddress")->text(), ui.edit("txtPOP")->text(),
            ui.edit("txtSMTP")->text(), ui.edit("txtID")->text(),      ui.edit("txtPW")->text()};
}

} // namespace

class tst_FormSupport : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startUpState();
    void formLoadOrder();
    void startsSilentWithoutSpeechObject();
    void readsQtsWindowsOnlyWithoutScreenReader();
    void screenReaderFindsTheSpokenWords();
    void secondStartReachesTheOpenDialog_data();
    void secondStartReachesTheOpenDialog();
    void secondStartHandsOver();
    void activationBringsWindowToFront();
    void startsWithoutAThread();

    void captions_data();
    void captions();
    void geometry_data();
    void geometry();
    void fixedClientArea();
    void fonts_data();
    void fonts();
    void fontSubstitutes();
    void japaneseQtTexts();
    void coloursAndPointers();
    void panes();
    void menus_data();
    void menus();
    void accessibleNames();
    void tabCycle();

    void altFOpensFileMenu();
    void altSGoesToPopServer();
    void altSInsideFileMenuIsTheMenus_data();
    void altSInsideFileMenuIsTheMenus();
    void frameClick_data();
    void frameClick();

    void clearAll_data();
    void clearAll();
    void exitEndsAtOnce_data();
    void exitEndsAtOnce();

    void editorRoundTrip();
    void comboDisp_data();
    void comboDisp();

private:
    std::unique_ptr<AppFixture> m_app;
    FormSupport* f = nullptr;
    WindowControls ui() const { return WindowControls(f); }
};

void tst_FormSupport::init()
{
    m_app = std::make_unique<AppFixture>();
    QVERIFY(m_app->start());
    f = &m_app->form();
}

void tst_FormSupport::cleanup()
{
    f = nullptr;
    m_app.reset();
}

void tst_FormSupport::startUpState()
{
    QCOMPARE(m_app->calls(), QStringList({u"Configure(33)"_s, u"Interrupt"_s, u"Speak:差出人の名前は"_s + Sep + u"未登録"_s}));
    QCOMPARE(f->windowTitle(), u"VORNIXサポートソフト"_s);
    QCOMPARE(f->objectName(), u"FormSupport"_s);
    QCOMPARE(fieldTexts(ui()), QStringList(6, QString()));
    for (const QComboBox* c :
         {static_cast<QComboBox*>(ui().list("Combo1")), static_cast<QComboBox*>(ui().list("Combo2"))}) {
        QCOMPARE(comboItems(c), ProviderNames);
        QCOMPARE(c->currentIndex(), -1);
        QVERIFY(!c->isEditable());
    }
    QCOMPARE(m_app->program().acd(), Acd{});
    QVERIFY(ui().pane("txtHelp")->isHidden());
    QVERIFY(ui().button("Command6")->isHidden());
    QCOMPARE(ui().lastField(), nullptr);
    QCOMPARE(ui().fileCommands().programFolder(), QCoreApplication::applicationDirPath());
    QCOMPARE(ui().paneText("txtGuide"), ExpectedGuide);
}

// Speech is set up first, then the lists, then the record; nothing is said
// until the window shows.
void tst_FormSupport::formLoadOrder()
{
    auto log = std::make_shared<RecordingSpeechObject::Log>();
    const AppFixture fakes;
    Platform platform = fakes.platform;
    platform.speechFactory = RecordingSpeechObject::factory(log);
    SpeechChannel speech;
    Acd acd;
    acd.Title = u"x"_s;
    acd.PopPort = 995;
    acd.PopWarning = 2;
    FormSupport form(platform, speech, acd);
    QCOMPARE(WindowControls(&form).list("Combo1")->count(), 0);
    form.Form_Load();
    QCOMPARE(log->calls, QStringList{u"Configure(33)"_s});
    QVERIFY(speech.VoiceEnabled());
    QCOMPARE(acd, Acd{});
    QCOMPARE(comboItems(WindowControls(&form).list("Combo2")), ProviderNames);
    QCOMPARE(form.focusWidget(), WindowControls(&form).edit("txtName"));
}

void tst_FormSupport::startsSilentWithoutSpeechObject()
{
    m_app = std::make_unique<AppFixture>();
    m_app->platform.speechFactory = [] { return std::unique_ptr<SpeechObject>(); };
    QVERIFY(m_app->start());
    f = &m_app->form();
    AppFixture::key(Qt::Key_Tab);
    QTRY_COMPARE(AppFixture::focusName(), u"txtAddress"_s);
    QVERIFY(m_app->calls().isEmpty());
    QVERIFY(!m_app->program().speech().VoiceEnabled());
}

void tst_FormSupport::readsQtsWindowsOnlyWithoutScreenReader()
{
    for (const bool screenReader : {true, false}) {
        m_app = std::make_unique<AppFixture>();
        auto presence = std::make_shared<FakeScreenReaderPresence>(screenReader);
        m_app->platform.screenReaderPresence = presence;
        QVERIFY(m_app->start());
        QVERIFY(presence->asked >= 1);
        QCOMPARE(m_app->program().readsInterface(), !screenReader);
        QCOMPARE(m_app->program().followsScreenReader(), screenReader);
        // Beside a screen reader the focus moves are the reader's to say; a
        // provider the user chooses is read only by the program's reader.
        f = &m_app->form();
        ui().list("Combo1")->setFocus(Qt::TabFocusReason);
        QTRY_COMPARE(AppFixture::focusName(), u"Combo1"_s);
        m_app->clearCalls();
        AppFixture::key(Qt::Key_Down);
        AppFixture::settle();
        AppFixture::key(Qt::Key_Tab);
        QTRY_COMPARE(AppFixture::focusName(), u"Command1"_s);
        AppFixture::settle();
        QStringList expected;
        if (!screenReader) {
            expected = QStringList{u"Interrupt"_s, u"Speak:@nifty(富士通)"_s, u"Interrupt"_s,
                                   u"Speak:参考に読み込むのプッシュボタン"_s + Sep + u"Enterは参照 Tabは次へ"_s};
        }
        QTRY_COMPARE(m_app->calls(), expected);
    }
}

void tst_FormSupport::screenReaderFindsTheSpokenWords()
{
    auto presence = std::make_shared<FakeScreenReaderPresence>(true);
    m_app = std::make_unique<AppFixture>();
    m_app->platform.screenReaderPresence = presence;
    QVERIFY(m_app->start());
    f = &m_app->form();
    QCOMPARE(ui().edit("txtName")->accessibleName(), u"差出人の名前は"_s);
    QCOMPARE(ui().edit("txtName")->accessibleDescription(), u"未登録"_s);
    QCOMPARE(ui().button("Command1")->accessibleName(), u"参考に読み込むのプッシュボタン"_s);
    QCOMPARE(ui().button("Command1")->accessibleDescription(), u"Enterは参照 Tabは次へ"_s);
    QCOMPARE(ui().list("Combo1")->accessibleName(), u"参照用プロバイダの選択"_s);
    // A field says "未登録" only while it is empty.
    ui().edit("txtPW")->setText(u"x"_s);
    QCOMPARE(ui().edit("txtPW")->accessibleDescription(), QString());
    ui().edit("txtPW")->clear();
    QCOMPARE(ui().edit("txtPW")->accessibleDescription(), u"未登録"_s);
    // A worked example changes the hints while the spoken words show; they
    // are the field's own description once the screen reader is gone.
    const QString before = ui().label("lblAddress")->text();
    ui().list("Combo1")->setCurrentIndex(0);
    f->Sanko();
    const QString hint = ui().label("lblAddress")->text();
    QVERIFY(hint != before);
    QCOMPARE(ui().edit("txtAddress")->accessibleDescription(),
             ui().edit("txtAddress")->text().isEmpty() ? u"未登録"_s : QString());

    // Asked again when the window is activated, without the window waiting.
    // A screen reader too busy to answer in time has not gone.
    presence->answer = ScreenReaderAnswer::NoAnswer;
    const int asked = presence->asked;
    // Questions go one at a time: once a second is asked, the first has
    // handed over whatever it had to the window's thread.
    QTRY_VERIFY((f->activated(), presence->asked >= asked + 2));
    AppFixture::settle();
    QVERIFY(m_app->program().followsScreenReader());
    QCOMPARE(ui().edit("txtName")->accessibleName(), u"差出人の名前は"_s);

    presence->answer = ScreenReaderAnswer::None;
    emit f->activated();
    QTRY_VERIFY(!m_app->program().followsScreenReader());
    QVERIFY(m_app->program().readsInterface());
    QCOMPARE(ui().edit("txtName")->accessibleName(), u"差出人の名前"_s);
    QCOMPARE(ui().edit("txtAddress")->accessibleDescription(), hint);
    QCOMPARE(ui().button("Command1")->accessibleName(), u"参考に読み込む"_s);
    m_app->clearCalls();
    ui().edit("txtPOP")->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(
        m_app->calls().contains(u"Speak:ポップ受信サーバーは"_s + Sep + ui().edit("txtPOP")->text()));

    presence->answer = ScreenReaderAnswer::Runs;
    emit f->activated();
    QTRY_VERIFY(m_app->program().followsScreenReader());
    QVERIFY(!m_app->program().readsInterface());
    QCOMPARE(ui().edit("txtName")->accessibleName(), u"差出人の名前は"_s);
}

void tst_FormSupport::secondStartReachesTheOpenDialog_data()
{
    QTest::addColumn<bool>("advancedDialog"); // else a message box
    QTest::newRow("the advanced dialog") << true;
    QTest::newRow("a message box") << false;
}

// The user went to another program while a dialog was open, then started the
// tool again: the dialog, which has the input, comes back, not the window it
// blocks, which would take the focus and do nothing with the keys.
void tst_FormSupport::secondStartReachesTheOpenDialog()
{
    QFETCH(bool, advancedDialog);
    QString activeAfter;
    QWidget elsewhere;
    ModalHelper helper([&](QWidget* modal) {
        elsewhere.show();
        elsewhere.activateWindow();
        if (QTest::qWaitForWindowActive(&elsewhere)) {
            f->bringToFront();
            // Moved or not, what is active then is the answer.
            [[maybe_unused]] const bool moved = QTest::qWaitFor([&] { return !elsewhere.isActiveWindow(); }, 5000);
            const QWidget* active = QApplication::activeWindow();
            activeAfter = active == modal ? u"the dialog"_s : active == f ? u"the main window"_s : u"another"_s;
        }
        modal->close();
    });
    if (advancedDialog) {
        QTest::mouseClick(ui().button("Command2"), Qt::LeftButton);
    } else {
        QMessageBox box(QMessageBox::Question, u"t"_s, u"q"_s, QMessageBox::Yes | QMessageBox::No, f);
        box.exec();
    }
    QVERIFY(helper.ran());
    QCOMPARE(activeAfter, u"the dialog"_s);
}

// Out of threads, the program still starts and speaks: the window's start-up
// opens the speech object itself, and a question that cannot be asked leaves
// things as they are.
void tst_FormSupport::startsWithoutAThread()
{
#ifdef Q_OS_WIN
    QSKIP("threads are made to fail through Linux's default thread attributes");
#else
    auto presence = std::make_shared<FakeScreenReaderPresence>(false);
    m_app = std::make_unique<AppFixture>();
    m_app->platform.screenReaderPresence = presence;
    NoThreadsCanStart noThreads;
    QVERIFY(noThreads.isActive());
    QVERIFY(m_app->start());
    QCOMPARE(m_app->calls(), QStringList({u"Configure(33)"_s, u"Interrupt"_s, u"Speak:差出人の名前は"_s + Sep + u"未登録"_s}));
    const int asked = presence->asked;
    presence->answer = ScreenReaderAnswer::Runs;
    emit m_app->form().activated();
    AppFixture::settle();
    QCOMPARE(presence->asked, asked);
    QVERIFY(!m_app->program().followsScreenReader());
#endif
}

void tst_FormSupport::secondStartHandsOver()
{
    auto instance = std::make_shared<FakeSingleInstance>();
    instance->primary = false;
    int speechObjectsMade = 0;
    Platform platform;
    platform.singleInstance = instance;
    platform.speechFactory = [&speechObjectsMade] {
        ++speechObjectsMade;
        return std::unique_ptr<SpeechObject>();
    };
    const qsizetype windowsBefore = QApplication::topLevelWidgets().size();
    Program second(platform);
    QVERIFY(!second.start());
    QCOMPARE(instance->activations, 1);
    QCOMPARE(speechObjectsMade, 0);
    QCOMPARE(second.window(), nullptr);
    QCOMPARE(QApplication::topLevelWidgets().size(), windowsBefore);
}

void tst_FormSupport::activationBringsWindowToFront()
{
    auto instance = std::make_shared<FakeSingleInstance>();
    m_app = std::make_unique<AppFixture>();
    m_app->platform.singleInstance = instance;
    QVERIFY(m_app->start());
    f = &m_app->form();
    QCOMPARE(instance->activations, 0);
    QVERIFY(instance->handler);
    f->showMinimized();
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    instance->handler();
    QVERIFY(QTest::qWaitForWindowActive(f));
    QVERIFY(!f->isMinimized());

    // Closing the window ends the program, its event loop a moment later: a
    // start arriving in between must not be told a window came forward.
    other.close();
    QTimer::singleShot(0, f, [this] { f->close(); });
    QTimer hang;
    QObject::connect(&hang, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    hang.start(20000);
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(!instance->handler);
}

void tst_FormSupport::captions_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    const std::pair<const char*, QString> rows[] = {
        {"Frame1", u"差出人情報(&F)"_s},
        {"lblName0", u"差出人の名前"_s},
        {"lblName", u"メールを受け取る人に、この名前を通知します"_s},
        {"lblAddress0", u"メールアドレス"_s},
        {"lblAddress", u"完全なメールアドレスを記述します"_s},
        {"Command4", u"↓自動"_s},
        {"Frame2", u"サーバー情報(&S)"_s},
        {"lblPOP0", u"POPサーバー(受信)"_s},
        {"lblPOP", u"メールを受信するときに接続するアドレス"_s},
        {"lblSMTP0", u"SMTPサーバー(送信)"_s},
        {"lblSMTP", u"メールを送信するときに接続するアドレス"_s},
        {"lblID0", u"メールID(アカウント)"_s},
        {"lblID", u"受信時(POPサーバ)のログインユーザ名 [アカウント名]"_s},
        {"lblPW0", u"メールパスワード"_s},
        {"Command5", u"すべてクリア"_s},
        {"Command2", u"高度な設定"_s},
        {"Label1", u"VORNIX Support Tool "_s},
        {"Label8", u"の設定を"_s},
        {"Command1", u"参考に読み込む"_s},
        {"Label15", u"プロバイダのホームページ"_s},
        {"Label16", u"のHPを"_s},
        {"Command3", u"IEで参照する"_s},
        {"lblPW", u"受信時(POPサーバ)のログインパスワード"_s},
        {"Label18", u"設定例を知りたいときは→"_s},
        {"Label17", QString()},
        {"Label2", QString()},
        {"Label3", u"[Ｆ１]キー : 各項目の詳細ヘルプ"_s},
        {"Command6", u"ヘルプを閉じる(&C)"_s},
    };
    for (const auto& [name, caption] : rows)
        QTest::newRow(name) << QString::fromLatin1(name) << caption;
}

void tst_FormSupport::captions()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QWidget* w = f->findChild<QWidget*>(name);
    QVERIFY(w);
    if (auto* frame = qobject_cast<FrameBox*>(w))
        QCOMPARE(frame->caption(), caption);
    else if (auto* label = qobject_cast<QLabel*>(w))
        QCOMPARE(label->text(), caption);
    else if (auto* button = qobject_cast<QAbstractButton*>(w))
        QCOMPARE(button->text(), caption);
    else
        QFAIL("not a captioned control");
}

void tst_FormSupport::geometry_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QRect>("pixels");
    // Twips from the layout table divided by 15: both frames, a control of
    // each kind in each container, the band, the box and the help pane.
    const std::tuple<const char*, const char*, int, int, int, int> rows[] = {
        {"Frame1", "client", 12, 8, 481, 97},      {"txtName", "Frame1", 156, 28, 297, 19},
        {"lblAddress0", "Frame1", 24, 67, 78, 13}, {"Command4", "Frame1", 404, 63, 49, 21},
        {"Frame2", "client", 12, 112, 481, 169},   {"lblID", "Frame2", 156, 88, 277, 12},
        {"txtPW", "Frame2", 156, 136, 297, 19},    {"Command5", "client", 224, 288, 129, 25},
        {"Label1", "client", 15, 328, 165, 15},    {"Combo2", "client", 172, 380, 141, 21},
        {"txtGuide", "client", 10, 412, 483, 85},  {"Label17", "client", 6, 408, 489, 93},
        {"Label2", "client", 0, 326, 508, 20},     {"Label3", "client", 28, 296, 164, 12},
        {"txtHelp", "client", 4, 352, 493, 149},   {"Command6", "client", 344, 328, 121, 17},
    };
    for (const auto& [name, container, x, y, w, h] : rows)
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(container) << QRect(x, y, w, h);
}

void tst_FormSupport::geometry()
{
    QFETCH(QString, name);
    QFETCH(QString, container);
    QFETCH(QRect, pixels);
    const QWidget* w = f->findChild<QWidget*>(name);
    QVERIFY(w);
    QCOMPARE(w->parentWidget()->objectName(), container);
    const auto* label = qobject_cast<const QLabel*>(w);
    if (label && w->width() > pixels.width()) {
        // Only a caption the designed width would cut grows, to the right.
        QCOMPARE(w->pos(), pixels.topLeft());
        QCOMPARE(w->height(), pixels.height());
        QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) > pixels.width() - 2 * label->margin());
        return;
    }
    QCOMPARE(w->geometry(), pixels);
}

void tst_FormSupport::fixedClientArea()
{
    QCOMPARE(f->centralWidget()->size(), QSize(503, 506));
    QCOMPARE(f->minimumSize(), f->maximumSize());
    QCOMPARE(f->size(), f->minimumSize());
    QCOMPARE(f->height(), 506 + f->menuBar()->height());
    QVERIFY(!(f->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QVERIFY(f->windowFlags() & Qt::WindowCloseButtonHint);
    // Centred on the screen it opened on.
    const QPoint offset = f->frameGeometry().center() - f->screen()->availableGeometry().center();
    QVERIFY2(qAbs(offset.x()) <= 1 && qAbs(offset.y()) <= 1, qPrintable(QStringLiteral("%1,%2").arg(offset.x()).arg(offset.y())));
}

void tst_FormSupport::fonts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("family");
    QTest::addColumn<qreal>("points");
    QTest::addColumn<bool>("bold");
    const QString g = u"ＭＳ ゴシック"_s, p = u"ＭＳ Ｐゴシック"_s;
    for (const char* n : {"txtName", "txtAddress", "txtPOP", "txtSMTP", "txtID", "txtPW"})
        QTest::newRow(n) << QString::fromLatin1(n) << g << 9.75 << false;
    for (const char* n : {"lblName0", "lblAddress0", "lblPOP0", "lblSMTP0", "lblID0", "lblPW0", "Label8", "Label16",
                          "Combo1", "Combo2", "Command1", "Command3", "txtHelp"})
        QTest::newRow(n) << QString::fromLatin1(n) << p << 9.75 << false;
    QTest::newRow("Label15") << u"Label15"_s << p << 9.0 << true;
    QTest::newRow("Label18") << u"Label18"_s << p << 9.0 << true;
    QTest::newRow("Label1") << u"Label1"_s << p << 11.25 << true;
    // The rest use the window's font, the same family at 9 points.
    QTest::newRow("Command5") << u"Command5"_s << p << 9.0 << false;
    QTest::newRow("lblName") << u"lblName"_s << p << 9.0 << false;
}

void tst_FormSupport::fonts()
{
    QFETCH(QString, name);
    QFETCH(QString, family);
    QFETCH(qreal, points);
    QFETCH(bool, bold);
    const QWidget* w = f->findChild<QWidget*>(name);
    QVERIFY(w);
    QCOMPARE(w->font().family(), family);
    QCOMPARE(w->font().pointSizeF(), points);
    QCOMPARE(w->font().bold(), bold);
}

void tst_FormSupport::fontSubstitutes()
{
#ifdef Q_OS_WIN
    QSKIP("Windows has the layout's own fonts; the substitutes are Linux's");
#endif
    QCOMPARE(QFontInfo(ui().edit("txtName")->font()).family(), u"IPAGothic"_s);
    QCOMPARE(QFontInfo(ui().label("lblName0")->font()).family(), u"IPAPGothic"_s);
}

void tst_FormSupport::japaneseQtTexts()
{
    const QString english = u"&Yes"_s;
    QVERIFY(installJapaneseTranslation(*qApp));
    const QString yes = QCoreApplication::translate("QPlatformTheme", "&Yes");
    QVERIFY2(yes != english && yes.contains(u"はい"_s), qPrintable(yes));
}

void tst_FormSupport::coloursAndPointers()
{
    const QColor red(0xC0, 0, 0);
    for (const QLabel* l : {ui().label("lblName"), ui().label("lblAddress"), ui().label("lblPOP"),
                            ui().label("lblSMTP"), ui().label("lblID"), ui().label("lblPW")})
        QCOMPARE(l->palette().color(QPalette::WindowText), red);
    QCOMPARE(ui().label("Label3")->palette().color(QPalette::WindowText), QColor(0, 0, 0x80));
    QCOMPARE(ui().label("Label1")->palette().color(QPalette::WindowText),
             f->palette().color(QPalette::Highlight));
    QVERIFY(ui().label("Label2")->autoFillBackground());
    QCOMPARE(ui().label("Label2")->palette().color(QPalette::Window),
             f->palette().color(QPalette::Disabled, QPalette::Text));
    QCOMPARE(ui().pane("txtHelp")->palette().color(QPalette::Base),
             f->palette().color(QPalette::ToolTipBase));
    QCOMPARE(ui().pane("txtHelp")->palette().color(QPalette::Text),
             f->palette().color(QPalette::ToolTipText));
    QCOMPARE(ui().pane("txtGuide")->palette().color(QPalette::Base), f->palette().color(QPalette::Midlight));
    QCOMPARE(ui().label("Label17")->frameShape(), QFrame::Box);
    for (const QLabel* l : {ui().label("lblName0"), ui().label("lblAddress0"), ui().label("lblPOP0"),
                            ui().label("lblSMTP0"), ui().label("lblID0"), ui().label("lblPW0")})
        QCOMPARE(l->cursor().shape(), Qt::WhatsThisCursor);
    QCOMPARE(ui().edit("txtPW")->echoMode(), QLineEdit::Normal);
    QVERIFY(ui().edit("txtName")->testAttribute(Qt::WA_InputMethodEnabled));
}

void tst_FormSupport::panes()
{
    // The help pane lies over the provider rows and the guide pane.
    const QList<QObject*> stack = f->centralWidget()->children();
    for (const QWidget* under :
         {static_cast<QWidget*>(ui().list("Combo1")), static_cast<QWidget*>(ui().pane("txtGuide")),
          static_cast<QWidget*>(ui().label("Label17")), static_cast<QWidget*>(ui().button("Command3"))})
        QVERIFY(stack.indexOf(ui().pane("txtHelp")) > stack.indexOf(under));
    QVERIFY(stack.indexOf(ui().button("Command6")) > stack.indexOf(ui().label("Label2")));
    QVERIFY(stack.indexOf(ui().label("Label1")) > stack.indexOf(ui().label("Label2")));
    for (const QPlainTextEdit* pane : {static_cast<QPlainTextEdit*>(ui().pane("txtGuide")),
                                       static_cast<QPlainTextEdit*>(ui().pane("txtHelp"))}) {
        QVERIFY(pane->tabChangesFocus());
        QCOMPARE(pane->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    }
    QCOMPARE(ui().pane("txtGuide")->toPlainText(), QString(ExpectedGuide).replace(u"\r\n"_s, u"\n"_s));
}

void tst_FormSupport::menus_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("menu");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("text");
    const std::tuple<const char*, const char*, int, QString> rows[] = {
        {"mnu_file_open", "mnu_file", 0, u"アカウントデータを読み込む(&O)..."_s},
        {"mnu_file_save", "mnu_file", 1, u"アカウントデータを保存(&S)..."_s},
        {"dummy001", "mnu_file", 2, QString()},
        {"mnu_file_fdopen", "mnu_file", 3, u"フロッピーディスクから読み込む(&R)..."_s},
        {"mnu_file_fdsave", "mnu_file", 4, u"フロッピーディスクに書き込む(&W)..."_s},
        {"dummy05", "mnu_file", 5, QString()},
        {"mnu_file_exit", "mnu_file", 6, u"終了(&X)"_s},
        {"mnu_edit_clear", "mnu_edit", 0, u"すべてクリア(&C)"_s},
        {"mnu_help_web1", "mnu_help", 0, u"VORNIX商品情報のWebページ(&M)"_s},
        {"mnu_help_web2", "mnu_help", 1, u"最新サポート情報のWebページ(&S)"_s},
        {"duumy01", "mnu_help", 2, QString()},
        {"mnu_help_ver", "mnu_help", 3, u"バージョン情報(&A)..."_s},
    };
    for (const auto& [name, menu, position, text] : rows)
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(menu) << position << text;
}

void tst_FormSupport::menus()
{
    QFETCH(QString, name);
    QFETCH(QString, menu);
    QFETCH(int, position);
    QFETCH(QString, text);
    const QList<QAction*> bar = f->menuBar()->actions();
    QCOMPARE(bar.size(), 3);
    QCOMPARE(bar[0]->text(), u"ファイル(&F)"_s);
    QCOMPARE(bar[1]->text(), u"編集(&E)"_s);
    QCOMPARE(bar[2]->text(), u"ヘルプ(&H)"_s);
    QCOMPARE(ui().menu("mnu_file")->actions().size(), 7);
    QCOMPARE(ui().menu("mnu_edit")->actions().size(), 1);
    QCOMPARE(ui().menu("mnu_help")->actions().size(), 4);

    const QMenu* m = f->findChild<QMenu*>(menu);
    QVERIFY(m);
    const QAction* a = m->actions().value(position);
    QVERIFY(a);
    QCOMPARE(a->objectName(), name);
    QCOMPARE(a->isSeparator(), text.isEmpty());
    QCOMPARE(a->text(), text);
    QVERIFY(a->shortcut().isEmpty());
}

void tst_FormSupport::accessibleNames()
{
    const std::pair<QWidget*, QString> rows[] = {
        {ui().edit("txtName"), u"差出人の名前"_s},
        {ui().edit("txtAddress"), u"メールアドレス"_s},
        {ui().edit("txtPOP"), u"POPサーバー(受信)"_s},
        {ui().edit("txtSMTP"), u"SMTPサーバー(送信)"_s},
        {ui().edit("txtID"), u"メールID(アカウント)"_s},
        {ui().edit("txtPW"), u"メールパスワード"_s},
        {ui().button("Command4"), u"↓自動"_s},
        {ui().button("Command5"), u"すべてクリア"_s},
        {ui().button("Command2"), u"高度な設定"_s},
        {ui().list("Combo1"), u"参照用プロバイダの選択"_s},
        {ui().button("Command1"), u"参考に読み込む"_s},
        {ui().list("Combo2"), u"閲覧用プロバイダの選択"_s},
        {ui().button("Command3"), u"IEで参照する"_s},
        {ui().pane("txtGuide"), u"説明ウインド"_s},
        {ui().pane("txtHelp"), u"詳細ヘルプウインド"_s},
        {ui().button("Command6"), u"ヘルプを閉じる(C)"_s},
    };
    for (const auto& [w, name] : rows)
        QCOMPARE(w->accessibleName(), name);
    // No other control of the window takes the focus.
    for (const QWidget* w : f->findChildren<QWidget*>()) {
        const bool listed = std::any_of(std::begin(rows), std::end(rows), [w](const auto& r) { return r.first == w; });
        if (!listed && w->isVisibleTo(f) && (w->focusPolicy() & Qt::TabFocus))
            QFAIL(qPrintable(u"unexpected focus stop "_s + w->objectName() + u" "_s + QString::fromLatin1(w->metaObject()->className())));
    }
}

void tst_FormSupport::tabCycle()
{
    const QStringList cycle = {u"txtAddress"_s, u"Command4"_s, u"txtPOP"_s,   u"txtSMTP"_s,  u"txtID"_s,
                               u"txtPW"_s,      u"Command5"_s, u"Command2"_s, u"Combo1"_s,   u"Command1"_s,
                               u"Combo2"_s,     u"Command3"_s, u"txtGuide"_s, u"txtName"_s};
    for (const QString& next : cycle) {
        AppFixture::key(Qt::Key_Tab);
        QTRY_COMPARE(AppFixture::focusName(), next);
    }
    for (qsizetype i = cycle.size() - 2; i >= -1; --i) {
        AppFixture::key(Qt::Key_Backtab, Qt::ShiftModifier);
        QTRY_COMPARE(AppFixture::focusName(), i >= 0 ? cycle[i] : cycle.last());
    }
}

void tst_FormSupport::altFOpensFileMenu()
{
    // Twice: with two owners of Alt+F Qt would hand the key to each in turn.
    for (int round = 0; round < 2; ++round) {
        AppFixture::key(Qt::Key_F, Qt::AltModifier);
        QTRY_VERIFY(ui().menu("mnu_file")->isVisible());
        QTest::keyClick(ui().menu("mnu_file"), Qt::Key_Escape);
        QTRY_VERIFY(!ui().menu("mnu_file")->isVisible());
        QTest::keyClick(f->menuBar(), Qt::Key_Escape);
        QTRY_COMPARE(AppFixture::focusName(), u"txtName"_s);
    }
}

void tst_FormSupport::altSGoesToPopServer()
{
    // Into the frame's first field, not back to the field of the frame used last.
    ui().edit("txtID")->setFocus(Qt::MouseFocusReason);
    QTRY_COMPARE(AppFixture::focusName(), u"txtID"_s);
    ui().edit("txtName")->setFocus(Qt::MouseFocusReason);
    QTRY_COMPARE(AppFixture::focusName(), u"txtName"_s);
    AppFixture::key(Qt::Key_S, Qt::AltModifier);
    QTRY_COMPARE(AppFixture::focusName(), u"txtPOP"_s);
}

void tst_FormSupport::altSInsideFileMenuIsTheMenus_data()
{
    QTest::addColumn<bool>("altHeld");
    QTest::newRow("S") << false;
    QTest::newRow("Alt still held from Alt+F") << true;
}

void tst_FormSupport::altSInsideFileMenuIsTheMenus()
{
    QFETCH(bool, altHeld);
    QSignalSpy save(ui().action("mnu_file_save"), &QAction::triggered);
    AppFixture::key(Qt::Key_F, Qt::AltModifier);
    QTRY_VERIFY(ui().menu("mnu_file")->isVisible());
    // No new press of Alt itself: the key is still down from opening the menu.
    const Qt::KeyboardModifiers held = altHeld ? Qt::AltModifier : Qt::NoModifier;
    QTest::simulateEvent(ui().menu("mnu_file"), true, Qt::Key_S, held, u"s"_s, false);
    QTest::simulateEvent(ui().menu("mnu_file"), false, Qt::Key_S, held, u"s"_s, false);
    QTRY_COMPARE(save.size(), 1);
    QTRY_VERIFY(!ui().menu("mnu_file")->isVisible());
    QCOMPARE(AppFixture::focusName(), u"txtName"_s);
}

void tst_FormSupport::frameClick_data()
{
    QTest::addColumn<QString>("frame");
    QTest::addColumn<QString>("field");
    QTest::newRow("Frame1") << u"Frame1"_s << u"txtName"_s;
    QTest::newRow("Frame2") << u"Frame2"_s << u"txtPOP"_s;
}

void tst_FormSupport::frameClick()
{
    QFETCH(QString, frame);
    QFETCH(QString, field);
    ui().button("Command2")->setFocus(Qt::MouseFocusReason);
    QTRY_COMPARE(AppFixture::focusName(), u"Command2"_s);
    // A click on a hint inside the frame is not a click on the frame.
    QTest::mouseClick(f->findChild<QWidget*>(frame == u"Frame1"_s ? u"lblName"_s : u"lblPOP"_s), Qt::LeftButton);
    AppFixture::settle();
    QCOMPARE(AppFixture::focusName(), u"Command2"_s);
    QTest::mouseClick(f->findChild<QWidget*>(frame), Qt::LeftButton, {}, QPoint(8, 40));
    QTRY_COMPARE(AppFixture::focusName(), field);
}

void tst_FormSupport::clearAll_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("yes");
    for (const char* how : {"button click", "Enter on button", "menu"}) {
        QTest::addRow("%s, Yes", how) << QString::fromLatin1(how) << true;
        QTest::addRow("%s, No", how) << QString::fromLatin1(how) << false;
    }
}

void tst_FormSupport::clearAll()
{
    QFETCH(QString, how);
    QFETCH(bool, yes);
    const QStringList filled = {u" 名前 "_s, u"a@b.ne.jp"_s, u"pop"_s, u"smtp"_s, u"id"_s, u"pw"_s};
    QLineEdit* const fields[] = {ui().edit("txtName"), ui().edit("txtAddress"), ui().edit("txtPOP"),
                                 ui().edit("txtSMTP"), ui().edit("txtID"),      ui().edit("txtPW")};
    for (int i = 0; i < 6; ++i)
        fields[i]->setText(filled[i]);
    ui().list("Combo1")->setCurrentIndex(2);
    ui().list("Combo2")->setCurrentIndex(4);
    Acd& acd = m_app->program().acd();
    acd.Title = u"t"_s;
    acd.FromName = u"old"_s;
    acd.SmtpPort = 587;
    acd.PopStock = 1;
    const Acd before = acd;
    m_app->messageBox->nextAnswer = yes ? MessageBox::Answer::Yes : MessageBox::Answer::No;
    ui().button("Command5")->setFocus(Qt::MouseFocusReason);
    QTRY_COMPARE(AppFixture::focusName(), u"Command5"_s);
    m_app->clearCalls();

    if (how == u"menu"_s)
        ui().action("mnu_edit_clear")->trigger();
    else if (how == u"button click"_s)
        QTest::mouseClick(ui().button("Command5"), Qt::LeftButton);
    else
        AppFixture::key(Qt::Key_Return);
    AppFixture::settle();

    QCOMPARE(m_app->messageBox->shown.size(), 1);
    QCOMPARE(m_app->messageBox->shown[0].kind, u"question"_s);
    QCOMPARE(m_app->messageBox->shown[0].text, u"現在の設定をクリアします。よろしいですか?"_s);
    QCOMPARE(m_app->messageBox->shown[0].title, u"すべてクリア"_s);
    if (yes) {
        QCOMPARE(fieldTexts(ui()), QStringList(6, QString()));
        QCOMPARE(acd, Acd{});
        QCOMPARE(ui().list("Combo1")->currentIndex(), -1);
        QCOMPARE(ui().list("Combo2")->currentIndex(), -1);
        QCOMPARE(comboItems(ui().list("Combo1")), ProviderNames);
        QCOMPARE(comboItems(ui().list("Combo2")), ProviderNames);
    } else {
        QCOMPARE(fieldTexts(ui()), filled);
        QCOMPARE(acd, before);
        QCOMPARE(ui().list("Combo1")->currentIndex(), 2);
        QCOMPARE(ui().list("Combo2")->currentIndex(), 4);
    }
    QCOMPARE(AppFixture::focusName(), u"Command5"_s);
    QCOMPARE(m_app->calls(), QStringList());
}

void tst_FormSupport::exitEndsAtOnce_data()
{
    QTest::addColumn<bool>("viaMenu");
    QTest::newRow("menu") << true;
    QTest::newRow("close box") << false;
}

void tst_FormSupport::exitEndsAtOnce()
{
    QFETCH(bool, viaMenu);
    ui().edit("txtName")->setText(u"unsaved"_s);
    m_app->clearCalls();
    if (viaMenu)
        ui().action("mnu_file_exit")->trigger();
    else
        QVERIFY(f->close());
    QTRY_VERIFY(!f->isVisible());
    // Closing the one window is what ends the event loop.
    QVERIFY(f->testAttribute(Qt::WA_QuitOnClose));
    QVERIFY(m_app->messageBox->shown.isEmpty());
    QVERIFY(m_app->calls().isEmpty());
}

void tst_FormSupport::editorRoundTrip()
{
    // Spaces at either end and values longer than a line edit's usual limit
    // come back unchanged.
    const QString longValue(40000, u'x');
    const QStringList values = {u"  名前　"_s, u" a@b "_s, longValue, u"smtp "_s, u" id"_s, u"p w"_s};
    QLineEdit* const fields[] = {ui().edit("txtName"), ui().edit("txtAddress"), ui().edit("txtPOP"),
                                 ui().edit("txtSMTP"), ui().edit("txtID"),      ui().edit("txtPW")};
    for (int i = 0; i < 6; ++i)
        fields[i]->setText(values[i]);
    f->Edit2Acd();
    Acd& acd = m_app->program().acd();
    QCOMPARE(acd.FromName, values[0]);
    QCOMPARE(acd.FromMail, values[1]);
    QCOMPARE(acd.Pop, values[2]);
    QCOMPARE(acd.Smtp, values[3]);
    QCOMPARE(acd.PopUser, values[4]);
    QCOMPARE(acd.Poppass, values[5]);
    QCOMPARE(acd.Title, QString());
    for (QLineEdit* e : fields)
        e->clear();
    f->Acd2Editer();
    QCOMPARE(fieldTexts(ui()), values);
    QCOMPARE(ui().list("Combo1")->currentIndex(), -1);
}

void tst_FormSupport::comboDisp_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("selected");
    QTest::newRow("empty") << QString() << -1;
    QTest::newRow("no at-mark") << u"user.nifty.com"_s << -1;
    QTest::newRow("nothing before @") << u"@nifty.com"_s << -1;
    QTest::newRow("spaces before @") << u"  @nifty.com"_s << -1;
    QTest::newRow("nothing after @") << u"user@"_s << -1;
    QTest::newRow("spaces after @") << u"user@  "_s << -1;
    QTest::newRow("nifty exact") << u"abc12345@nifty.com"_s << 0;
    QTest::newRow("nifty subdomain") << u"a@x.nifty.com"_s << -1;
    QTest::newRow("biglobe subdomain") << u"a@mb.biglobe.ne.jp"_s << 1;
    QTest::newRow("ocn") << u"a@ab.ocn.ne.jp"_s << 2;
    QTest::newRow("dion") << u"a@f1.dion.ne.jp"_s << 3;
    QTest::newRow("so-net") << u"a@xa.so-net.ne.jp"_s << 4;
    QTest::newRow("odn") << u"a@ma.odn.ne.jp"_s << 5;
    QTest::newRow("capitals") << u"a@AB.OCN.NE.JP"_s << -1;
    QTest::newRow("two domains, earlier wins") << u"a@odn.ne.jp.biglobe.ne.jp"_s << 1;
    QTest::newRow("second @ belongs to domain") << u"a@b@ocn.ne.jp"_s << 2;
}

void tst_FormSupport::comboDisp()
{
    QFETCH(QString, address);
    QFETCH(int, selected);
    // An unrecognised address leaves what was selected before.
    ui().list("Combo1")->setCurrentIndex(-1);
    ui().list("Combo2")->setCurrentIndex(-1);
    ui().edit("txtAddress")->setText(address);
    f->ComboDisp();
    QCOMPARE(ui().list("Combo1")->currentIndex(), selected);
    QCOMPARE(ui().list("Combo2")->currentIndex(), selected);
    if (selected < 0) {
        ui().list("Combo1")->setCurrentIndex(3);
        ui().list("Combo2")->setCurrentIndex(1);
        f->ComboDisp();
        QCOMPARE(ui().list("Combo1")->currentIndex(), 3);
        QCOMPARE(ui().list("Combo2")->currentIndex(), 1);
    }
    QCOMPARE(m_app->calls().size(), 3); // start-up only: selecting speaks nothing
}

QTEST_MAIN(tst_FormSupport)
#include "tst_formsupport.moc"
