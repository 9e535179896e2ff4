#include "FakeModulePresence.h"
#include "ModalHelper.h"
#include "RecordingSpeechObject.h"
#include "dialogs/frmAbout.h"
#include "speech/SpeechChannel.h"

#include <QApplication>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <memory>

namespace
{
const QChar Sep(0xF8F2);
const QString Installed = QStringLiteral("このパソコンにインストールされています");
const QString NotInstalled = QStringLiteral("このパソコンにはインストールされていません");
const QString Running = QStringLiteral("Voxbridgeは起動中です");
const QString NotRunning = QStringLiteral("Voxbridgeは起動していません");
const QString Module = QStringLiteral("vxbcore.dll");
} // namespace

class tst_FrmAbout : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void window();
    void showsTheProgramsIcon();
    void controls_data();
    void controls();
    void fonts_data();
    void fonts();
    void statusLines_data();
    void statusLines();
    void speechFailedDuringRunCountsAsNotInstalled();
    void announcementOnOpening();
    void silentWithoutSpeech();
    void announcesAgainWhenTheUserComesBack();
    void closesByKey_data();
    void closesByKey();
    void eachOpeningBuildsAfresh();

private:
    frmAbout* open();

    std::shared_ptr<RecordingSpeechObject::Log> m_log;
    std::unique_ptr<SpeechChannel> m_speech;
    FakeModulePresence m_modules;
    std::unique_ptr<frmAbout> m_dialog;
};

void tst_FrmAbout::init()
{
    m_log = std::make_shared<RecordingSpeechObject::Log>();
    m_speech = std::make_unique<SpeechChannel>();
    m_speech->VobrInit(RecordingSpeechObject::factory(m_log));
    m_log->clear();
    m_modules = FakeModulePresence();
}

void tst_FrmAbout::cleanup()
{
    m_dialog.reset();
    m_speech.reset();
}

frmAbout* tst_FrmAbout::open()
{
    m_dialog = std::make_unique<frmAbout>(*m_speech, m_modules);
    m_dialog->show();
    if (!QTest::qWaitForWindowActive(m_dialog.get()))
        qWarning("dialog did not become active");
    return m_dialog.get();
}

void tst_FrmAbout::window()
{
    open();
    QCOMPARE(m_dialog->objectName(), QStringLiteral("frmAbout"));
    QCOMPARE(m_dialog->windowTitle(), QStringLiteral("バージョン情報"));
    QCOMPARE(m_dialog->size(), QSize(403, 231));
    QCOMPARE(m_dialog->minimumSize(), m_dialog->maximumSize());
    QVERIFY(!(m_dialog->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    auto* ok = m_dialog->findChild<QPushButton*>(QStringLiteral("cmdOK"));
    QVERIFY(ok);
    QVERIFY(ok->isDefault());
    QVERIFY(ok->hasFocus());
    QVERIFY(!ok->accessibleName().isEmpty());
    // cmdOK is the only control that takes the focus.
    for (QWidget* w : m_dialog->findChildren<QWidget*>()) {
        if (w != ok)
            QVERIFY2(w->focusPolicy() == Qt::NoFocus, qPrintable(w->objectName()));
    }
}

// The picture is the program's own, drawn from its SVG at build time: the
// envelope's white on the blue tile, not a stock icon or an empty box.
void tst_FrmAbout::showsTheProgramsIcon()
{
    open();
    auto* picIcon = m_dialog->findChild<QLabel*>(QStringLiteral("picIcon"));
    QVERIFY(picIcon);
    const QImage image = picIcon->pixmap().toImage();
    QCOMPARE(image.size(), picIcon->size());
    const auto near = [&](QPoint at, QColor expected) {
        const QColor c = image.pixelColor(at);
        return qAbs(c.red() - expected.red()) < 24 && qAbs(c.green() - expected.green()) < 24 &&
               qAbs(c.blue() - expected.blue()) < 24 && c.alpha() > 230;
    };
    // Points of the 64-unit drawing scaled to the 36 px box: the tile above
    // the envelope, and the envelope below its flap.
    QVERIFY2(near(QPoint(18, 4), QColor(0x1f, 0x5f, 0xa8)), qPrintable(image.pixelColor(18, 4).name()));
    QVERIFY2(near(QPoint(14, 22), Qt::white), qPrintable(image.pixelColor(14, 22).name()));
}

void tst_FrmAbout::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QString>("text"); // "*": not compared here
    QTest::addColumn<QRect>("twips");
    QTest::newRow("cmdOK") << "cmdOK"
                           << "frmAbout"
                           << "OK" << QRect(4320, 2760, 1380, 405);
    QTest::newRow("picIcon") << "picIcon"
                             << "frmAbout"
                             << "*" << QRect(360, 300, 540, 540);
    QTest::newRow("lblDescription") << "lblDescription"
                                    << "frmAbout"
                                    << "*" << QRect(1260, 600, 2610, 195);
    QTest::newRow("lblDisclaimer") << "lblDisclaimer"
                                   << "frmAbout"
                                   << "【注意】このプログラムは、ボランティアや販売店など、ヴォルニクスをサポ"
                                      "ートされる方を支援する、フリーソフトです。"
                                   << QRect(375, 2685, 3750, 585);
    QTest::newRow("lblTitle") << "lblTitle"
                              << "frmAbout"
                              << "VORNIXサポートソフト" << QRect(1260, 240, 2430, 240);
    QTest::newRow("lblVersion")
        << "lblVersion"
        << "frmAbout"
        << QStringLiteral("Ver %1.%2.%3").arg(VX_VERSION_MAJOR).arg(VX_VERSION_MINOR).arg(VX_VERSION_PATCH)
        << QRect(3840, 240, 1245, 225);
    QTest::newRow("Frame1") << "Frame1"
                            << "frmAbout"
                            << "Voxbridge情報" << QRect(1200, 1080, 4095, 1035);
    QTest::newRow("Label1") << "Label1"
                            << "Frame1"
                            << "*" << QRect(360, 300, 2415, 180);
    QTest::newRow("Label2") << "Label2"
                            << "Frame1"
                            << "*" << QRect(360, 600, 2835, 255);
}

void tst_FrmAbout::controls()
{
    QFETCH(QString, name);
    QFETCH(QString, container);
    QFETCH(QString, text);
    QFETCH(QRect, twips);
    open();
    auto* w = m_dialog->findChild<QWidget*>(name);
    QVERIFY(w);
    QCOMPARE(w->parentWidget()->objectName(), container);
    const auto px = [](int t) { return qRound(t / 15.0); };
    const QRect designed(px(twips.x()), px(twips.y()), px(twips.width()), px(twips.height()));
    auto* label = qobject_cast<QLabel*>(w);
    if (label && w->width() > designed.width()) {
        // Lines whose text the layout's width would cut grow to show it whole.
        QCOMPARE(w->pos(), designed.topLeft());
        QCOMPARE(w->height(), designed.height());
        QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) > designed.width() - 2 * label->margin());
        // Whole, or as far as the next control on its row lets it.
        bool neighbourReached = false;
        for (const QWidget* sibling : w->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            neighbourReached = neighbourReached || sibling->x() == w->x() + w->width();
        QVERIFY2(w->sizeHint().width() <= w->width() || neighbourReached, qPrintable(name));
        QVERIFY(w->geometry().right() < w->parentWidget()->width());
    } else {
        QCOMPARE(w->geometry(), designed);
    }
    QVERIFY(w->isVisible());
    if (text == u"*")
        return;
    if (auto* label = qobject_cast<QLabel*>(w))
        QCOMPARE(label->text(), text);
    else if (auto* button = qobject_cast<QPushButton*>(w))
        QCOMPARE(button->text(), text);
    else if (auto* frame = qobject_cast<QGroupBox*>(w))
        QCOMPARE(frame->title(), text);
    else
        QFAIL("unexpected kind of control");
}

