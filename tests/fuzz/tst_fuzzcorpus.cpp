#include "AccountFixtures.h"
#include "FuzzChecks.h"

#include "account/Acd.h"
#include "account/AcdFormat.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QtTest>
#include <functional>

// Every seed and every former finding of the fuzz targets, replayed under the
// normal build with the checks the fuzzers make, so that a fault the fuzzer
// once found stays found without clang. The seeds of the account reader are
// also compared with what they are meant to hold: a seed that silently stops
// exercising its odd line would leave the fuzzer starting blind there.
class tst_FuzzCorpus : public QObject
{
    Q_OBJECT

private slots:
    void everyInputHoldsTheTargetsLaws_data();
    void everyInputHoldsTheTargetsLaws();
    void readerSeedsHoldTheirCase_data();
    void readerSeedsHoldTheirCase();
};

namespace
{

const QString corpusDir = QStringLiteral(VX_FUZZ_CORPUS_DIR);

using Run = QString (*)(const QByteArray&);

QByteArray readCorpusFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QString describe(const Acd& a)
{
    QStringList parts{a.Title, a.Smtp, a.Pop, a.PopUser, a.Poppass, a.FromName, a.FromMail, a.ReplyMail};
    for (int32_t n : {a.ReplyUser, a.SmtpPort, a.PopPort, a.PopStock, a.PopStockDays, a.PopWarning,
                      a.PopWarningSize, a.LineLength, a.SmtpAttestationPop, a.PopAttestation})
        parts << QString::number(n);
    return parts.join(u'|');
}

} // namespace

Q_DECLARE_METATYPE(Run)
Q_DECLARE_METATYPE(Acd)

void tst_FuzzCorpus::everyInputHoldsTheTargetsLaws_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<Run>("run");

    const std::pair<const char*, Run> targets[] = {
        {"acdreader", &FuzzChecks::runAcdReaderInput},
        {"leadingnumber", &FuzzChecks::runLeadingNumberInput},
        {"cp932", &FuzzChecks::runCp932Input},
    };
    for (const auto& [name, run] : targets) {
        const QDir dir(corpusDir + u'/' + QLatin1String(name));
        const QStringList files = dir.entryList(QDir::Files, QDir::Name);
        QVERIFY2(!files.isEmpty(), qPrintable(dir.path() + " holds no inputs"));
        for (const QString& file : files)
            QTest::newRow(qPrintable(QLatin1String(name) + u'/' + file)) << dir.filePath(file) << run;
    }
    // The reader's inputs also go through the codec: its bytes are the codec's
    // real diet.
    const QDir readerDir(corpusDir + QStringLiteral("/acdreader"));
    for (const QString& file : readerDir.entryList(QDir::Files, QDir::Name))
        QTest::newRow(qPrintable(QStringLiteral("acdreader bytes as cp932/") + file))
            << readerDir.filePath(file) << Run(&FuzzChecks::cp932Bytes);
}

void tst_FuzzCorpus::everyInputHoldsTheTargetsLaws()
{
    QFETCH(QString, path);
    QFETCH(Run, run);

    QFile file(path);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.errorString()));
    const QByteArray data = file.readAll();

    QElapsedTimer timer;
    timer.start();
    const QString failure = run(data);
    // Anything slower than a second is a finding for the fuzzer too.
    QVERIFY2(timer.elapsed() < 1000, qPrintable(QStringLiteral("took %1 ms").arg(timer.elapsed())));
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

