#include "platform/windows/SapiSpeechObject.h"

#include "platform/windows/SapiVoiceChoice.h"
#include "reading/PauseCharacters.h"

#include <vector>

#include <sapi.h>

namespace
{

constexpr DWORD QueuedPlainText = SPF_ASYNC | SPF_IS_NOT_XML;
constexpr wchar_t Pause = L'\u3001';

class IspVoice : public SapiVoice
{
public:
    explicit IspVoice(ISpVoice* voice) : m_voice(voice) {}
    ~IspVoice() override { m_voice->Release(); }
    IspVoice(const IspVoice&) = delete;
    IspVoice& operator=(const IspVoice&) = delete;

    HRESULT speak(const wchar_t* text, DWORD flags) override { return m_voice->Speak(text, flags, nullptr); }
    HRESULT waitUntilDone(ULONG milliseconds) override { return m_voice->WaitUntilDone(milliseconds); }

private:
    ISpVoice* m_voice;
};

std::wstring tokenId(ISpObjectToken* token)
{
    wchar_t* id = nullptr;
    if (FAILED(token->GetId(&id)) || !id)
        return {};
    std::wstring copy(id);
    CoTaskMemFree(id);
    return copy;
}

std::wstring tokenLanguages(ISpObjectToken* token)
{
    ISpDataKey* attributes = nullptr;
    if (FAILED(token->OpenKey(L"Attributes", &attributes)) || !attributes)
        return {};
    wchar_t* value = nullptr;
    std::wstring languages;
    if (SUCCEEDED(attributes->GetStringValue(L"Language", &value)) && value) {
        languages = value;
        CoTaskMemFree(value);
    }
    attributes->Release();
    return languages;
}

// The program's texts are Japanese whatever language the user interface
// speaks: a Japanese voice reads them, the default one if it is Japanese.
void preferJapaneseVoice(ISpVoice* voice)
{
    ISpObjectTokenCategory* category = nullptr;
    if (FAILED(CoCreateInstance(CLSID_SpObjectTokenCategory, nullptr, CLSCTX_ALL, IID_ISpObjectTokenCategory,
                                reinterpret_cast<void**>(&category))))
        return;
    IEnumSpObjectTokens* tokens = nullptr;
    std::vector<ISpObjectToken*> found;
    std::vector<SapiVoiceToken> voices;
    if (SUCCEEDED(category->SetId(L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Speech\\Voices", FALSE)) &&
        SUCCEEDED(category->EnumTokens(nullptr, nullptr, &tokens))) {
        ISpObjectToken* token = nullptr;
        while (tokens->Next(1, &token, nullptr) == S_OK) {
            found.push_back(token);
            voices.push_back({tokenId(token), tokenLanguages(token)});
        }
        tokens->Release();
    }
    std::wstring defaultId;
    ISpObjectToken* current = nullptr;
    if (SUCCEEDED(voice->GetVoice(&current)) && current) {
        defaultId = tokenId(current);
        current->Release();
    }
    if (const std::optional<size_t> chosen = chooseJapaneseVoice(voices, defaultId))
        voice->SetVoice(found[*chosen]);
    for (ISpObjectToken* token : found)
        token->Release();
    category->Release();
}

} // namespace

SapiSpeechObject::SapiSpeechObject(std::unique_ptr<SapiVoice> voice)
    : m_voice(std::move(voice))
{
}

std::unique_ptr<SpeechObject> SapiSpeechObject::create()
{
    ISpVoice* voice = nullptr;
    if (FAILED(CoCreateInstance(CLSID_SpVoice, nullptr, CLSCTX_ALL, IID_ISpVoice, reinterpret_cast<void**>(&voice))) ||
        !voice)
        return nullptr;
    preferJapaneseVoice(voice);
    return std::make_unique<SapiSpeechObject>(std::make_unique<IspVoice>(voice));
}

std::wstring SapiSpeechObject::spokenText(const QString& text)
{
    std::wstring spoken;
    spoken.reserve(text.size());
    for (QChar c : text) {
        if (c == AnnounceSeparator)
            spoken += Pause;
        else if (isControlCharacter(c))
            spoken += L' ';
        else
            spoken += wchar_t(c.unicode());
    }
    return spoken;
}

// The integer given with the text is the screen reader's own business.
int SapiSpeechObject::Speak(const QString& text, int)
{
    return m_voice->speak(spokenText(text).c_str(), QueuedPlainText);
}

int SapiSpeechObject::Interrupt()
{
    return m_voice->speak(nullptr, SPF_ASYNC | SPF_PURGEBEFORESPEAK);
}

// The set-up value belongs to the screen reader; the voice needs none.
int SapiSpeechObject::Configure(int)
{
    return S_OK;
}

int SapiSpeechObject::WaitDone()
{
    return m_voice->waitUntilDone(WaitBoundMs);
}
