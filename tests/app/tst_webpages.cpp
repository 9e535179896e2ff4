// The commands that reach outside the window: the provider home page, the
// maker's two web pages and the version dialog.

#include "AppFixture.h"
#include "ModalHelper.h"
#include "WindowControls.h"
#include "app/FormSupport.h"

#include <QAction>
#include <QLabel>
#include <QTest>

using namespace Qt::StringLiterals;

namespace
{

const QStringList HomePages = {u"http://www.nifty.com"_s,    u"http://www.biglobe.ne.jp"_s,
                               u"http://www.ocn.ne.jp"_s,    u"http://www.dion.ne.jp"_s,
                               u"http://www.so-net.ne.jp"_s, u"http://www.odn.ne.jp"_s};
const QString ProductPage = u"http://www.example.com/voxbridge/vornix/"_s;
const QString SupportPage = u"http://www.example.com/voxbridge/support/"_s;

// The events of one successful opening of object n.
QStringList opened(int n, const QString& url)
{
    return {u"create %1"_s.arg(n), u"Navigate2 %1 %2"_s.arg(n).arg(url), u"Visible %1 true"_s.arg(n)};
}

} // namespace

class tst_WebPages : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void noSelectionDoesNothing();
    void homePageOfEachProvider_data();
    void homePageOfEachProvider();
    void eachPressReplacesTheKeptObject();
    void failuresStopSilently_data();
    void failuresStopSilently();
    void sampleSelectsTheHomePage();
    void menuPagesKeepTheirOwnObjects();

    void versionDialogFromMenu_data();
    void versionDialogFromMenu();

private:
    void pressCommand3();

    std::unique_ptr<AppFixture> m_app;
    FormSupport* f = nullptr;
    WindowControls ui() const { return WindowControls(f); }
};

void tst_WebPages::init()
{
    m_app = std::make_unique<AppFixture>();
    QVERIFY(m_app->start());
    f = &m_app->form();
}

void tst_WebPages::cleanup()
{
    f = nullptr;
    m_app.reset();
}

void tst_WebPages::pressCommand3()
{
    ui().button("Command3")->setFocus(Qt::OtherFocusReason);
    QTRY_COMPARE(AppFixture::focusName(), u"Command3"_s);
    m_app->clearCalls();
    AppFixture::key(Qt::Key_Return);
    AppFixture::settle();
}

void tst_WebPages::noSelectionDoesNothing()
{
    pressCommand3();
    QVERIFY(m_app->browsers->events.isEmpty());
    QVERIFY(m_app->messageBox->shown.isEmpty());
    QCOMPARE(AppFixture::focusName(), u"Command3"_s);
}

void tst_WebPages::homePageOfEachProvider_data()
{
    QTest::addColumn<int>("provider");
    for (int i = 0; i < 6; ++i)
        QTest::addRow("%d", i) << i;
}

void tst_WebPages::homePageOfEachProvider()
{
    QFETCH(int, provider);
    // The upper list has nothing to say here.
    ui().list("Combo1")->setCurrentIndex((provider + 1) % 6);
    ui().list("Combo2")->setCurrentIndex(provider);
    pressCommand3();
    QCOMPARE(m_app->browsers->events, opened(1, HomePages[provider]));
    // Nothing is said and the focus stays.
    QVERIFY(m_app->calls().isEmpty());
    QCOMPARE(AppFixture::focusName(), u"Command3"_s);
}

void tst_WebPages::eachPressReplacesTheKeptObject()
{
    ui().list("Combo2")->setCurrentIndex(2);
    pressCommand3();
    pressCommand3();
    const QStringList second = {u"create 2"_s, u"release 1"_s, u"Navigate2 2 "_s + HomePages[2],
                                u"Visible 2 true"_s};
    QCOMPARE(m_app->browsers->events, opened(1, HomePages[2]) + second);
    QCOMPARE(m_app->browsers->alive, 1);
    pressCommand3();
    QCOMPARE(m_app->browsers->created, 3);
    QCOMPARE(m_app->browsers->alive, 1);
}

void tst_WebPages::failuresStopSilently_data()
{
    QTest::addColumn<QString>("failing");
    QTest::addColumn<QStringList>("events");
    QTest::newRow("create") << u"create"_s << QStringList{u"create failed"_s};
    QTest::newRow("navigate") << u"navigate"_s
                              << QStringList{u"create 2"_s, u"release 1"_s, u"Navigate2 2 "_s + HomePages[5]};
    QTest::newRow("show") << u"show"_s
                          << QStringList{u"create 2"_s, u"release 1"_s, u"Navigate2 2 "_s + HomePages[5],
                                         u"Visible 2 true"_s};
}

