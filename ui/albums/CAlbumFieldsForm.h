#pragma once
#include <windows.h>

#include <initializer_list>
#include <string>

#include "ui/albums/NewAlbumChecks.h"
#include "ui/controls/CResizeRule.h"

class CDialogBase;

// The fields that the new album dialog and the album properties dialog share:
// title, description, date with its hint, place and access level. Written
// once here: their limits, the access list, the date's hint while it is
// typed, and how the fields follow the dialog's size.
class CAlbumFieldsForm
{
public:
    static constexpr int kSummaryLimit = 1024;
    static constexpr int kDateLimit = 10;

    // From the dialog's initialisation, before its placement is restored:
    // fills the access list (nothing selected), sets the limits and starts
    // the resize rule for the fields and for `own`, the dialog's other
    // controls.
    void Init(CDialogBase& dialog, std::initializer_list<ResizeItem> own);
    // From the dialog's message hook.
    void HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) { m_resize.HandleMessage(message, wParam, lParam); }
    // From the date's EN_CHANGE: the date's problem is told while it is
    // typed, so that the button does not come as a surprise (the button
    // still checks everything again).
    static void ShowDateHint(CDialogBase& dialog);
    // A title or date that did not pass: says why and selects the field.
    static void Reject(CDialogBase& dialog, const NewAlbumCheck& check);

private:
    CResizeRule m_resize;
};

// The text of a check's message, in the language module's words.
std::wstring NewAlbumCheckText(const NewAlbumCheck& check);
