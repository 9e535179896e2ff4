#include "platform/windows/SapiVoiceChoice.h"

#include <cwchar>

bool speaksJapanese(const std::wstring& languages)
{
    constexpr unsigned long Japanese = 0x11; // the primary language of 411
    size_t start = 0;
    while (start < languages.size()) {
        size_t end = languages.find(L';', start);
        if (end == std::wstring::npos)
            end = languages.size();
        const std::wstring item = languages.substr(start, end - start);
        wchar_t* stop = nullptr;
        const unsigned long id = std::wcstoul(item.c_str(), &stop, 16);
        if (stop != item.c_str() && (id & 0x3FF) == Japanese)
            return true;
        start = end + 1;
    }
    return false;
}

std::optional<size_t> chooseJapaneseVoice(const std::vector<SapiVoiceToken>& voices, const std::wstring& defaultId)
{
    std::optional<size_t> first;
    for (size_t i = 0; i < voices.size(); ++i) {
        if (!speaksJapanese(voices[i].languages))
            continue;
        if (!defaultId.empty() && voices[i].id == defaultId)
            return i;
        if (!first)
            first = i;
    }
    return first;
}
