#include "ui/folder_dialog.h"

#include <shlobj.h>

#include "edge/wide.h"
#include "ui/form.h"

UINT FolderDialogFlags(const TFolderDlgOptions& options) {
    UINT flags = 0;
    for (TFolderDlgOption option : options) {
        switch (option) {
        case bifBrowseForComputer: flags |= BIF_BROWSEFORCOMPUTER; break;
        case bifBrowseForPrinter: flags |= BIF_BROWSEFORPRINTER; break;
        case bifDontGoBelowDomain: flags |= BIF_DONTGOBELOWDOMAIN; break;
        case bifReturnFSAncestors: flags |= BIF_RETURNFSANCESTORS; break;
        case bifReturnOnlyFSDirs: flags |= BIF_RETURNONLYFSDIRS; break;
        case bifStatusText: flags |= BIF_STATUSTEXT; break;
        }
    }
    return flags;
}

TFolderDialog::TFolderDialog(Form* owner) : owner_(owner) {}

bool TFolderDialog::Execute() {
    // Both calls write at most MAX_PATH characters and the terminating NUL.
    wchar_t buffer[MAX_PATH + 1] = {};
    std::wstring title = Wide(title_);
    BROWSEINFOW info{};
    info.hwndOwner = owner_ ? owner_->Handle() : nullptr;
    info.pidlRoot = nullptr;  // the desktop
    info.pszDisplayName = buffer;
    info.lpszTitle = title.c_str();
    info.ulFlags = FolderDialogFlags(option_);
    info.lpfn = nullptr;
    info.lParam = callbackData_;
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
    if (!chosen) return false;
    // A choice without a file-system path (possible with other options than the default)
    // is no folder the caller could use.
    bool isPath = SHGetPathFromIDListW(chosen, buffer) != FALSE;
    CoTaskMemFree(chosen);
    if (!isPath) return false;
    buffer[MAX_PATH] = L'\0';
    directory_ = Narrow(buffer);
    callbackData_ = info.lParam;
    imageIndex_ = info.iImage;
    return true;
}
