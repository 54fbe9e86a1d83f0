#include "ui/albums/UrlListCommand.h"

#include "app/ResourceText.h"
#include "res/resource.h"
#include "ui/albums/CUrlDlg.h"
#include "ui/albums/UrlListText.h"

void RunUrlListCommand(HWND owner, const std::vector<AlbumEntry>& albums, const std::vector<size_t>& selected,
                       const SettingsLocation& settings)
{
    if (selected.empty())
        return;
    const UrlListTexts texts = BuildUrlListTexts(albums, selected, ResourceString(IDS_URL_ENTRY_TEXT),
                                                 ResourceString(IDS_URL_ENTRY_HTML));
    CUrlDlg dialog(texts.text, texts.html, settings);
    dialog.DoModal(owner);
}