void tst_FrmAbout::fonts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<qreal>("pointSize");
    QTest::addColumn<bool>("bold");
    QTest::newRow("lblDescription") << "lblDescription" << 9.75 << false;
    QTest::newRow("lblTitle") << "lblTitle" << 12.0 << true;
    QTest::newRow("lblVersion") << "lblVersion" << 11.25 << false;
}

void tst_FrmAbout::fonts()
{
    QFETCH(QString, name);
    QFETCH(qreal, pointSize);
    QFETCH(bool, bold);
    open();
    auto* label = m_dialog->findChild<QLabel*>(name);
    QVERIFY(label);
    QCOMPARE(label->font().family(), QStringLiteral("ＭＳ Ｐゴシック"));
    QCOMPARE(label->font().pointSizeF(), pointSize);
    QCOMPARE(label->font().bold(), bold);
}

void tst_FrmAbout::statusLines_data()
{
    QTest::addColumn<bool>("speech");
    QTest::addColumn<bool>("standIn");
    QTest::addColumn<bool>("module");
    QTest::addColumn<QString>("label1");
    QTest::addColumn<QString>("label2");
    QTest::newRow("neither") << false << false << false << NotInstalled << NotRunning;
    QTest::newRow("installed, not running") << true << false << false << Installed << NotRunning;
    QTest::newRow("module without speech") << false << false << true << NotInstalled << Running;
    QTest::newRow("installed and running") << true << false << true << Installed << Running;
    QTest::newRow("system voice in its place") << true << true << false << NotInstalled << NotRunning;
}

void tst_FrmAbout::statusLines()
{
    QFETCH(bool, speech);
    QFETCH(bool, standIn);
    QFETCH(bool, module);
    QFETCH(QString, label1);
    QFETCH(QString, label2);
    m_log->standsIn = standIn;
    if (!speech) {
        m_speech = std::make_unique<SpeechChannel>();
        m_speech->VobrInit(SpeechObjectFactory());
    }
    if (module)
        m_modules.loaded.insert(Module);
    // Another module of a similar name is not the screen reader.
    m_modules.loaded.insert(QStringLiteral("vxbcore2.dll"));
    open();
    QCOMPARE(m_dialog->findChild<QLabel*>(QStringLiteral("Label1"))->text(), label1);
    QCOMPARE(m_dialog->findChild<QLabel*>(QStringLiteral("Label2"))->text(), label2);
    QCOMPARE(m_dialog->GetVobrLoad(), module);
    QVERIFY(m_modules.asked.contains(Module));
}

