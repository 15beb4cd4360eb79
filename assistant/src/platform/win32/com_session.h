// COM on the calling thread for one query: initialised when needed and released
// again only when this call initialised it.
#pragma once

#include <objbase.h>

namespace platform::win32 {

class ComSession {
public:
    ComSession()
    {
        const HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        // RPC_E_CHANGED_MODE: the thread already runs COM in another model, which serves too.
        m_ok = SUCCEEDED(hr) || hr == RPC_E_CHANGED_MODE;
        m_release = SUCCEEDED(hr);
    }
    ~ComSession()
    {
        if (m_release)
            CoUninitialize();
    }
    ComSession(const ComSession &) = delete;
    ComSession &operator=(const ComSession &) = delete;
    bool ok() const { return m_ok; }

private:
    bool m_ok = false;
    bool m_release = false;
};

// Releases a COM interface pointer at the end of its scope.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr &) = delete;
    ComPtr &operator=(const ComPtr &) = delete;
    T **put()
    {
        reset();
        return &m_p;
    }
    T *operator->() const { return m_p; }
    T *get() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    void reset()
    {
        if (m_p)
            m_p->Release();
        m_p = nullptr;
    }

private:
    T *m_p = nullptr;
};

// A BSTR freed at the end of its scope.
class Bstr {
public:
    Bstr() = default;
    ~Bstr() { SysFreeString(m_s); }
    Bstr(const Bstr &) = delete;
    Bstr &operator=(const Bstr &) = delete;
    BSTR *put()
    {
        SysFreeString(m_s);
        m_s = nullptr;
        return &m_s;
    }
    std::wstring text() const { return m_s ? std::wstring(m_s, SysStringLen(m_s)) : std::wstring(); }

private:
    BSTR m_s = nullptr;
};

} // namespace platform::win32
