#include "ui/albums/CAlbumFieldsForm.h"

#include <vector>

#include "app/ResourceText.h"
#include "base/TextFormat.h"
#include "res/resource.h"
#include "service/AccessLevel.h"
#include "ui/controls/CDialogBase.h"

namespace {

const ResizeItem kFieldItems[] = {
    {IDC_NEW_ALBUM_TITLE, ResizeSizeX},
    {IDC_NEW_ALBUM_SUMMARY, ResizeSizeX | ResizeSizeY},
    {IDC_NEW_ALBUM_DATE_LABEL, ResizeMoveY},
    {IDC_NEW_ALBUM_DATE, ResizeMoveY},
    {IDC_NEW_ALBUM_DATE_FORMAT, ResizeMoveY},
    {IDC_NEW_ALBUM_DATE_HINT, ResizeMoveY | ResizeSizeX},
    {IDC_NEW_ALBUM_LOCATION_LABEL, ResizeMoveY},
    {IDC_NEW_ALBUM_LOCATION, ResizeMoveY},
    {IDC_NEW_ALBUM_ACCESS_LABEL, ResizeMoveY},
    {IDC_ACCESS_LIST, ResizeMoveY},
};

} // namespace

std::wstring NewAlbumCheckText(const NewAlbumCheck& check)
{
    if (check.Passed())
        return L"";
    return FormatText(ResourceString(check.messageId), {check.argument});
}

void CAlbumFieldsForm::Init(CDialogBase& dialog, std::initializer_list<ResizeItem> own)
{
    for (unsigned i = 0; AccessDisplayName(i)[0]; ++i)
        dialog.SendItem(IDC_ACCESS_LIST, CB_ADDSTRING, 0,
                        reinterpret_cast<LPARAM>(ResourceString(IDS_ACCESS_FIRST + i).c_str()));
    dialog.SendItem(IDC_NEW_ALBUM_SUMMARY, EM_LIMITTEXT, kSummaryLimit);
    dialog.SendItem(IDC_NEW_ALBUM_DATE, EM_LIMITTEXT, kDateLimit);

    std::vector<ResizeItem> items(std::begin(kFieldItems), std::end(kFieldItems));
    items.insert(items.end(), own.begin(), own.end());
    // The frame around everything grows with the dialog.
    items.push_back({IDC_NEW_ALBUM_FRAME, ResizeSizeX | ResizeSizeY});
    m_resize.Init(dialog.Handle(), items.data(), items.size());
}

void CAlbumFieldsForm::ShowDateHint(CDialogBase& dialog)
{
    dialog.SetItemText(IDC_NEW_ALBUM_DATE_HINT,
                       NewAlbumCheckText(CheckAlbumDate(dialog.ItemText(IDC_NEW_ALBUM_DATE))));
}

void CAlbumFieldsForm::Reject(CDialogBase& dialog, const NewAlbumCheck& check)
{
    MessageBoxW(dialog.Handle(), NewAlbumCheckText(check).c_str(), ResourceString(IDS_CAPTION_NO_SELECTION).c_str(),
                MB_OK | MB_ICONERROR);
    if (HWND field = dialog.Item(check.focusId)) {
        SetFocus(field);
        SendMessageW(field, EM_SETSEL, 0, -1);
    }
}
