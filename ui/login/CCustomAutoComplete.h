#pragma once
#include <windows.h>
#include <objidl.h>
#include <shldisp.h>

#include <string>
#include <vector>

#include "base/ComRef.h"

// The account names offered by the shell's auto-complete object on an edit
// box: an IEnumString over a list of names.
//
// Reference counted: it starts at 0 and deletes itself when a Release brings
// the count back to 0, so make it with new and hold it in a ComRef taken with
// ComRef::Share, never delete it. Bind adds the auto-complete object's
// reference.
class CCustomAutoComplete : public IEnumString
{
public:
    // Auto-suggest and up/down keys drop the list (ACO_AUTOSUGGEST |
    // ACO_UPDOWNKEYDROPSLIST).
    static constexpr DWORD kDefaultOptions = 0x21;

    CCustomAutoComplete();
    CCustomAutoComplete(const CCustomAutoComplete&) = delete;
    CCustomAutoComplete& operator=(const CCustomAutoComplete&) = delete;

    // Appends a name not yet in the list; false for an exact repeat.
    bool AddItem(const std::wstring& name);
    // Index of the first name equal to name (case counts), or -1.
    int FindItem(const std::wstring& name) const;
    size_t ItemCount() const { return m_names.size(); }
    const std::wstring& Item(size_t index) const { return m_names[index]; }

    // Attaches this list to the edit box through the shell's auto-complete
    // object; false (and nothing changed) when already bound or when the
    // object cannot be made or attached.
    bool Bind(HWND edit, DWORD options = kDefaultOptions);
    // Drops the auto-complete object when bound.
    void Unbind();
    bool IsBound() const { return m_bound; }

    // Objects alive in the process: lets callers see the self-deletion.
    static LONG LiveCount();

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IEnumString
    STDMETHODIMP Next(ULONG count, LPOLESTR* names, ULONG* fetched) override;
    STDMETHODIMP Skip(ULONG count) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumString** copy) override;

private:
    virtual ~CCustomAutoComplete();

    std::vector<std::wstring> m_names;
    size_t m_position = 0;
    LONG m_references = 0;
    ComRef<IAutoComplete> m_autoComplete;
    bool m_bound = false;
};
