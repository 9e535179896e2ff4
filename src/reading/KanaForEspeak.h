#pragma once

#include <QString>

// Katakana as eSpeak NG's Japanese voice can say it. That voice knows only
// the common kana and their usual combinations; anything else (a small kana
// it has no rule for, ー after ン, ッ before a vowel, ー after a vowel that
// already lengthens the one before) it calls "Japanese letter" in English,
// and the rest of the text then falls apart kana by kana. Each such spelling
// is replaced here by the nearest one it says properly: ヴァ becomes バ, キェ
// becomes キエ, ンー loses the mark. Hiragana become katakana; anything that
// is not kana passes unchanged.
QString kanaForEspeak(const QString& text);
