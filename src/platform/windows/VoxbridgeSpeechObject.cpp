#include "platform/windows/VoxbridgeSpeechObject.h"

#include <objbase.h>
#include <oaidl.h>
#include <oleauto.h>

// The table after IUnknown and IDispatch: six methods of the object's own, of
// which the third and fourth are never called; their slots only keep the
// positions of the fifth and sixth.
struct VoxbridgeSpeechObject::Interface : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE Speak(BSTR* text, LONG* flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE Interrupt() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused3() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused4() = 0;
    virtual HRESULT STDMETHODCALLTYPE Configure(LONG* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE WaitDone(VARIANT* result) = 0;
};

const CLSID VoxbridgeSpeechObject::ClassId = {
    0x8BF3B6E3, 0x6515, 0x11D3, {0x85, 0x15, 0x00, 0x40, 0x05, 0x37, 0x23, 0x44}};
const IID VoxbridgeSpeechObject::InterfaceId = {
    0x62CB5ABF, 0x6D03, 0x11D3, {0x85, 0x15, 0x00, 0x40, 0x05, 0x37, 0x23, 0x44}};

std::unique_ptr<SpeechObject> VoxbridgeSpeechObject::create(HRESULT& status)
{
    Interface* object = nullptr;
    status = CoCreateInstance(ClassId, nullptr, CLSCTX_ALL, InterfaceId, reinterpret_cast<void**>(&object));
    if (FAILED(status) || !object)
        return nullptr;
    return std::unique_ptr<SpeechObject>(new VoxbridgeSpeechObject(object));
}

VoxbridgeSpeechObject::~VoxbridgeSpeechObject()
{
    m_object->Release();
}

int VoxbridgeSpeechObject::Speak(const QString& text, int flags)
{
    // SysAllocStringLen keeps the text whole: an empty text is a valid
    // string, and a NUL inside it does not end it.
    BSTR string = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.utf16()), UINT(text.size()));
    if (!string)
        return E_OUTOFMEMORY;
    LONG value = flags;
    const HRESULT result = m_object->Speak(&string, &value);
    // Passed by reference, the string may have been replaced by the callee.
    SysFreeString(string);
    return result;
}

int VoxbridgeSpeechObject::Interrupt()
{
    return m_object->Interrupt();
}

int VoxbridgeSpeechObject::Configure(int value)
{
    LONG v = value;
    return m_object->Configure(&v);
}

int VoxbridgeSpeechObject::WaitDone()
{
    VARIANT result;
    VariantInit(&result);
    const HRESULT status = m_object->WaitDone(&result);
    VariantClear(&result);
    return status;
}
