#include "ui/controls/CommonControls.h"

namespace {

struct ClassFlag
{
    const wchar_t* name;
    DWORD flag;
};

// Class names as templates and CreateWindow spell them; templates compare
// without case, as window classes do.
constexpr ClassFlag kClasses[] = {
    {L"Button", 0},
    {L"Edit", 0},
    {L"Static", 0},
    {L"ListBox", 0},
    {L"ScrollBar", 0},
    {L"ComboBox", 0},
    {L"SysListView32", ICC_LISTVIEW_CLASSES},
    {L"SysHeader32", ICC_LISTVIEW_CLASSES},
    {L"SysTreeView32", ICC_TREEVIEW_CLASSES},
    {L"msctls_statusbar32", ICC_BAR_CLASSES},
    {L"ToolbarWindow32", ICC_BAR_CLASSES},
    {L"msctls_trackbar32", ICC_BAR_CLASSES},
    {L"tooltips_class32", ICC_BAR_CLASSES},
    {L"SysTabControl32", ICC_TAB_CLASSES},
    {L"msctls_updown32", ICC_UPDOWN_CLASS},
    {L"msctls_progress32", ICC_PROGRESS_CLASS},
    {L"msctls_hotkey32", ICC_HOTKEY_CLASS},
    {L"SysAnimate32", ICC_ANIMATE_CLASS},
    {L"SysMonthCal32", ICC_DATE_CLASSES},
    {L"SysDateTimePick32", ICC_DATE_CLASSES},
    {L"ComboBoxEx32", ICC_USEREX_CLASSES},
    {L"ReBarWindow32", ICC_COOL_CLASSES},
    {L"SysIPAddress32", ICC_INTERNET_CLASSES},
    {L"SysPager", ICC_PAGESCROLLER_CLASS},
    {L"NativeFontCtl", ICC_NATIVEFNTCTL_CLASS},
    {L"SysLink", ICC_LINK_CLASS},
};

} // namespace

DWORD CommonControlClassFlag(const wchar_t* className)
{
    if (!className)
        return kUnknownControlClass;
    for (const ClassFlag& entry : kClasses) {
        if (lstrcmpiW(entry.name, className) == 0)
            return entry.flag;
    }
    return kUnknownControlClass;
}

bool InitCommonControlClasses()
{
    INITCOMMONCONTROLSEX controls = {sizeof(controls), kCommonControlClasses};
    return InitCommonControlsEx(&controls) != FALSE;
}
