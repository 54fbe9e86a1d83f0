#include "ui/controls/ListSort.h"

#include <cmath>

namespace {

// The conversions ignore the user's overrides of the locale settings, so a
// sort means the same whatever the user changed in the control panel.
constexpr LCID kLocale = LOCALE_USER_DEFAULT;
constexpr ULONG kFlags = LOCALE_NOUSEROVERRIDE;

template <typename T>
int Order(T a, T b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

} // namespace

SortKey MakeSortKey(WORD type, std::wstring_view cellText)
{
    SortKey key;
    // The conversions take a writable string; they do not change it.
    std::wstring text(cellText.substr(0, kSortKeyChars));
    switch (type) {
    case SortText:
    case SortTextNoCase:
    case SortCustom:
        key.text = text;
        break;
    case SortLong:
        if (FAILED(VarI4FromStr(text.data(), kLocale, kFlags, &key.number)))
            key.number = 0;
        break;
    case SortDouble:
        if (FAILED(VarR8FromStr(text.data(), kLocale, kFlags, &key.real)))
            key.real = 0.0;
        break;
    case SortDecimal:
        if (FAILED(VarDecFromStr(text.data(), kLocale, kFlags, &key.decimal)))
            key.decimal = DECIMAL{};
        break;
    case SortDateTime:
    case SortDate:
    case SortTime: {
        DATE date = 0.0;
        if (FAILED(VarDateFromStr(text.data(), kLocale, kFlags, &date)))
            date = 0.0;
        // A date value counts days in its whole part and the time of day in
        // the size of its fraction (also before 1900, where it is negative).
        if (type == SortDate)
            date = std::trunc(date);
        else if (type == SortTime)
            date = std::fabs(date - std::trunc(date));
        key.real = date;
        break;
    }
    default:
        break;
    }
    return key;
}

int CompareSortKeys(WORD type, const SortKey& a, const SortKey& b)
{
    switch (type) {
    case SortText:
        return lstrcmpW(a.text.c_str(), b.text.c_str());
    case SortTextNoCase:
        return lstrcmpiW(a.text.c_str(), b.text.c_str());
    case SortLong:
        return Order(a.number, b.number);
    case SortDouble:
    case SortDateTime:
    case SortDate:
    case SortTime:
        return Order(a.real, b.real);
    case SortDecimal: {
        // VarDecCmp answers VARCMP_LT (0), VARCMP_EQ (1) or VARCMP_GT (2).
        const HRESULT rc = VarDecCmp(const_cast<DECIMAL*>(&a.decimal), const_cast<DECIMAL*>(&b.decimal));
        return rc == VARCMP_LT ? -1 : (rc == VARCMP_GT ? 1 : 0);
    }
    default:
        return 0;
    }
}

bool DescendingAfterHeaderClick(int clicked, int sortColumn, bool sortDescending)
{
    return clicked == sortColumn && !sortDescending;
}

POINT ContextMenuPoint(POINT screenPoint, bool onMonitor, const RECT& nearestWorkArea)
{
    if (onMonitor)
        return screenPoint;
    POINT point = screenPoint;
    if (point.x < nearestWorkArea.left)
        point.x = nearestWorkArea.left;
    if (point.x >= nearestWorkArea.right)
        point.x = nearestWorkArea.right - 1;
    return point;
}
