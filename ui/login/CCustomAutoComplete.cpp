#include "ui/login/CCustomAutoComplete.h"

#include <objbase.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>

namespace {

std::atomic<LONG> g_live{0};

// The shell's AutoComplete object and its interfaces.
const CLSID kClsidAutoComplete = {0x00bb2763, 0x6a77, 0x11d0, {0xa5, 0x35, 0x00, 0xc0, 0x4f, 0xd7, 0xd0, 0x62}};
const IID kIidAutoComplete = {0x00bb2762, 0x6a77, 0x11d0, {0xa5, 0x35, 0x00, 0xc0, 0x4f, 0xd7, 0xd0, 0x62}};
const IID kIidAutoComplete2 = {0xeac04bc0, 0x3791, 0x11d2, {0xbb, 0x95, 0x00, 0x60, 0x97, 0x7b, 0x46, 0x4c}};

} // namespace

CCustomAutoComplete::CCustomAutoComplete()
{
    ++g_live;
}

CCustomAutoComplete::~CCustomAutoComplete()
{
    Unbind();
    --g_live;
}

LONG CCustomAutoComplete::LiveCount()
{
    return g_live.load();
}

bool CCustomAutoComplete::AddItem(const std::wstring& name)
{
    if (FindItem(name) >= 0)
        return false;
    if (m_names.size() == m_names.capacity())
        m_names.reserve(std::max<size_t>(1, m_names.capacity() * 2));
    m_names.push_back(name);
    return true;
}

int CCustomAutoComplete::FindItem(const std::wstring& name) const
{
    for (size_t i = 0; i < m_names.size(); ++i)
        if (m_names[i] == name)
            return int(i);
    return -1;
}

bool CCustomAutoComplete::Bind(HWND edit, DWORD options)
{
    if (m_bound || !edit)
        return false;
    ComRef<IAutoComplete> autoComplete;
    if (FAILED(CoCreateInstance(kClsidAutoComplete, nullptr, CLSCTX_ALL, kIidAutoComplete,
                                reinterpret_cast<void**>(autoComplete.Out()))) ||
        !autoComplete)
        return false;
    if (options) {
        ComRef<IAutoComplete2> second;
        if (SUCCEEDED(autoComplete->QueryInterface(kIidAutoComplete2, reinterpret_cast<void**>(second.Out()))) &&
            second)
            second->SetOptions(options);
    }
    if (FAILED(autoComplete->Init(edit, static_cast<IUnknown*>(this), nullptr, nullptr)))
        return false;
    m_autoComplete = std::move(autoComplete);
    m_bound = true;
    return true;
}

void CCustomAutoComplete::Unbind()
{
    if (!m_bound)
        return;
    // Released last: its reference on this list may be the last one.
    ComRef<IAutoComplete> autoComplete = std::move(m_autoComplete);
    m_bound = false;
}

STDMETHODIMP CCustomAutoComplete::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IEnumString)) {
        *object = static_cast<IEnumString*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CCustomAutoComplete::AddRef()
{
    return ULONG(InterlockedIncrement(&m_references));
}

STDMETHODIMP_(ULONG) CCustomAutoComplete::Release()
{
    LONG left = InterlockedDecrement(&m_references);
    if (left == 0)
        delete this;
    return ULONG(left);
}

STDMETHODIMP CCustomAutoComplete::Next(ULONG count, LPOLESTR* names, ULONG* fetched)
{
    if (!names)
        return E_POINTER;
    const ULONG wanted = count ? count : 1;
    ULONG given = 0;
    while (given < wanted && m_position < m_names.size()) {
        const std::wstring& name = m_names[m_position];
        const size_t bytes = (name.size() + 1) * sizeof(wchar_t);
        auto* copy = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
        if (!copy)
            break;
        std::memcpy(copy, name.c_str(), bytes);
        names[given++] = copy;
        ++m_position;
    }
    if (fetched)
        *fetched = given;
    return given == wanted ? S_OK : S_FALSE;
}

STDMETHODIMP CCustomAutoComplete::Skip(ULONG count)
{
    // Skipping beyond the end starts the list again; landing exactly on the
    // end leaves nothing more to hand out.
    m_position += count;
    if (m_position > m_names.size())
        m_position = 0;
    return S_OK;
}

STDMETHODIMP CCustomAutoComplete::Reset()
{
    m_position = 0;
    return S_OK;
}

STDMETHODIMP CCustomAutoComplete::Clone(IEnumString** copy)
{
    if (!copy)
        return E_POINTER;
    auto clone = ComRef<CCustomAutoComplete>::Share(new (std::nothrow) CCustomAutoComplete());
    if (!clone) {
        *copy = nullptr;
        return E_OUTOFMEMORY;
    }
    clone->m_names = m_names;
    clone->m_position = m_position;
    *copy = clone.Detach();
    return S_OK;
}
