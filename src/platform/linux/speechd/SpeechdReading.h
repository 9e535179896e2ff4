#pragma once

#include "reading/KanaReading.h"
#include "reading/SpeechReadingMode.h"
#include "reading/WordReadings.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

// The speech-dispatcher output module of this project that speaks Japanese
// with Open JTalk (src/speechd-module).
inline constexpr char JTalkModuleName[] = "vornix-jtalk";

// Which voice speaks the texts, and whether they go to it as kana.
//
// The espeak family reads each kanji as "Chinese letter", so it gets kana.
// When the daemon would speak Japanese with espeak and it has the Open JTalk
// module, the connection is switched to the module, which gets the texts as
// they are. A module the user made the daemon's choice for Japanese (any
// other engine) is theirs: it is kept, and gets the texts as they are too.
class SpeechdReading
{
public:
    using WordReadingsSource = std::function<std::unique_ptr<WordReadings>()>;

    struct Choice {
        // The module to switch the connection to; empty to keep the daemon's.
        QString module;
        // Whether texts go out as kana: with the module chosen above, or,
        // should switching to it fail, with the daemon's own.
        bool kana = false;
        bool kanaWithoutModule = false;
    };

    // Without a source, or when it gives nothing, kana are read without a
    // dictionary and every kanji is "カンジ".
    SpeechdReading(SpeechReadingMode mode, WordReadingsSource words);

    // Asks the daemon only what the mode leaves open. To be asked after the
    // language is set: the daemon picks its module per language.
    Choice choose(const std::function<QString()>& outputModule, const std::function<QStringList()>& modules) const;
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
