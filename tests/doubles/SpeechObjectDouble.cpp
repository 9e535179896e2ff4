// An in-process COM server of the screen reader's speech object for tests:
// it answers every call with S_OK and writes each one, in order, as a line
// of UTF-8 to the file named by VX_SPEECH_CALLS:
//   Configure(33)   Interrupt   Speak(<text>,0)   WaitDone   Method3   Method4
// Line breaks inside a text are written as \r and \n. A call from another
// thread than the one that created the object is written with "OtherThread "
// in front, since the program must stay in the apartment it created it in.
// Two switches make it fail as a screen reader's object may:
//   VX_SPEECH_FAIL_FROM=N  every method from the N-th call on (counting from
//                          1 over all methods) answers E_FAIL, and is
//                          written with "Failed " in front;
//   VX_SPEECH_REFUSE=1     the class is registered, but no object is made.
// Built as vxspeech.dll: the screen reader's core module, whose presence
// says the reader runs, is another (the module double, vxbcore.dll).
#include <oaidl.h>
#include <oleauto.h>
#include <cstdlib>
#include <string>
#include <windows.h>

namespace
{

const CLSID ClassId = {0x8BF3B6E3, 0x6515, 0x11D3, {0x85, 0x15, 0x00, 0x40, 0x05, 0x37, 0x23, 0x44}};
const IID InterfaceId = {0x62CB5ABF, 0x6D03, 0x11D3, {0x85, 0x15, 0x00, 0x40, 0x05, 0x37, 0x23, 0x44}};

LONG g_objects = 0;
LONG g_calls = 0;

long environmentNumber(const char* name)
{
    char value[32];
    const DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
    return n > 0 && n < sizeof value ? std::strtol(value, nullptr, 10) : 0;
}

std::string utf8(const wchar_t* text, int length)
{
    std::string out;
    for (int i = 0; i < length; ++i) {
        if (text[i] == L'\r') {
            out += "\\r";
        } else if (text[i] == L'\n') {
            out += "\\n";
        } else {
            char bytes[8];
            const int n = WideCharToMultiByte(CP_UTF8, 0, &text[i], 1, bytes, sizeof bytes, nullptr, nullptr);
            out.append(bytes, n > 0 ? n : 0);
        }
    }
    return out;
}

class SpeechDouble final : public IDispatch
{
public:
    SpeechDouble() : m_thread(GetCurrentThreadId()) { InterlockedIncrement(&g_objects); }
    // Not virtual: a virtual destructor would take the table slots that
    // belong to the object's own methods.
    ~SpeechDouble() { InterlockedDecrement(&g_objects); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, InterfaceId)) {
            *out = this;
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&m_references); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = InterlockedDecrement(&m_references);
        if (left == 0)
            delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        write("Invoke");
        return E_NOTIMPL;
    }

    // The object's own methods, in their table positions.
    virtual HRESULT STDMETHODCALLTYPE Speak(BSTR* text, LONG* flags)
    {
        if (!text || !flags)
            return E_POINTER;
        return answer("Speak(" + utf8(*text, int(SysStringLen(*text))) + "," + std::to_string(*flags) + ")");
    }
    virtual HRESULT STDMETHODCALLTYPE Interrupt()
    {
        return answer("Interrupt");
    }
    virtual HRESULT STDMETHODCALLTYPE Method3()
    {
        return answer("Method3");
    }
    virtual HRESULT STDMETHODCALLTYPE Method4()
    {
        return answer("Method4");
    }
    virtual HRESULT STDMETHODCALLTYPE Configure(LONG* value)
    {
        if (!value)
            return E_POINTER;
        return answer("Configure(" + std::to_string(*value) + ")");
    }
    virtual HRESULT STDMETHODCALLTYPE WaitDone(VARIANT* result)
    {
        if (!result)
            return E_POINTER;
        if (const HRESULT status = answer("WaitDone"); FAILED(status))
            return status;
        // A value the caller has to free, as a real answer may be.
        result->vt = VT_BSTR;
        result->bstrVal = SysAllocString(L"done");
        return S_OK;
    }

private:
    HRESULT answer(const std::string& call)
    {
        const long failFrom = environmentNumber("VX_SPEECH_FAIL_FROM");
        if (failFrom > 0 && InterlockedIncrement(&g_calls) >= failFrom) {
            write("Failed " + call);
            return E_FAIL;
        }
        write(call);
        return S_OK;
    }

    void write(const std::string& call)
    {
        char path[MAX_PATH];
        if (!GetEnvironmentVariableA("VX_SPEECH_CALLS", path, sizeof path))
            return;
        const std::string line = (GetCurrentThreadId() == m_thread ? "" : "OtherThread ") + call + "\n";
        HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return;
        DWORD written = 0;
        WriteFile(file, line.data(), DWORD(line.size()), &written, nullptr);
        CloseHandle(file);
    }

    LONG m_references = 1;
    DWORD m_thread;
};

class Factory : public IClassFactory
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
            *out = this;
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override
    {
        if (outer)
            return CLASS_E_NOAGGREGATION;
        if (environmentNumber("VX_SPEECH_REFUSE") == 1)
            return E_OUTOFMEMORY;
        auto* object = new SpeechDouble;
        const HRESULT status = object->QueryInterface(iid, out);
        object->Release();
        return status;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

Factory g_factory;

} // namespace

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID classId, REFIID iid, void** out)
{
    if (!IsEqualCLSID(classId, ClassId))
        return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(iid, out);
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllCanUnloadNow()
{
    return g_objects == 0 ? S_OK : S_FALSE;
}
