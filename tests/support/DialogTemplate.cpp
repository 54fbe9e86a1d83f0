#include "tests/support/DialogTemplate.h"

#include <algorithm>

namespace {

class Reader
{
public:
    Reader(const BYTE* data, size_t size) : m_data(data), m_size(size) {}

    bool Ok() const { return m_ok; }
    template <class T>
    T Take()
    {
        T value{};
        if (m_pos + sizeof(T) > m_size) {
            m_ok = false;
            return value;
        }
        memcpy(&value, m_data + m_pos, sizeof(T));
        m_pos += sizeof(T);
        return value;
    }
    void Skip(size_t bytes)
    {
        if (m_pos + bytes > m_size)
            m_ok = false;
        else
            m_pos += bytes;
    }
    void AlignDword() { m_pos = std::min(m_size, (m_pos + 3) & ~size_t(3)); }
    std::wstring Text()
    {
        std::wstring text;
        for (WORD c = Take<WORD>(); m_ok && c; c = Take<WORD>())
            text += wchar_t(c);
        return text;
    }
    // A name or an ordinal: 0 (none), 0xFFFF and a number, or a string.
    std::wstring NameOrOrdinal(WORD* ordinal = nullptr)
    {
        const WORD first = Take<WORD>();
        if (first == 0)
            return L"";
        if (first == 0xFFFF) {
            const WORD number = Take<WORD>();
            if (ordinal)
                *ordinal = number;
            return L"#" + std::to_wstring(number);
        }
        m_pos -= sizeof(WORD);
        return Text();
    }

private:
    const BYTE* m_data;
    size_t m_size;
    size_t m_pos = 0;
    bool m_ok = true;
};

std::wstring BuiltInClass(WORD atom)
{
    switch (atom) {
    case 0x80: return L"Button";
    case 0x81: return L"Edit";
    case 0x82: return L"Static";
    case 0x83: return L"ListBox";
    case 0x84: return L"ScrollBar";
    case 0x85: return L"ComboBox";
    default: return L"#" + std::to_wstring(atom);
    }
}

BOOL CALLBACK CollectId(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param)
{
    if (IS_INTRESOURCE(name))
        reinterpret_cast<std::vector<int>*>(param)->push_back(int(reinterpret_cast<ULONG_PTR>(name)));
    return TRUE;
}

} // namespace

bool ParseDialogTemplate(const BYTE* data, size_t size, DialogTemplateInfo& info)
{
    Reader in(data, size);
    const WORD version = in.Take<WORD>();
    const WORD signature = in.Take<WORD>();
    const bool extended = version == 1 && signature == 0xFFFF;
    WORD count = 0;
    if (extended) {
        in.Take<DWORD>(); // help id
        in.Take<DWORD>(); // extended style
        info.style = in.Take<DWORD>();
    } else {
        info.style = DWORD(version) | (DWORD(signature) << 16);
        in.Take<DWORD>(); // extended style
    }
    count = in.Take<WORD>();
    in.Skip(4 * sizeof(short));
    in.NameOrOrdinal(); // menu
    in.NameOrOrdinal(); // class
    in.Text();          // title
    if (info.style & DS_SETFONT) {
        in.Take<WORD>(); // point size
        if (extended) {
            in.Take<WORD>(); // weight
            in.Take<BYTE>(); // italic
            in.Take<BYTE>(); // character set
        }
        in.Text();
    }
    for (WORD i = 0; i < count && in.Ok(); ++i) {
        in.AlignDword();
        TemplateControl control;
        if (extended) {
            in.Take<DWORD>(); // help id
            in.Take<DWORD>(); // extended style
            control.style = in.Take<DWORD>();
        } else {
            control.style = in.Take<DWORD>();
            in.Take<DWORD>();
        }
        const short x = in.Take<short>(), y = in.Take<short>(), cx = in.Take<short>(), cy = in.Take<short>();
        control.dialogUnits = RECT{x, y, x + cx, y + cy};
        control.id = extended ? int(in.Take<DWORD>()) : int(in.Take<WORD>());
        WORD atom = 0;
        control.className = in.NameOrOrdinal(&atom);
        if (atom)
            control.className = BuiltInClass(atom);
        in.NameOrOrdinal(); // title
        in.Skip(in.Take<WORD>());
        info.controls.push_back(control);
    }
    return in.Ok() && info.controls.size() == count;
}

bool ReadDialogTemplates(HMODULE module, std::vector<DialogTemplateInfo>& templates, std::wstring& problem)
{
    std::vector<int> ids;
    EnumResourceNamesW(module, RT_DIALOG, CollectId, reinterpret_cast<LONG_PTR>(&ids));
    std::sort(ids.begin(), ids.end());
    for (int id : ids) {
        HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), RT_DIALOG);
        HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
        const BYTE* data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
        DialogTemplateInfo info;
        info.id = id;
        if (!data || !ParseDialogTemplate(data, SizeofResource(module, found), info)) {
            problem = L"dialog template " + std::to_wstring(id) + L" cannot be read";
            return false;
        }
        templates.push_back(std::move(info));
    }
    return true;
}
