#pragma once

#include <QHash>
#include <QString>

#include <atomic>
#include <functional>
#include <future>
#include <optional>
#include <thread>

// The readings of single kanji from KANJIDIC (Debian package kanjidic), for
// the kanji that the word dictionary knows only inside longer words (予, 備,
// 働). The first on reading is taken, or the first kun reading of a kanji
// that has none.
//
// The file (over a megabyte of EUC-JP) is read on a low-priority thread of
// its own once startLoading() is called. Nobody ever waits for it: a
// question asked before the table is there gets "not yet", because the
// speech thread that asks is itself waited for, and a loaded machine took
// seconds to read the file. Not at construction: the owner starts it when
// the program is past its start-up.
// One thread at a time asks.
class KanjidicReadings
{
public:
    using Table = QHash<char32_t, QString>;
    // Reads the table; may give up early, with anything, once stop is set.
    using Loader = std::function<Table(const std::atomic<bool>& stop)>;

    static QString defaultPath();
    static Loader fileLoader(const QString& path = defaultPath());

    explicit KanjidicReadings(const QString& path = defaultPath());
    explicit KanjidicReadings(Loader loader);
    // Stops a read still going on and joins its thread, so nothing of the
    // table outlives its owner.
    ~KanjidicReadings();
    KanjidicReadings(const KanjidicReadings&) = delete;
    KanjidicReadings& operator=(const KanjidicReadings&) = delete;

    // Starts reading the table in the background; only the first call does.
    // When no thread can be started the table stays missing.
    void startLoading();
    // Katakana, starting the read if it was not; empty when the kanji is not
    // listed or the table is missing, no value while it is still being read.
    std::optional<QString> reading(char32_t kanji);
    // Whether reading() has its final answers: the table is read, or will
    // not be.
    bool isLoaded() const;

    // One line of the file (already decoded): its kanji and reading.
    static std::pair<char32_t, QString> parseLine(const QString& line);

private:
    Loader m_loader;
    bool m_started = false;
    std::atomic<bool> m_stop = false;
    std::future<Table> m_loading;
    std::thread m_thread;
    Table m_readings;
};
