#include "app/WebPages.h"
#include "platform/linux/LinuxBrowser.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace
{

// Environment variables the test changes; each is put back afterwards.
const char* const Touched[] = {"PATH",
                               "BROWSER",
                               "XDG_CURRENT_DESKTOP",
                               "DISPLAY",
                               "WAYLAND_DISPLAY",
                               "DESKTOP_SESSION",
                               "KDE_FULL_SESSION",
                               "GNOME_DESKTOP_SESSION_ID"};

} // namespace

// Runs the real xdg-open, pointed at a handler that writes down the URL it was
// given: the generic desktop without a display hands the URL to $BROWSER.
class tst_LinuxBrowser : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void createNeedsXdgOpen();
    void makerPages_data();
    void makerPages();
    void opensPageWithoutWaiting();
    void urlArrivesAsOneArgument();
    void showingTwiceOpensOnce();
    void navigatingWhileVisibleOpensTheNewPage();
    void refusesWhatIsNotAWebPage_data();
    void refusesWhatIsNotAWebPage();
    void missingProgramFails();
    void cannotBeHidden();

private:
    QStringList recorded() const;

    QTemporaryDir m_dir;
    QString m_record;
    QString m_gate;
    QHash<QByteArray, QByteArray> m_saved;
    QSet<QByteArray> m_wasSet;
};

void tst_LinuxBrowser::initTestCase()
{
    QVERIFY(m_dir.isValid());
    for (const char* name : Touched) {
        if (qEnvironmentVariableIsSet(name)) {
            m_wasSet.insert(name);
            m_saved.insert(name, qgetenv(name));
        }
    }
    m_record = m_dir.filePath(QStringLiteral("urls.txt"));
    const QString handler = m_dir.filePath(QStringLiteral("record-url.sh"));
    QFile script(handler);
    QVERIFY(script.open(QIODevice::WriteOnly));
    // The handler holds until the gate file exists (for half a minute at
    // most), so a test can tell whether the program waited for the browser.
    m_gate = m_dir.filePath(QStringLiteral("gate"));
    script.write("#!/bin/sh\nn=0\nwhile [ ! -e '" + m_gate.toLocal8Bit() +
                 "' ] && [ $n -lt 300 ]; do sleep 0.1; n=$((n+1)); done\n"
                 "printf '%s|%s\\n' \"$#\" \"$1\" >> '" + m_record.toLocal8Bit() + "'\n");
    script.close();
    QVERIFY(script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));

    qputenv("BROWSER", handler.toLocal8Bit() + " %s");
    qputenv("XDG_CURRENT_DESKTOP", "X-Generic");
    for (const char* name :
         {"DISPLAY", "WAYLAND_DISPLAY", "DESKTOP_SESSION", "KDE_FULL_SESSION", "GNOME_DESKTOP_SESSION_ID"})
        qunsetenv(name);
}

void tst_LinuxBrowser::init()
{
    QFile::remove(m_record);
    QFile gate(m_gate);
    QVERIFY(gate.open(QIODevice::WriteOnly));
}

void tst_LinuxBrowser::cleanupTestCase()
{
    // Let the last handlers finish before the folder goes.
    QFile gate(m_gate);
    QVERIFY(gate.open(QIODevice::WriteOnly));
    QTest::qWait(500);
    for (const char* name : Touched) {
        if (m_wasSet.contains(name))
            qputenv(name, m_saved.value(name));
        else
            qunsetenv(name);
    }
}

QStringList tst_LinuxBrowser::recorded() const
{
    QFile file(m_record);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

void tst_LinuxBrowser::createNeedsXdgOpen()
{
    QVERIFY(LinuxBrowser::create() != nullptr);

    const QByteArray path = qgetenv("PATH");
    QTemporaryDir empty;
    qputenv("PATH", QFile::encodeName(empty.path()));
    const bool created = LinuxBrowser::create() != nullptr;
    qputenv("PATH", path);
    QVERIFY(!created);
}

void tst_LinuxBrowser::makerPages_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("path");
    QTest::newRow("product") << WebPages::ProductPageUrl << "/voxbridge/vornix/";
    QTest::newRow("support") << WebPages::SupportPageUrl << "/voxbridge/support/";
}

void tst_LinuxBrowser::makerPages()
{
    QFETCH(QString, url);
    QFETCH(QString, path);
    const QUrl parsed(url, QUrl::StrictMode);
    QVERIFY(parsed.isValid());
    QCOMPARE(parsed.scheme(), QStringLiteral("http"));
    QCOMPARE(parsed.host(), WebPages::MakerHost);
    QCOMPARE(parsed.path(), path);
    QVERIFY(WebPages::MakerHost.endsWith(QStringLiteral("example.com")));
}

