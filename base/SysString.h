#pragma once
#include <string>
#include <string_view>

#include <windows.h>
#include <oleauto.h>

// Owns one system string (BSTR).
class SysString
{
public:
    SysString() = default;
    explicit SysString(const std::wstring& text) : bstr_(SysAllocString(text.c_str())) {}
    ~SysString() { SysFreeString(bstr_); }
    SysString(const SysString&) = delete;
    SysString& operator=(const SysString&) = delete;
    SysString(SysString&& other) noexcept : bstr_(other.bstr_) { other.bstr_ = nullptr; }
    SysString& operator=(SysString&& other) noexcept
    {
        if (this != &other) {
            SysFreeString(bstr_);
            bstr_ = other.bstr_;
            other.bstr_ = nullptr;
        }
        return *this;
    }

    // Holds `text` from now on, in the block it already has when it can be
    // resized in place; false (and nothing held) when memory runs out.
    bool Assign(std::wstring_view text)
    {
        if (text.size() >= 0x7FFFFFF0u) {
            Reset();
            return false;
        }
        if (bstr_ ? SysReAllocStringLen(&bstr_, text.data(), UINT(text.size()))
                  : (bstr_ = SysAllocStringLen(text.data(), UINT(text.size()))) != nullptr)
            return true;
        Reset();
        return false;
    }
    void Reset()
    {
        SysFreeString(bstr_);
        bstr_ = nullptr;
    }

    BSTR* Out()
    {
        Reset();
        return &bstr_;
    }
    BSTR Get() const { return bstr_; }
    size_t Length() const { return bstr_ ? SysStringLen(bstr_) : 0; }
    std::wstring_view View() const { return std::wstring_view(bstr_ ? bstr_ : L"", Length()); }
    std::wstring Text() const { return std::wstring(View()); }

private:
    BSTR bstr_ = nullptr;
};
