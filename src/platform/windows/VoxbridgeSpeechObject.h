#pragma once

#include "platform/SpeechObject.h"

#include <memory>
#include <windows.h>

// The screen reader's own speech object, reached through its interface's
// function table. The interface is dual, but nothing here goes through
// IDispatch::Invoke: the methods are called in their table positions.
class VoxbridgeSpeechObject : public SpeechObject
{
public:
    static const CLSID ClassId;
    static const IID InterfaceId;

    // Creates the object in the calling thread's apartment. On failure the
    // pointer is empty and `status` says why (REGDB_E_CLASSNOTREG when the
    // screen reader is not installed).
    static std::unique_ptr<SpeechObject> create(HRESULT& status);

    ~VoxbridgeSpeechObject() override;
    VoxbridgeSpeechObject(const VoxbridgeSpeechObject&) = delete;
    VoxbridgeSpeechObject& operator=(const VoxbridgeSpeechObject&) = delete;

    int Speak(const QString& text, int flags) override;
    int Interrupt() override;
    int Configure(int value) override;
    int WaitDone() override;
    bool announcesBesideScreenReader() const override { return true; }

private:
    struct Interface;
    explicit VoxbridgeSpeechObject(Interface* object) : m_object(object) {}

    Interface* m_object;
};
