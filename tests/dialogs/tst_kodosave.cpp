#include "RecordingSpeechObject.h"
#include "account/AcdFile.h"
#include "account/AcdFormat.h"
#include "dialogs/Kodo.h"
#include "platform/linux/LinuxFileSystem.h"
#include "speech/SpeechChannel.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

// What the dialog stores is what the next save writes: the dialog, OK, the
// account file's bytes, the file on disk.
class tst_KodoSave : public QObject
{
    Q_OBJECT

private slots:
    void advancedFieldsReachTheSavedFile();
};

void tst_KodoSave::advancedFieldsReachTheSavedFile()
{
    SpeechChannel speech;
    speech.VobrInit(RecordingSpeechObject::factory(std::make_shared<RecordingSpeechObject::Log>()));
    Acd acd;
    defaultAcd(acd);
    acd.FromName = QStringLiteral("山田");

    Kodo dialog(acd, speech, QStringLiteral("山田"));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));

    auto* port = dialog.findChild<QLineEdit*>(QStringLiteral("zSmtpPort"));
    port->setFocus(Qt::OtherFocusReason);
    QTRY_VERIFY(port->hasFocus());
    QTest::keyClick(port, Qt::Key_End);
    QTest::keyClick(port, Qt::Key_Home, Qt::ShiftModifier);
    QTest::keyClicks(port, QStringLiteral("587"));

    auto* replyUser = dialog.findChild<QCheckBox*>(QStringLiteral("zReplyUser"));
    replyUser->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(replyUser, Qt::Key_Space);
    auto* replyMail = dialog.findChild<QLineEdit*>(QStringLiteral("zReplyMail"));
    replyMail->setFocus(Qt::OtherFocusReason);
    QTRY_VERIFY(replyMail->hasFocus());
    QTest::keyClicks(replyMail, QStringLiteral("re@example.jp"));

    auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("Command1"));
    ok->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(ok, Qt::Key_Return);
    QVERIFY(!dialog.isVisible());

    const std::optional<QByteArray> bytes = formatAcd(acd);
    QVERIFY(bytes);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("account.acd"));
    LinuxFileSystem fs;
    QVERIFY(writeAcdFile(path, *bytes, fs));
    const std::optional<QByteArray> written = readAcdFileBytes(path, fs);
    QVERIFY(written);
    const QList<QByteArray> lines = written->split('\n');
    QVERIFY(lines.contains("SmtpPort=587\r"));
    QVERIFY(lines.contains("PopPort=110\r"));
    QVERIFY(lines.contains("ReplyUser=1\r"));
    QVERIFY(lines.contains("ReplyMail=re@example.jp\r"));
    // The Title rule of the dialog filled the title; CP932 for 山田.
    QVERIFY(lines.contains("Title=\x8E\x52\x93\x63\r"));
}

QTEST_MAIN(tst_KodoSave)
#include "tst_kodosave.moc"
