#pragma once

#include "reading/WordReadings.h"
#include "platform/linux/dictionary/KanjidicReadings.h"

#include <QString>
#include <QStringView>
#include <memory>

struct mecab_t;

// Word pronunciations from MeCab with the IPA dictionary (Debian packages
// libmecab2 and mecab-ipadic-utf8); single kanji it lacks from KANJIDIC.
class MecabWordReadings : public WordReadings
{
public:
    static QString defaultDictionary();

    // Empty when the dictionary cannot be opened.
    static std::unique_ptr<MecabWordReadings>
    open(const QString& dictionary = defaultDictionary(),
         KanjidicReadings::Loader kanjidic = KanjidicReadings::fileLoader());
    ~MecabWordReadings() override;

    QList<Word> words(const QString& text) override;
    std::optional<QString> characterReading(char32_t c) override;
    // Starts reading KANJIDIC in the background.
    void startUpIsOver() override;

private:
    MecabWordReadings(mecab_t* tagger, KanjidicReadings::Loader kanjidic);
    // The words of one piece of the text that starts at offset.
    void appendWords(QStringView piece, qsizetype offset, QList<Word>& result);

    mecab_t* m_tagger;
    KanjidicReadings m_kanjidic;
};
