#pragma once

#include <optional>
#include <string>
#include <vector>

// A SAPI voice as its token describes it: the token's id and its
// "Language" attribute, hexadecimal language ids separated by ";" ("411;409").
struct SapiVoiceToken {
    std::wstring id;
    std::wstring languages;
};

// The voice the program's texts, always Japanese, are read with: the default
// voice when it speaks Japanese, else the first Japanese voice; nothing (the
// default voice stays) when none does. Whatever the user interface's
// language is.
std::optional<size_t> chooseJapaneseVoice(const std::vector<SapiVoiceToken>& voices, const std::wstring& defaultId);

// Whether a "Language" attribute names Japanese among its languages.
bool speaksJapanese(const std::wstring& languages);
