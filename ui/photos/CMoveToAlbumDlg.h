#pragma once
#include <vector>

#include "service/AlbumEntry.h"
#include "ui/controls/CDialogBase.h"

// The albums the selected photos may move to, with their photo counts; OK
// with one chosen ends with 1.
class CMoveToAlbumDlg : public CDialogBase
{
public:
    // targets: indices into `albums`, in the order shown.
    CMoveToAlbumDlg(const std::vector<AlbumEntry>& albums, std::vector<size_t> targets);

    // The chosen album's index into the albums; -1 for none.
    ptrdiff_t Chosen() const { return m_chosen; }

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnNotify(NMHDR* header, LRESULT& result) override;

private:
    void TakeChoice();

    const std::vector<AlbumEntry>& m_albums;
    std::vector<size_t> m_targets;
    ptrdiff_t m_chosen = -1;
};
