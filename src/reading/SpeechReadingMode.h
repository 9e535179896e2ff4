#pragma once

#include <QString>

// Whether the speech back end turns texts into kana before they are spoken.
// Only eSpeak NG needs it: its Japanese voice says "Chinese letter" for every
// kanji and switches to English for Latin letters. A real Japanese engine
// reads the design's texts better as they are.
enum class SpeechReadingMode {
    Auto, // kana when the daemon speaks through an espeak module
    Kana,
    Off,
};

// The environment variable that overrides the choice: "kana", "off" or "auto".
inline constexpr char SpeechReadingVariable[] = "VORNIX_SPEECH_READING";

// The mode the environment asks for; anything unknown is Auto.
SpeechReadingMode speechReadingModeFromEnvironment();
SpeechReadingMode parseSpeechReadingMode(const QString& value);

// True for the output modules of the espeak family ("espeak-ng", "espeak",
// "espeak-ng-mbrola", ...).
bool isEspeakModule(const QString& moduleName);
