#pragma once

#include <QHash>
#include <QString>

#include <atomic>
#include <future>
#include <memory>

// The readings of single kanji from KANJIDIC (Debian package kanjidic), for
// the kanji that the word dictionary knows only inside longer words (予, 備,
// 働). The first on reading is taken, or the first kun reading of a kanji
// that has none.
//
// The file (over a megabyte of EUC-JP) is read on a thread of its own once
// startLoading() is called, so that the first kanji the word dictionary
// lacks does not hold up the speech; only a question asked before it is
// done waits. Not at construction: the owner starts it when the program
// is past its start-up.
// One thread at a time asks.
class KanjidicReadings
{
public:
    using Table = QHash<char32_t, QString>;

    static QString defaultPath();

    explicit KanjidicReadings(QString path = defaultPath());
    // Stops a read still going on and waits for its thread.
    ~KanjidicReadings();
    KanjidicReadings(const KanjidicReadings&) = delete;
    KanjidicReadings& operator=(const KanjidicReadings&) = delete;

    // Starts reading the file in the background; only the first call does.
    void startLoading();
    // Katakana; empty when the kanji is not listed or the file is missing.
    QString reading(char32_t kanji);
    // Whether the file has been read (and reading() will not wait).
    bool isLoaded() const;

    // One line of the file (already decoded): its kanji and reading.
    static std::pair<char32_t, QString> parseLine(const QString& line);

private:
    static Table load(const QString& path, const std::atomic<bool>& stop);

    QString m_path;
    bool m_started = false;
    std::shared_ptr<std::atomic<bool>> m_stop;
    std::future<Table> m_loading;
    Table m_readings;
};
