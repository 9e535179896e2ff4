#pragma once

#include "reading/KanaReading.h"
#include "reading/SpeechReadingMode.h"
#include "reading/WordReadings.h"

#include <QString>
#include <functional>
#include <memory>

// Whether texts go to the daemon as kana, and the reading that makes them so.
// The espeak family reads each kanji as "Chinese letter", so it gets kana;
// any other engine, or a module the daemon does not name, gets texts as they
// are.
class SpeechdReading
{
public:
    using WordReadingsSource = std::function<std::unique_ptr<WordReadings>()>;

    // Without a source, or when it gives nothing, kana are read without a
    // dictionary and every kanji is "カンジ".
    SpeechdReading(SpeechReadingMode mode, WordReadingsSource words);

    // Asks for the output module only when the mode leaves it to the engine.
    // To be asked after the language is set: the daemon may pick another
    // module per language.
    bool wantsKana(const std::function<QString()>& outputModule) const;
    // Opens the dictionary the first time it is needed.
    KanaReading& kana();
    // Lets the dictionary go when texts go out as they are.
    void forget();
    // Passed on to the reading, now or when it is opened.
    void startUpIsOver();

private:
    SpeechReadingMode m_mode;
    WordReadingsSource m_words;
    std::unique_ptr<KanaReading> m_kana;
    bool m_startUpOver = false;
};
