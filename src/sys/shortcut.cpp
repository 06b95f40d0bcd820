#include "sys/shortcut.h"

#include <objbase.h>
#include <shlobj.h>

#include "edge/wide.h"
#include "edge/fileops.h"
#include "base/text.h"
#include "sys/error_text.h"
#include "edge/handles.h"

namespace {

void RaiseOnFailure(HRESULT result) {
    if (FAILED(result)) throw ComError(ComErrorText(result), result);
}

// The stored working folder: the given one when it exists, else the target's own folder.
std::string WorkingFolderFor(const std::string& target, const std::string& workFolder) {
    std::string folder = workFolder;
    if (folder.empty() || !FolderExists(folder)) folder = FolderPart(target);
    return AddDelimiter(folder, "B");
}

}  // namespace

std::string ComErrorText(HRESULT code) {
    std::string text = SystemMessageOf(static_cast<DWORD>(code));
    if (!text.empty()) return text;
    // The system's own formatting: the C library's would add its whole printf to the program.
    wchar_t number[16];
    wsprintfW(number, L"%08lX", static_cast<unsigned long>(code));
    return std::string("OLE エラー ") + Narrow(number);
}

std::string CreateShortcut(const std::string& target, const std::string& linkName, const std::string& workFolder,
                           const std::string& arguments) {
    std::string linkPath = linkName + ".lnk";
    std::string folder = WorkingFolderFor(target, workFolder);
    std::string linkFolder = FolderPart(linkPath);
    if (!linkFolder.empty() && !FolderExists(linkFolder)) ForceFolders(linkFolder);

    // A shortcut shipped with the application is copied as it is.
    if (FindNoCase(".LNK", target) != 0) {
        CopyFileOver(target, linkPath);
        return linkPath;
    }

    ComPtr<IUnknown> object;
    RaiseOnFailure(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                    IID_IUnknown, object.Out()));
    ComPtr<IShellLinkW> link;
    RaiseOnFailure(object->QueryInterface(IID_IShellLinkW, link.Out()));
    ComPtr<IPersistFile> file;
    RaiseOnFailure(object->QueryInterface(IID_IPersistFile, file.Out()));

    // Failures of the single settings and of the save show in the result below.
    link->SetPath(Wide(target).c_str());
    link->SetWorkingDirectory(Wide(folder).c_str());
    if (!arguments.empty()) link->SetArguments(Wide(arguments).c_str());
    file->Save(Wide(linkPath).c_str(), FALSE);

    if (!FileExists(linkPath)) return linkName + ".pif";
    return linkPath;
}