void tst_LinuxBrowser::opensPageWithoutWaiting()
{
    auto browser = LinuxBrowser::create();
    QVERIFY(browser);
    QVERIFY(browser->Navigate2(WebPages::ProductPageUrl));
    QVERIFY(QFile::remove(m_gate));
    QVERIFY(browser->setVisible(true));
    // Back while the browser is still held: the program did not wait for it.
    QVERIFY(recorded().isEmpty());
    QFile gate(m_gate);
    QVERIFY(gate.open(QIODevice::WriteOnly));
    QTRY_COMPARE_WITH_TIMEOUT(recorded(), QStringList{QStringLiteral("1|") + WebPages::ProductPageUrl},
                              15000);
}

void tst_LinuxBrowser::urlArrivesAsOneArgument()
{
    auto browser = LinuxBrowser::create();
    QVERIFY(browser);
    QVERIFY(browser->Navigate2(QStringLiteral("https://www.example.com/a b;c?q=日本&x=$(id)")));
    QVERIFY(browser->setVisible(true));
    QTRY_COMPARE_WITH_TIMEOUT(
        recorded(),
        QStringList{QStringLiteral("1|https://www.example.com/a%20b;c?q=%E6%97%A5%E6%9C%AC&x=$(id)")}, 15000);
}

void tst_LinuxBrowser::showingTwiceOpensOnce()
{
    auto browser = LinuxBrowser::create();
    QVERIFY(browser);
    QVERIFY(browser->Navigate2(WebPages::SupportPageUrl));
    QVERIFY(browser->setVisible(true));
    QVERIFY(browser->setVisible(true));
    QTRY_COMPARE_WITH_TIMEOUT(recorded().size(), 1, 15000);
    QTest::qWait(1500);
    QCOMPARE(recorded(), QStringList{QStringLiteral("1|") + WebPages::SupportPageUrl});
}

void tst_LinuxBrowser::navigatingWhileVisibleOpensTheNewPage()
{
    auto browser = LinuxBrowser::create();
    QVERIFY(browser);
    QVERIFY(browser->Navigate2(WebPages::ProductPageUrl));
    QVERIFY(browser->setVisible(true));
    QTRY_COMPARE_WITH_TIMEOUT(recorded().size(), 1, 15000);
    QVERIFY(browser->Navigate2(WebPages::SupportPageUrl));
    QTRY_COMPARE_WITH_TIMEOUT(recorded(),
                              QStringList({QStringLiteral("1|") + WebPages::ProductPageUrl,
                                           QStringLiteral("1|") + WebPages::SupportPageUrl}),
                              15000);
}

void tst_LinuxBrowser::refusesWhatIsNotAWebPage_data()
{
    QTest::addColumn<QString>("url");
    QTest::newRow("empty") << "";
    QTest::newRow("local file") << "file:///etc/passwd";
    QTest::newRow("plain path") << "/etc/passwd";
    QTest::newRow("option") << "--help";
    QTest::newRow("other scheme") << "ftp://www.example.com/";
    QTest::newRow("script") << "javascript:alert(1)";
    QTest::newRow("no host") << "http://";
    QTest::newRow("not a URL") << "http://exa mple.com/";
}

// Nothing that is not an http or https page reaches xdg-open, and a failed
// Navigate2 leaves nothing to show.
void tst_LinuxBrowser::refusesWhatIsNotAWebPage()
{
    QFETCH(QString, url);
    auto browser = LinuxBrowser::create();
    QVERIFY(browser);
    QVERIFY(!browser->Navigate2(url));
    QVERIFY(!browser->setVisible(true));

    // A good page first, then a bad one: the bad one replaces it.
    auto second = LinuxBrowser::create();
    QVERIFY(second->Navigate2(WebPages::ProductPageUrl));
    QVERIFY(!second->Navigate2(url));
    QVERIFY(!second->setVisible(true));
    QTest::qWait(QTest::currentDataTag() == QByteArrayLiteral("not a URL") ? 1500 : 0);
    QCOMPARE(recorded(), QStringList());
}

void tst_LinuxBrowser::missingProgramFails()
{
    LinuxBrowser browser(m_dir.filePath(QStringLiteral("no-such-program")));
    QVERIFY(browser.Navigate2(WebPages::ProductPageUrl));
    QVERIFY(!browser.setVisible(true));
}

void tst_LinuxBrowser::cannotBeHidden()
{
    auto browser = LinuxBrowser::create();
    QVERIFY(browser->Navigate2(WebPages::ProductPageUrl));
    QVERIFY(!browser->setVisible(false));
    QTest::qWait(300);
    QCOMPARE(recorded(), QStringList());
}

QTEST_GUILESS_MAIN(tst_LinuxBrowser)
#include "tst_linuxbrowser.moc"
