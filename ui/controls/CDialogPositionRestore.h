#pragma once
#include <windows.h>

#include <string>

// Stores a dialog's placement in its section of the settings file and puts
// it back: base of the resizable dialogs, each with its own section name.
class CDialogPositionRestore
{
public:
    virtual ~CDialogPositionRestore() = default;

    // Writes minPosX, minPosY, maxPosX, maxPosY, rectTop, rectLeft,
    // rectBottom, rectRight and maximize, in that order.
    void SavePosition(const wchar_t* fileName, int folderId, const wchar_t* section) const;

    // Applies the stored placement; a stored rectangle without width or
    // height centres the dialog instead (first run).
    void RestorePosition(const wchar_t* fileName, int folderId, const wchar_t* section) const;

    // The same on a given window and settings file.
    static void SavePlacement(HWND window, const std::wstring& settingsPath, const wchar_t* section);
    static void RestorePlacement(HWND window, const std::wstring& settingsPath, const wchar_t* section);

protected:
    // The window whose placement is stored (the dialog itself).
    virtual HWND PlacementWindow() const = 0;
};
