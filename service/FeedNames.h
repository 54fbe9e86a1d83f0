#pragma once
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <windows.h>
#include <oleauto.h>

// The qualified names (and link key values) met while reading one document,
// each compared once with each name it is looked up by. The locale's
// comparison is what a large feed's reading spent most of its time on: a few
// dozen distinct names, compared hundreds of thousands of times.
class FeedNames
{
public:
    FeedNames() = default;
    ~FeedNames();
    FeedNames(const FeedNames&) = delete;
    FeedNames& operator=(const FeedNames&) = delete;

    // The number of a text; the same text always gets the same number.
    int Id(const wchar_t* text, size_t length);
    int Id(BSTR text) { return Id(text, text ? SysStringLen(text) : 0); }
    int Id(const std::wstring& text) { return Id(text.data(), text.size()); }

    // The text numbered `id` (null for a number not given).
    BSTR Text(int id) const { return id >= 0 && size_t(id) < texts_.size() ? texts_[size_t(id)] : nullptr; }

    // SameText of the two texts, asked of the locale once.
    bool Same(int a, int b);

    // The comparison of qualified names: the user locale's, case-sensitive.
    static bool SameText(BSTR a, BSTR b);

private:
    // Looked up by a view of the parser's text, without a copy of it.
    struct Hash
    {
        using is_transparent = void;
        size_t operator()(std::wstring_view text) const { return std::hash<std::wstring_view>{}(text); }
    };
    std::unordered_map<std::wstring, int, Hash, std::equal_to<>> ids_;
    std::vector<BSTR> texts_;
    // Per number: -1 not asked yet, 0 different, 1 the same.
    std::vector<std::vector<signed char>> same_;
};
