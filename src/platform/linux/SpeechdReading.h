#pragma once

#include "platform/KanaReading.h"
#include "platform/SpeechReadingMode.h"
#include "platform/WordReadings.h"

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

    // Without a source the words come from the system's dictionary.
    SpeechdReading(SpeechReadingMode mode, WordReadingsSource words);

    // Asks for the output module only when the mode leaves it to the engine.
    // To be asked after the language is set: the daemon may pick another
    // module per language.
    bool wantsKana(const std::function<QString()>& outputModule) const;
    // Opens the dictionary the first time it is needed.
    KanaReading& kana();
    // Lets the dictionary go when texts go out as they are.
    void forget();

private:
    SpeechReadingMode m_mode;
    WordReadingsSource m_words;
    std::unique_ptr<KanaReading> m_kana;
};
