#include "ui/transfer/CFolderUploadDlg.h"

#include <algorithm>

#include "res/resource.h"

CFolderUploadDlg::CFolderUploadDlg(const FolderPlan& plan, std::wstring target)
    : CDialogBase(IDD_FOLDER_UPLOAD), m_plan(plan), m_target(std::move(target))
{
}

bool CFolderUploadDlg::OnInitDialog()
{
    CenterWindowInWorkArea(Handle(), GetWindow(Handle(), GW_OWNER));
    SetIcons(IDI_APP);
    SetItemText(IDC_FOLDER_UPLOAD_TARGET, m_target);
    SetItemText(IDC_FOLDER_UPLOAD_COUNTS, FolderQuestionText(m_plan));
    // The list is as wide as its longest line, so that it scrolls to it.
    HWND list = Item(IDC_FOLDER_UPLOAD_LIST);
    HDC dc = GetDC(list);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(list, WM_GETFONT, 0, 0)));
    int widest = 0;
    for (size_t i = 0; i < m_plan.files.size(); ++i) {
        if (m_plan.states[i] != FolderFileState::CannotUpload)
            continue;
        const std::wstring line = FolderCannotLine(m_plan.files[i]);
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
        SIZE extent = {};
        GetTextExtentPoint32W(dc, line.c_str(), int(line.size()), &extent);
        widest = std::max<int>(widest, extent.cx);
    }
    SelectObject(dc, old);
    ReleaseDC(list, dc);
    SendMessageW(list, LB_SETHORIZONTALEXTENT, WPARAM(widest + 8), 0);
    if (m_plan.cannot == 0) {
        ShowWindow(list, SW_HIDE);
        ShowWindow(Item(IDC_FOLDER_UPLOAD_LIST_LABEL), SW_HIDE);
    }
    if (m_plan.newFiles == 0) {
        // Nothing to send: Cancel is all there is.
        EnableItem(IDOK, false);
        SendMessageW(Handle(), DM_SETDEFID, IDCANCEL, 0);
        SetFocus(Item(IDCANCEL));
    } else {
        SetFocus(Item(IDOK));
    }
    return false;
}

bool CFolderUploadDlg::OnCommand(int id, int code, HWND control)
{
    if (id == IDOK || id == IDCANCEL) {
        if (id == IDOK && m_plan.newFiles == 0)
            return true;
        EndDialog(id);
        return true;
    }
    return CDialogBase::OnCommand(id, code, control);
}
