#include "ui/controls/CDialogPositionRestore.h"

#include "app/CIniFile.h"
#include "ui/controls/CDialogBase.h"

void CDialogPositionRestore::SavePosition(const wchar_t* fileName, int folderId, const wchar_t* section) const
{
    SavePlacement(PlacementWindow(), SettingsPath(fileName, folderId), section);
}

void CDialogPositionRestore::RestorePosition(const wchar_t* fileName, int folderId, const wchar_t* section) const
{
    RestorePlacement(PlacementWindow(), SettingsPath(fileName, folderId), section);
}

void CDialogPositionRestore::SavePlacement(HWND window, const std::wstring& settingsPath, const wchar_t* section)
{
    if (!window)
        return;
    WINDOWPLACEMENT wp = {};
    wp.length = sizeof wp;
    if (!GetWindowPlacement(window, &wp))
        return;
    CIniFile ini(settingsPath);
    ini.WriteInt(section, L"minPosX", wp.ptMinPosition.x);
    ini.WriteInt(section, L"minPosY", wp.ptMinPosition.y);
    ini.WriteInt(section, L"maxPosX", wp.ptMaxPosition.x);
    ini.WriteInt(section, L"maxPosY", wp.ptMaxPosition.y);
    ini.WriteInt(section, L"rectTop", wp.rcNormalPosition.top);
    ini.WriteInt(section, L"rectLeft", wp.rcNormalPosition.left);
    ini.WriteInt(section, L"rectBottom", wp.rcNormalPosition.bottom);
    ini.WriteInt(section, L"rectRight", wp.rcNormalPosition.right);
    ini.WriteInt(section, L"maximize", IsZoomed(window) ? 1 : 0);
}

void CDialogPositionRestore::RestorePlacement(HWND window, const std::wstring& settingsPath, const wchar_t* section)
{
    if (!window)
        return;
    CIniFile ini(settingsPath);
    WINDOWPLACEMENT wp = {};
    wp.length = sizeof wp;
    wp.ptMinPosition.x = ini.ReadInt(section, L"minPosX", -1);
    wp.ptMinPosition.y = ini.ReadInt(section, L"minPosY", -1);
    wp.ptMaxPosition.x = ini.ReadInt(section, L"maxPosX", -1);
    wp.ptMaxPosition.y = ini.ReadInt(section, L"maxPosY", -1);
    wp.rcNormalPosition.top = ini.ReadInt(section, L"rectTop", 0);
    wp.rcNormalPosition.left = ini.ReadInt(section, L"rectLeft", 0);
    wp.rcNormalPosition.bottom = ini.ReadInt(section, L"rectBottom", 0);
    wp.rcNormalPosition.right = ini.ReadInt(section, L"rectRight", 0);
    const bool maximize = ini.ReadInt(section, L"maximize", 0) == 1;

    if (wp.rcNormalPosition.bottom - wp.rcNormalPosition.top <= 0 ||
        wp.rcNormalPosition.right - wp.rcNormalPosition.left <= 0) {
        CenterWindowInWorkArea(window, GetWindow(window, GW_OWNER));
        return;
    }
    wp.flags = 0;
    wp.showCmd = maximize ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    SetWindowPlacement(window, &wp);
}
