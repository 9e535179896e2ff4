// The one switch between the program speaking for itself and leaving its
// words to a screen reader: every part follows it, a window built later too.

#include "RecordingSpeechObject.h"
#include "accessibility/AccessibleNames.h"
#include "readermode/ScreenReaderMode.h"
#include "speech/Announce.h"
#include "speech/SpeechChannel.h"

#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

namespace
{
const QString OwnName = u"閉じる"_s;
const QString SpokenName = u"閉じるのプッシュボタン"_s;
const QString KeyHint = u"Enterで閉じる"_s;

QPushButton* spokenButton(QWidget* window)
{
    auto* button = new QPushButton(window);
    AccessibleNames::setOwn(button, OwnName);
    AccessibleNames::setSpoken(button, SpokenName, KeyHint);
    return button;
}
} // namespace

class tst_ScreenReaderMode : public QObject
{
    Q_OBJECT

private slots:
    void everyPartFollowsTheSwitch_data();
    void everyPartFollowsTheSwitch();
};

void tst_ScreenReaderMode::everyPartFollowsTheSwitch_data()
{
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<bool>("readersOwnObject");
    // The start is neither way: the first answer takes effect, whichever it is.
    QTest::newRow("none runs first") << QList<bool>{false, true, true, false} << false;
    QTest::newRow("one runs first") << QList<bool>{true, false, false, true} << false;
    // Speaking through the screen reader's own object, the program keeps its
    // focus words beside that reader and leaves it only Qt's windows.
    QTest::newRow("the reader's own object") << QList<bool>{true, false, true} << true;
}

void tst_ScreenReaderMode::everyPartFollowsTheSwitch()
{
    QFETCH(QList<bool>, answers);
    QFETCH(bool, readersOwnObject);
    auto log = std::make_shared<RecordingSpeechObject::Log>();
    log->announcesBeside = readersOwnObject;
    SpeechChannel speech;
    speech.VobrInit(RecordingSpeechObject::factory(log));
    ScreenReaderMode mode(speech);
    QWidget window;
    QPushButton* button = spokenButton(&window);

    for (const bool runs : answers) {
        mode.follow(runs, &window);
        const bool leftToReader = runs && !readersOwnObject;
        QCOMPARE(mode.screenReaderRuns(), runs);
        QCOMPARE(mode.readsInterface(), !runs);
        QCOMPARE(button->accessibleName(), leftToReader ? SpokenName : OwnName);
        QCOMPARE(button->accessibleDescription(), leftToReader ? KeyHint : QString());

        QWidget later;
        QPushButton* laterButton = spokenButton(&later);
        ScreenReaderMode::applyTo(&later, speech);
        QCOMPARE(laterButton->accessibleName(), button->accessibleName());

        log->clear();
        Announce::button(speech, SpokenName, KeyHint);
        QCOMPARE(log->calls.isEmpty(), leftToReader);
    }
}

QTEST_MAIN(tst_ScreenReaderMode)
#include "tst_screenreadermode.moc"
