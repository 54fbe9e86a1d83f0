#include "ui/transfer/UploadFileDialog.h"

#include <shlobj.h>
#include <shobjidl.h>
#include <shellapi.h>

#include "app/CIniFile.h"
#include "app/ResourceText.h"
#include "base/ComRef.h"
#include "res/resource.h"

namespace {

// Frees a string the shell allocated.
struct ShellText
{
    PWSTR text = nullptr;
    ~ShellText()
    {
        if (text)
            CoTaskMemFree(text);
    }
};

} // namespace

std::wstring UploadFolderOf(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"" : path.substr(0, slash);
}

bool ChooseUploadFiles(HWND owner, const SettingsLocation& settings, std::vector<std::wstring>& paths)
{
    paths.clear();
    ComRef<IFileOpenDialog> dialog;
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOpenDialog,
                                reinterpret_cast<void**>(dialog.Out()))) ||
        !dialog)
        return false;
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    dialog->SetOptions(options | FOS_ALLOWMULTISELECT | FOS_FILEMUSTEXIST | FOS_FORCEFILESYSTEM);
    const std::wstring images = ResourceString(IDS_UPLOAD_FILTER_IMAGES);
    const std::wstring videos = ResourceString(IDS_UPLOAD_FILTER_VIDEOS);
    const std::wstring all = ResourceString(IDS_UPLOAD_FILTER_ALL);
    const COMDLG_FILTERSPEC filters[] = {
        {images.c_str(), L"*.jpg;*.jpeg;*.png;*.gif;*.bmp"},
        {videos.c_str(), L"*.mp4;*.mov;*.avi;*.wmv;*.mpg;*.3gp"},
        {all.c_str(), L"*.*"},
    };
    dialog->SetFileTypes(UINT(std::size(filters)), filters);
    dialog->SetFileTypeIndex(1);
    const std::wstring title = ResourceString(IDS_UPLOAD_DIALOG_TITLE);
    dialog->SetTitle(title.c_str());

    const CIniFile ini(settings);
    const std::wstring last = ini.ReadString(kUploadSection, kUploadFolderKey, L"", 1024);
    if (!last.empty()) {
        ComRef<IShellItem> folder;
        if (SUCCEEDED(SHCreateItemFromParsingName(last.c_str(), nullptr, IID_IShellItem,
                                                  reinterpret_cast<void**>(folder.Out()))) &&
            folder)
            dialog->SetFolder(folder.Get());
    }

    if (FAILED(dialog->Show(owner)))
        return false;
    ComRef<IShellItemArray> chosen;
    if (FAILED(dialog->GetResults(chosen.Out())) || !chosen)
        return false;
    DWORD count = 0;
    chosen->GetCount(&count);
    for (DWORD i = 0; i < count; ++i) {
        ComRef<IShellItem> item;
        ShellText path;
        if (SUCCEEDED(chosen->GetItemAt(i, item.Out())) && item &&
            SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, &path.text)) && path.text)
            paths.emplace_back(path.text);
    }
    if (!paths.empty())
        ini.WriteString(kUploadSection, kUploadFolderKey, UploadFolderOf(paths.front()).c_str());
    return !paths.empty();
}

std::vector<std::wstring> DroppedPaths(HDROP drop)
{
    std::vector<std::wstring> paths;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        std::wstring path(size_t(length) + 1, L'\0');
        DragQueryFileW(drop, i, path.data(), length + 1);
        path.resize(length);
        if (!path.empty())
            paths.push_back(path);
    }
    return paths;
}

bool OnlyFolders(const std::vector<std::wstring>& paths)
{
    for (const std::wstring& path : paths) {
        const DWORD attributes = GetFileAttributesW(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
            return false;
    }
    return !paths.empty();
}
