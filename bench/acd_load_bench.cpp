// How long reading an account file takes at 1 MiB and 10 MiB, with the
// program's own reader (file bytes, then the record). Real account files are a
// few hundred bytes; the large ones show that reading stays linear.
//
// Prints one JSON object on stdout:
//     {"acd_load_1mb_ms": <median>, "acd_load_10mb_ms": <median>}
// Usage: acd_load_bench [work-folder] [repeats]

#include "account/Acd.h"
#include "account/AcdFile.h"
#include "account/AcdFormat.h"
#include "platform/linux/LinuxFileSystem.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace
{

constexpr qint64 MiB = 1024 * 1024;

Acd sampleAccount(int variant)
{
    Acd acd;
    defaultAcd(acd);
    acd.Title = QStringLiteral("山田太郎の仕事用アカウント%1").arg(variant);
    acd.Smtp = QStringLiteral("smtp.example.ne.jp");
    acd.Pop = QStringLiteral("pop.example.ne.jp");
    acd.PopUser = QStringLiteral("yamada%1").arg(variant);
    acd.Poppass = QStringLiteral("pass word～①髙");
    acd.FromName = QStringLiteral("山田　太郎");
    acd.FromMail = QStringLiteral("yamada%1@example.ne.jp").arg(variant);
    acd.SmtpPort = 587;
    acd.PopPort = 995;
    acd.PopStock = 1;
    acd.PopStockDays = 14 + variant % 7;
    acd.LineLength = 72;
    acd.ReplyMail = QStringLiteral("reply%1@example.ne.jp").arg(variant);
    return acd;
}

// A file of at least `size` bytes: one header, then whole accounts one after
// the other (every key many times over, later lines winning), the last one
// distinct so that a reader stopping early is caught.
QByteArray makeFile(qint64 size, Acd& last)
{
    const QByteArray header = QByteArrayLiteral("[AccountSection]\r\n");
    const std::optional<QByteArray> one = formatAcd(sampleAccount(0));
    if (!one || !one->startsWith(header))
        return {};
    const QByteArray body = one->mid(header.size());

    QByteArray file = header;
    file.reserve(size + 4096);
    while (file.size() + body.size() < size)
        file += body;
    last = sampleAccount(7);
    const std::optional<QByteArray> tail = formatAcd(last);
    if (!tail)
        return {};
    file += tail->mid(header.size());
    applyTitleRule(last);
    return file;
}

double medianOf(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

// Median milliseconds to read the file into a record, or a negative value
// when the reader fails or reads something else than was written.
double timeLoad(const QString& path, const Acd& expected, int repeats)
{
    std::vector<double> times;
    for (int i = 0; i <= repeats; ++i) {
        QElapsedTimer timer;
        timer.start();
        LinuxFileSystem fs;
        const std::optional<QByteArray> bytes = readAcdFileBytes(path, fs);
        Acd acd;
        const bool ok = bytes && readAcdInto(*bytes, acd);
        const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        if (!ok || !(acd == expected))
            return -1.0;
        if (i > 0) // the first run only warms the page cache
            times.push_back(ms);
    }
    return medianOf(times);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();

    QTemporaryDir scratch;
    const QString folder = args.size() > 1 ? args.at(1) : scratch.path();
    const int repeats = args.size() > 2 ? std::max(1, args.at(2).toInt()) : 15;
    if (folder.isEmpty() || !QDir().mkpath(folder)) {
        std::fprintf(stderr, "acd_load_bench: no folder to write the files to\n");
        return 1;
    }

    struct Case {
        const char* name;
        qint64 size;
        double ms = 0;
    };
    Case cases[] = {{"acd_load_1mb_ms", 1 * MiB}, {"acd_load_10mb_ms", 10 * MiB}};
    for (Case& c : cases) {
        Acd expected;
        const QByteArray bytes = makeFile(c.size, expected);
        const QString path = folder + QStringLiteral("/bench-%1.acd").arg(c.size);
        QFile file(path);
        if (bytes.isEmpty() || bytes.size() > MaxAcdFileBytes || !file.open(QIODevice::WriteOnly) ||
            file.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "acd_load_bench: cannot write %s\n", qPrintable(path));
            return 1;
        }
        file.close();
        c.ms = timeLoad(path, expected, repeats);
        QFile::remove(path);
        if (c.ms < 0) {
            std::fprintf(stderr, "acd_load_bench: reading %s failed or gave another record\n",
                         qPrintable(path));
            return 1;
        }
    }
    std::printf("{\"%s\": %.3f, \"%s\": %.3f}\n", cases[0].name, cases[0].ms, cases[1].name, cases[1].ms);
    return 0;
}
