#pragma once

#include <QList>
#include <QString>
#include <optional>

// What a Japanese dictionary says about a text: where its words are and how
// each is pronounced. Pronunciation, not reading: the particle は is "ワ",
// 登録 is "トーロク".
class WordReadings
{
public:
    struct Word {
        // In UTF-16 code units of the text given to words().
        qsizetype start = 0;
        qsizetype length = 0;
        // Katakana as spoken; empty when the dictionary does not know the word.
        QString pronunciation;
    };

    virtual ~WordReadings() = default;

    // The words of the text in order. Blanks between words may be left out.
    virtual QList<Word> words(const QString& text) = 0;
    // How one character is read on its own, for a kanji of a word the
    // dictionary lacks; empty when nothing is known about it. No value while
    // what would know it is still being prepared: that answer holds for this
    // text only, and the character is asked about again later.
    virtual std::optional<QString> characterReading(char32_t c) = 0;
    // The program is past its start-up: what is slow to prepare and not
    // needed at once (the single-character readings) may start now.
    virtual void startUpIsOver() {}
};
