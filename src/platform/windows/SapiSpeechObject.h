#pragma once

#include "platform/SpeechObject.h"

#include <memory>
#include <string>
#include <windows.h>

// The part of a SAPI voice the program uses: ISpVoice's Speak and
// WaitUntilDone, so that the speaking rules can be tried on a voice that
// only writes down what it is asked.
class SapiVoice
{
public:
    virtual ~SapiVoice() = default;
    // `text` may be null: with SPF_PURGEBEFORESPEAK that only purges.
    virtual HRESULT speak(const wchar_t* text, DWORD flags) = 0;
    // S_FALSE when the time ran out with speech still going on.
    virtual HRESULT waitUntilDone(ULONG milliseconds) = 0;
};

// The system's voice standing behind the four operations when the screen
// reader's object is not installed. Texts queue behind one another and are
// never read as markup; Interrupt purges the queue; WaitDone waits, but no
// longer than a bound, since the window takes no input meanwhile.
class SapiSpeechObject : public SpeechObject
{
public:
    static constexpr ULONG WaitBoundMs = 10000;

    explicit SapiSpeechObject(std::unique_ptr<SapiVoice> voice);

    // SAPI's SpVoice in the calling thread's apartment, with a Japanese voice
    // when the user's language is Japanese and one is installed; empty when
    // SAPI is missing.
    static std::unique_ptr<SpeechObject> create();

    int Speak(const QString& text, int flags) override;
    int Interrupt() override;
    int Configure(int value) override;
    int WaitDone() override;
    bool standsInForScreenReader() const override { return true; }

    // What the voice is given for a text: the separator becomes a pause the
    // voice reads as one (the ideographic comma), and each control character
    // a space, so that neither is spelled out and the words on either side
    // stay apart.
    static std::wstring spokenText(const QString& text);

private:
    std::unique_ptr<SapiVoice> m_voice;
};
