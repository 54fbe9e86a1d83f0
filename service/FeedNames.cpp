#include "service/FeedNames.h"

FeedNames::~FeedNames()
{
    for (BSTR text : texts_)
        SysFreeString(text);
}

int FeedNames::Id(const wchar_t* text, size_t length)
{
    const std::wstring_view key(text ? text : L"", text ? length : 0);
    const auto found = ids_.find(key);
    if (found != ids_.end())
        return found->second;
    const int id = int(texts_.size());
    texts_.push_back(SysAllocStringLen(key.data(), UINT(key.size())));
    ids_.emplace(std::wstring(key), id);
    return id;
}

bool FeedNames::Same(int a, int b)
{
    if (a < 0 || b < 0 || size_t(a) >= texts_.size() || size_t(b) >= texts_.size())
        return false;
    if (same_.size() < texts_.size())
        same_.resize(texts_.size());
    std::vector<signed char>& row = same_[size_t(a)];
    if (row.size() < texts_.size())
        row.resize(texts_.size(), -1);
    signed char& known = row[size_t(b)];
    if (known < 0)
        known = SameText(texts_[size_t(a)], texts_[size_t(b)]) ? 1 : 0;
    return known == 1;
}

bool FeedNames::SameText(BSTR a, BSTR b)
{
    return VarBstrCmp(a, b, LOCALE_USER_DEFAULT, 0) == HRESULT(VARCMP_EQ);
}
