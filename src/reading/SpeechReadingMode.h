#pragma once

#include <QString>

// Whether the speech back end turns texts into kana before they are spoken,
// and which voice speaks them. Only eSpeak NG needs kana: its Japanese voice
// says "Chinese letter" for every kanji and switches to English for Latin
// letters. A real Japanese engine (Open JTalk) reads the design's texts
// better as they are.
enum class SpeechReadingMode {
    Auto,  // Open JTalk in place of espeak, else kana for espeak
    Kana,  // kana, with the voice the daemon chose
    Off,   // the texts as they are, with the voice the daemon chose
    JTalk, // Open JTalk whatever the daemon chose, else as Auto
};

// The environment variable that overrides the choice: "auto", "kana", "off"
// or "jtalk".
inline constexpr char SpeechReadingVariable[] = "VORNIX_SPEECH_READING";

// The mode the environment asks for; anything unknown is Auto.
SpeechReadingMode speechReadingModeFromEnvironment();
SpeechReadingMode parseSpeechReadingMode(const QString& value);

// True for the output modules of the espeak family ("espeak-ng", "espeak",
// "espeak-ng-mbrola", ...).
bool isEspeakModule(const QString& moduleName);
