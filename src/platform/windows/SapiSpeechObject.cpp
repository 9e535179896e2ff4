#include "platform/windows/SapiSpeechObject.h"

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

// The user's default voice may speak another language; a Japanese one reads
// the program's texts. Without one the default voice stays.
void preferJapaneseVoice(ISpVoice* voice)
{
    if (PRIMARYLANGID(GetUserDefaultUILanguage()) != LANG_JAPANESE)
        return;
    ISpObjectTokenCategory* category = nullptr;
    if (FAILED(CoCreateInstance(CLSID_SpObjectTokenCategory, nullptr, CLSCTX_ALL, IID_ISpObjectTokenCategory,
                                reinterpret_cast<void**>(&category))))
        return;
    IEnumSpObjectTokens* tokens = nullptr;
    if (SUCCEEDED(category->SetId(L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Speech\\Voices", FALSE)) &&
        SUCCEEDED(category->EnumTokens(L"Language=411", nullptr, &tokens))) {
        ISpObjectToken* token = nullptr;
        if (tokens->Next(1, &token, nullptr) == S_OK) {
            voice->SetVoice(token);
            token->Release();
        }
        tokens->Release();
    }
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
