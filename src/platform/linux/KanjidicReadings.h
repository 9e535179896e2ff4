#pragma once

#include <QHash>
#include <QString>

// The readings of single kanji from KANJIDIC (Debian package kanjidic), for
// the kanji that the word dictionary knows only inside longer words (予, 備,
// 働). The first on reading is taken, or the first kun reading of a kanji
// that has none. The file is read once, on the first question.
class KanjidicReadings
{
public:
    static QString defaultPath();

    explicit KanjidicReadings(QString path = defaultPath());

    // Katakana; empty when the kanji is not listed or the file is missing.
    QString reading(char32_t kanji);

    // One line of the file (already decoded): its kanji and reading.
    static std::pair<char32_t, QString> parseLine(const QString& line);

private:
    void load();

    QString m_path;
    bool m_loaded = false;
    QHash<char32_t, QString> m_readings;
};
