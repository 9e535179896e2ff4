#include "platform/linux/dictionary/KanjidicReadings.h"

#include <QFile>
#include <QStringList>

#include <iconv.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <system_error>

namespace
{

QString toKatakana(QString text)
{
    for (QChar& c : text) {
        if (c.unicode() >= u'ぁ' && c.unicode() <= u'ゖ')
            c = QChar(char16_t(c.unicode() + (u'ァ' - u'ぁ')));
    }
    return text;
}

bool isKanaOnly(const QString& text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (!((u >= u'ぁ' && u <= u'ゖ') || (u >= u'ァ' && u <= u'ヺ') || u == u'ー'))
            return false;
    }
    return !text.isEmpty();
}

// The file is EUC-JP; Qt has no codec for it without ICU, glibc has.
QString decodeEucJp(const QByteArray& bytes)
{
    iconv_t cd = iconv_open("UTF-8", "EUC-JP");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return QString();
    QByteArray out(bytes.size() * 2 + 16, Qt::Uninitialized);
    char* in = const_cast<char*>(bytes.constData());
    std::size_t inLeft = static_cast<std::size_t>(bytes.size());
    char* to = out.data();
    std::size_t toLeft = static_cast<std::size_t>(out.size());
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &to, &toLeft) != static_cast<std::size_t>(-1))
            break;
        if (errno == E2BIG)
            break;
        // A byte the table does not know: skip it rather than lose the rest.
        ++in;
        --inLeft;
    }
    iconv_close(cd);
    out.truncate(to - out.data());
    return QString::fromUtf8(out);
}

} // namespace

QString KanjidicReadings::defaultPath()
{
    return QStringLiteral("/usr/share/edict/kanjidic");
}

KanjidicReadings::Loader KanjidicReadings::fileLoader(const QString& path)
{
    return [path](const std::atomic<bool>& stop) {
        Table readings;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return readings;
        const QByteArray bytes = file.readAll();
        // Decoded a piece at a time, so that an owner going away (the
        // program ending) is not kept waiting for the whole file. A line
        // feed is never part of an EUC-JP character.
        constexpr qsizetype Piece = 64 * 1024;
        qsizetype from = 0;
        while (from < bytes.size()) {
            const qsizetype feed = bytes.indexOf('\n', std::min(from + Piece, bytes.size() - 1));
            const qsizetype to = feed < 0 ? bytes.size() : feed + 1;
            const QString text = decodeEucJp(bytes.sliced(from, to - from));
            for (const QStringView line : QStringView(text).split(u'\n')) {
                if (stop.load(std::memory_order_relaxed))
                    return Table();
                const auto [kanji, reading] = parseLine(line.toString());
                if (kanji != 0 && !reading.isEmpty())
                    readings.insert(kanji, reading);
            }
            from = to;
        }
        return readings;
    };
}

KanjidicReadings::KanjidicReadings(const QString& path) : KanjidicReadings(fileLoader(path)) {}

KanjidicReadings::KanjidicReadings(Loader loader) : m_loader(std::move(loader)) {}

KanjidicReadings::~KanjidicReadings()
{
    m_stop.store(true);
    if (m_thread.joinable())
        m_thread.join();
}

void KanjidicReadings::startLoading()
{
    if (m_started)
        return;
    m_started = true;
    std::promise<Table> done;
    std::future<Table> loading = done.get_future();
    try {
        m_thread = std::thread([this, done = std::move(done)]() mutable {
            // Whatever else the program does comes first: the window answering
            // keys, the speech being sent.
            setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 19);
            Table table;
            try {
                table = m_loader(m_stop);
            } catch (const std::exception&) {
                // An extra that failed (out of memory) leaves the table
                // missing; it must not end the program.
            }
            done.set_value(std::move(table));
        });
    } catch (const std::system_error&) {
        // No thread to be had (the process is at its limit): the readings
        // are an extra the speech does without.
        return;
    }
    m_loading = std::move(loading);
}

std::optional<QString> KanjidicReadings::reading(char32_t kanji)
{
    startLoading();
    if (m_loading.valid()) {
        if (m_loading.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
            return std::nullopt;
        m_readings = m_loading.get();
    }
    return m_readings.value(kanji);
}

bool KanjidicReadings::isLoaded() const
{
    return m_started
           && (!m_loading.valid() || m_loading.wait_for(std::chrono::seconds(0)) == std::future_status::ready);
}

std::pair<char32_t, QString> KanjidicReadings::parseLine(const QString& line)
{
    if (line.isEmpty() || line.startsWith(u'#'))
        return {0, QString()};
    const QStringList fields = line.split(u' ', Qt::SkipEmptyParts);
    if (fields.size() < 2)
        return {0, QString()};
    const QList<uint> kanji = fields.front().toUcs4();
    if (kanji.size() != 1)
        return {0, QString()};
    QString on;
    QString kun;
    for (qsizetype i = 1; i < fields.size(); ++i) {
        const QString& f = fields.at(i);
        // Readings used only in names follow "T1"/"T2"; meanings follow in braces.
        if (f.startsWith(u'{') || f == QLatin1String("T1") || f == QLatin1String("T2"))
            break;
        QString word = f;
        word.remove(u'-');
        word = word.section(u'.', 0, 0);
        if (!isKanaOnly(word))
            continue;
        const bool katakana = word.front().unicode() >= u'ァ';
        if (katakana && on.isEmpty())
            on = word;
        else if (!katakana && kun.isEmpty())
            kun = toKatakana(word);
    }
    return {kanji.front(), on.isEmpty() ? kun : on};
}