void tst_FuzzCorpus::readerSeedsHoldTheirCase_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<Acd>("expected");

    QTest::newRow("default file") << "default-eleven-lines.acd" << true << Acd{};
    Acd fullJapanese = fullAccount({QStringLiteral("山田家のメール①"), QStringLiteral("smtp.example.ne.jp"),
                                    QStringLiteral("pop.example.ne.jp"), QStringLiteral("yamada-taro"),
                                    QStringLiteral("pa=ss\uFF5Eword"), QStringLiteral("山田\u3000太郎"),
                                    QStringLiteral("taro@example.ne.jp"),
                                    QStringLiteral("髙橋 <hanako@example.jp>")});
    fullJapanese.PopWarningSize = 5120;
    QTest::newRow("full japanese account") << "japanese-account.acd" << true << fullJapanese;
    // Only the space is a blank: the tab before "Pop" makes another key.
    QTest::newRow("blanks around key and =")
        << "blanks-around-key.acd" << true
        << accountWith([](Acd& a) { a.Smtp = QStringLiteral("mail.example.jp"); });
    QTest::newRow("lower-case key") << "lower-case-key.acd" << true
                                    << accountWith([](Acd& a) { a.Smtp = QStringLiteral("kept"); });
    QTest::newRow("= in value") << "equals-in-value.acd" << true << accountWith([](Acd& a) {
        a.Poppass = QStringLiteral("a=b==c=");
        a.FromMail = QStringLiteral("=x@example.jp");
    });
    QTest::newRow("empty integers") << "empty-integer.acd" << true << accountWith([](Acd& a) {
        a.PopPort = 0;
        a.SmtpPort = 0;
    });
    QTest::newRow("non-numeric integers") << "non-numeric-integer.acd" << true << accountWith([](Acd& a) {
        a.PopPort = 0;
        a.SmtpPort = 587;
        a.LineLength = 76;
        a.PopStockDays = 15;
        a.PopWarningSize = 1000;
    });
    QTest::newRow("80.5 and other halves") << "eighty-and-a-half.acd" << true << accountWith([](Acd& a) {
        a.LineLength = 80;
        a.PopStockDays = 4;
        a.ReplyUser = -2;
    });
    QTest::newRow("eleven nines stop the read")
        << "eleven-nines.acd" << false << accountWith([](Acd& a) { a.Title = QStringLiteral("before"); });
    QTest::newRow("duplicate key") << "duplicate-key.acd" << true << accountWith([](Acd& a) {
        a.Pop = QStringLiteral("second");
        a.SmtpPort = 2;
    });
    QTest::newRow("no header, further section") << "no-header.acd" << true << accountWith([](Acd& a) {
        a.Title = QStringLiteral("no header");
        a.PopPort = 995;
        a.Smtp = QStringLiteral("still read");
    });
    const Acd abOne = accountWith([](Acd& a) {
        a.Title = QStringLiteral("a");
        a.Pop = QStringLiteral("b");
        a.SmtpPort = 1;
    });
    QTest::newRow("lone CR") << "lone-cr.acd" << true << abOne;
    QTest::newRow("lone LF, LF CR") << "lone-lf.acd" << true << abOne;
    // A NUL is an ordinary character: kept in a value, spoils a key, and stops
    // a number like any other letter.
    QTest::newRow("NUL bytes") << "nul-bytes.acd" << true << accountWith([](Acd& a) {
        a.Smtp = QString::fromLatin1("a\0b", 3);
        a.PopPort = 0;
    });
    QTest::newRow("invalid CP932 bytes") << "invalid-cp932.acd" << true << accountWith([](Acd& a) {
        a.Title = QString(5, QChar::ReplacementCharacter);
        a.Pop = QStringLiteral("\uFFFD \uFFFD\x7F");
        a.PopUser = QStringLiteral("\uFFFDA\uFFFD@");
        a.FromName = QStringLiteral("あ\uFFFD");
    });
}

void tst_FuzzCorpus::readerSeedsHoldTheirCase()
{
    QFETCH(QString, file);
    QFETCH(bool, ok);
    QFETCH(Acd, expected);

    const QByteArray bytes = readCorpusFile(corpusDir + QStringLiteral("/acdreader/") + file);
    QVERIFY2(!bytes.isEmpty(), qPrintable(file + " is missing or empty"));
    Acd acd;
    QCOMPARE(readAcdInto(bytes, acd), ok);
    QCOMPARE(describe(acd), describe(expected));
    QVERIFY(acd == expected);
}

QTEST_GUILESS_MAIN(tst_FuzzCorpus)
#include "tst_fuzzcorpus.moc"
