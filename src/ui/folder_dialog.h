#pragma once
// TFolderDialog: the shell's folder browser, shown modally over its owner form.
#include <windows.h>

#include <set>
#include <string>

class Form;

enum TFolderDlgOption {
    bifBrowseForComputer,
    bifBrowseForPrinter,
    bifDontGoBelowDomain,
    bifReturnFSAncestors,
    bifReturnOnlyFSDirs,
    bifStatusText,
};
using TFolderDlgOptions = std::set<TFolderDlgOption>;

// The shell's BIF_* flags of a set of options.
UINT FolderDialogFlags(const TFolderDlgOptions& options);

class TFolderDialog {
public:
    explicit TFolderDialog(Form* owner = nullptr);

    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& title) { title_ = title; }
    const TFolderDlgOptions& Option() const { return option_; }
    void SetOption(const TFolderDlgOptions& option) { option_ = option; }
    // The folder chosen by the last confirmed Execute (no trailing backslash except for a
    // drive root such as C:\).
    const std::string& Directory() const { return directory_; }
    int ImageIndex() const { return imageIndex_; }

    // Shows the browser; true when the user confirmed a folder, which is then in Directory.
    // Cancelling changes nothing.
    bool Execute();

private:
    Form* owner_;
    std::string title_;
    TFolderDlgOptions option_{bifReturnOnlyFSDirs};
    LPARAM callbackData_ = 0;
    int imageIndex_ = 0;
    std::string directory_;
};