void tst_FrmAbout::speechFailedDuringRunCountsAsNotInstalled()
{
    m_log->failSpeakAt = 1;
    m_speech->Voice(QStringLiteral("x"));
    QVERIFY(!m_speech->VoiceEnabled());
    open();
    QCOMPARE(m_dialog->findChild<QLabel*>(QStringLiteral("Label1"))->text(), NotInstalled);
}

void tst_FrmAbout::announcementOnOpening()
{
    m_modules.loaded.insert(Module);
    open();
    QTest::qWait(20);
    const QString version =
        QStringLiteral("%1.%2.%3").arg(VX_VERSION_MAJOR).arg(VX_VERSION_MINOR).arg(VX_VERSION_PATCH);
    QCOMPARE(m_log->calls,
             QStringList({QStringLiteral("Interrupt"), QStringLiteral("Speak:VORNIXサポートソフト") + Sep +
                                                           QStringLiteral("バージョン") + version}));
    QCOMPARE(version, QStringLiteral("1.0.0"));
}

void tst_FrmAbout::silentWithoutSpeech()
{
    auto log = std::make_shared<RecordingSpeechObject::Log>();
    log->failConfigureAt = 1;
    m_speech = std::make_unique<SpeechChannel>();
    m_speech->VobrInit(RecordingSpeechObject::factory(log));
    open();
    QTest::qWait(20);
    QCOMPARE(log->calls, QStringList({QStringLiteral("Configure(33)")}));
    QCOMPARE(m_dialog->findChild<QLabel*>(QStringLiteral("Label1"))->text(), NotInstalled);
}

// Once per arrival: not twice on opening, but again after the user has been
// in another window.
void tst_FrmAbout::announcesAgainWhenTheUserComesBack()
{
    open();
    QTest::qWait(20);
    QCOMPARE(m_log->spoken().size(), 1);
    m_log->clear();

    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QCOMPARE(m_log->calls, QStringList());

    m_dialog->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_dialog.get()));
    QTest::qWait(20);
    QCOMPARE(m_log->calls, QStringList({QStringLiteral("Interrupt"),
                                        QStringLiteral("Speak:VORNIXサポートソフト") + Sep +
                                            QStringLiteral("バージョン") + frmAbout::versionNumber()}));
}

void tst_FrmAbout::closesByKey_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("Enter") << int(Qt::Key_Return);
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
    QTest::newRow("Esc") << int(Qt::Key_Escape);
    QTest::newRow("Space") << int(Qt::Key_Space);
}

void tst_FrmAbout::closesByKey()
{
    QFETCH(int, key);
    QWidget mainWindow;
    mainWindow.setGeometry(50, 40, 640, 480);
    mainWindow.show();
    QVERIFY(QTest::qWaitForWindowExposed(&mainWindow));

    bool centred = false;
    QString focus;
    ModalHelper helper([&](QWidget* dialog) {
        centred = (dialog->geometry().center() - mainWindow.frameGeometry().center()).manhattanLength() <= 2;
        focus = QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key),
                        key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
    });
    frmAbout::showModal(*m_speech, m_modules, &mainWindow);
    QVERIFY(helper.ran());
    QVERIFY(!helper.forcedClose());
    QVERIFY(helper.dialog() == nullptr);
    QVERIFY(centred);
    QCOMPARE(focus, QStringLiteral("cmdOK"));
}

// The status lines are worked out at each opening, in a new dialog.
void tst_FrmAbout::eachOpeningBuildsAfresh()
{
    QPointer<QWidget> first;
    QString firstStatus;
    {
        ModalHelper helper([&](QWidget* dialog) {
            first = dialog;
            firstStatus = dialog->findChild<QLabel*>(QStringLiteral("Label2"))->text();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        });
        frmAbout::showModal(*m_speech, m_modules, nullptr);
        QVERIFY(helper.ran());
    }
    QVERIFY(first.isNull());
    QCOMPARE(firstStatus, NotRunning);

    m_modules.loaded.insert(Module);
    m_log->clear();
    QString secondStatus;
    QWidget* second = nullptr;
    {
        ModalHelper helper([&](QWidget* dialog) {
            second = dialog;
            secondStatus = dialog->findChild<QLabel*>(QStringLiteral("Label2"))->text();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        });
        frmAbout::showModal(*m_speech, m_modules, nullptr);
        QVERIFY(helper.ran());
        QVERIFY(helper.dialog() == nullptr);
    }
    QVERIFY(second != nullptr);
    QCOMPARE(secondStatus, Running);
    // The second opening announced itself again.
    QCOMPARE(m_log->spoken().size(), 1);
}

QTEST_MAIN(tst_FrmAbout)
#include "tst_frmabout.moc"
