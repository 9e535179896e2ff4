#include "app/AppSetup.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

// The tool keeps nothing between runs: not even Qt's own file dialog may
// remember the folders of the accounts a helper prepared.
class tst_AppSetup : public QObject
{
    Q_OBJECT

private slots:
    void fileDialogLeavesNoSettingsBehind();
};

void tst_AppSetup::fileDialogLeavesNoSettingsBehind()
{
    QTemporaryDir config;
    QVERIFY(config.isValid());
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    keepNoSettings();

    {
        QFileDialog dialog(nullptr, QStringLiteral("t"), QDir::tempPath());
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        QTimer::singleShot(0, &dialog, &QDialog::reject);
        dialog.exec();
    } // Qt's file dialog stores its recent folders when it is destroyed.

    QSettings probe(QSettings::UserScope, QStringLiteral("QtProject"));
    probe.setValue(QStringLiteral("x"), 1);
    probe.sync();

    const QStringList left = QDir(config.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    QVERIFY2(left.isEmpty(), qPrintable(left.join(u',')));
    QVERIFY(probe.status() != QSettings::NoError || !QFile::exists(probe.fileName()));
}

QTEST_MAIN(tst_AppSetup)
#include "tst_appsetup.moc"
