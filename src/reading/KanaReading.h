#pragma once

#include "reading/WordReadings.h"

#include <QHash>
#include <QString>
#include <QStringView>
#include <memory>

// Turns any text the program speaks into kana that eSpeak NG's Japanese
// voice pronounces: every word as the dictionary says it is pronounced, a
// word it lacks kana by kana and kanji by kanji, Latin letters, digits and
// symbols in Japanese (AsciiReading), and the result made safe for the voice
// (kanaForEspeak).
//
// The pause characters and line breaks stay where they were, so the pauses
// the texts were written with are kept; a tab or another control
// character is named. A text that is not blanks and line breaks only never
// reads as nothing.
//
// Not thread-safe: one thread at a time (the dictionary keeps state).
class KanaReading
{
public:
    // words may be empty: kana, letters and symbols are still read, and a
    // kanji is then said as "カンジ".
    explicit KanaReading(std::unique_ptr<WordReadings> words);
    ~KanaReading();
    KanaReading(const KanaReading&) = delete;
    KanaReading& operator=(const KanaReading&) = delete;

    QString read(const QString& text);
    // The program is past its start-up: the dictionary may now prepare what
    // it left for later. Reading the single kanji in at start delayed the
    // first words by some 6 ms.
    void startUpIsOver();

    bool hasDictionary() const { return m_words != nullptr; }
    // How many brackets all reads so far looked at to pair them up: the
    // measure by which tests hold the pairing linear in a text's length.
    qsizetype bracketSteps() const { return m_bracketSteps; }
    // The characters the recent texts and their readings hold: the measure
    // by which tests hold the memory they take bounded.
    qsizetype keptCharacters() const { return m_keptCharacters; }

private:
    QString readUncached(const QString& text);
    QString readPhrase(const QString& phrase);
    void readUnknown(QStringView text, QString& out);
    QString readCharacter(char32_t c);

    std::unique_ptr<WordReadings> m_words;
    QHash<char32_t, QString> m_characters;
    // The same announcements come again and again (a field visited twice,
    // the guide pane); a few hundred recent texts are read once.
    QHash<QString, QString> m_recent;
    qsizetype m_keptCharacters = 0;
    // The text being read said a character as unknown only because its
    // reading was not ready yet.
    bool m_provisional = false;
    qsizetype m_bracketSteps = 0;
};