void tst_WebPages::failuresStopSilently()
{
    QFETCH(QString, failing);
    QFETCH(QStringList, events);
    ui().list("Combo2")->setCurrentIndex(5);
    pressCommand3();
    m_app->browsers->events.clear();
    auto& log = *m_app->browsers;
    log.failCreate = failing == u"create"_s;
    log.failNavigate = failing == u"navigate"_s;
    log.failShow = failing == u"show"_s;
    pressCommand3();
    QCOMPARE(log.events, events);
    // An object that could not be created leaves the one kept before.
    QCOMPARE(log.alive, 1);
    QVERIFY(m_app->messageBox->shown.isEmpty());
    QVERIFY(m_app->calls().isEmpty());
    // The tool goes on: the keyboard still moves and things are said.
    QCOMPARE(AppFixture::focusName(), u"Command3"_s);
    AppFixture::key(Qt::Key_Tab);
    QTRY_COMPARE(AppFixture::focusName(), u"txtGuide"_s);
    QVERIFY(!m_app->calls().isEmpty());
    // And once the browser works again, so does the command.
    log.failCreate = log.failNavigate = log.failShow = false;
    log.events.clear();
    pressCommand3();
    QCOMPARE(log.shownUrls.last(), HomePages[5]);
}

void tst_WebPages::sampleSelectsTheHomePage()
{
    ui().list("Combo1")->setCurrentIndex(3);
    QTest::mouseClick(ui().button("Command1"), Qt::LeftButton);
    QTRY_COMPARE(AppFixture::focusName(), u"txtName"_s);
    QCOMPARE(ui().list("Combo2")->currentIndex(), 3);
    pressCommand3();
    QCOMPARE(m_app->browsers->shownUrls, QStringList{HomePages[3]});
}

void tst_WebPages::menuPagesKeepTheirOwnObjects()
{
    ui().list("Combo2")->setCurrentIndex(0);
    pressCommand3();             // object 1, kept by the home-page command
    ui().action("mnu_help_web1")->trigger(); // 2
    ui().action("mnu_help_web2")->trigger(); // 3
    QCOMPARE(m_app->browsers->shownUrls, QStringList({HomePages[0], ProductPage, SupportPage}));
    QCOMPARE(m_app->browsers->alive, 3);
    m_app->browsers->events.clear();
    ui().action("mnu_help_web1")->trigger(); // 4 replaces 2 only
    QCOMPARE(m_app->browsers->events, QStringList({u"create 4"_s, u"release 2"_s,
                                                   u"Navigate2 4 "_s + ProductPage, u"Visible 4 true"_s}));
    ui().action("mnu_help_web2")->trigger(); // 5 replaces 3 only
    QVERIFY(m_app->browsers->events.contains(u"release 3"_s));
    QCOMPARE(m_app->browsers->alive, 3);
    QVERIFY(m_app->messageBox->shown.isEmpty());
}

void tst_WebPages::versionDialogFromMenu_data()
{
    QTest::addColumn<bool>("running");
    QTest::addColumn<QString>("runningText");
    QTest::newRow("not running") << false << u"Voxbridgeは起動していません"_s;
    QTest::newRow("running") << true << u"Voxbridgeは起動中です"_s;
}

void tst_WebPages::versionDialogFromMenu()
{
    QFETCH(bool, running);
    QFETCH(QString, runningText);
    if (running)
        m_app->modules->loaded.insert(u"vxbcore.dll"_s);
    ui().edit("txtPOP")->setFocus(Qt::OtherFocusReason);
    QTRY_COMPARE(AppFixture::focusName(), u"txtPOP"_s);
    QString title;
    QString label2;
    QString focused;
    ModalHelper helper([&](QWidget* dialog) {
        title = dialog->windowTitle();
        label2 = dialog->findChild<QLabel*>(u"Label2"_s)->text();
        focused = AppFixture::focusName();
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    ui().action("mnu_help_ver")->trigger();
    QVERIFY(helper.ran());
    QVERIFY(!helper.forcedClose());
    QCOMPARE(title, u"バージョン情報"_s);
    QCOMPARE(label2, runningText);
    QCOMPARE(focused, u"cmdOK"_s);
    QVERIFY(m_app->modules->asked.contains(u"vxbcore.dll"_s));
    // Back in the main window where the user was.
    QTRY_COMPARE(AppFixture::focusName(), u"txtPOP"_s);
    QVERIFY(f->findChildren<QDialog*>().isEmpty());
}

QTEST_MAIN(tst_WebPages)
#include "tst_webpages.moc"
