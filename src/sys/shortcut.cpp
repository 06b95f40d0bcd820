#include "sys/shortcut.h"

#include <objbase.h>
#include <shlobj.h>

#include <vector>

#include "script/fileops.h"
#include "script/text.h"
#include "sys/error_text.h"
#include "sys/handles.h"

namespace {

void RaiseOnFailure(HRESULT result) {
    if (FAILED(result)) throw ComError(ComErrorText(result), result);
}

std::wstring WideOf(const std::string& text) {
    int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    if (length <= 0) return L"";
    std::vector<wchar_t> buffer(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, buffer.data(), length);
    return std::wstring(buffer.data());
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
    char number[16];
    wsprintfA(number, "%08lX", static_cast<unsigned long>(code));
    return std::string("OLE エラー ") + number;
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
    ComPtr<IShellLinkA> link;
    RaiseOnFailure(object->QueryInterface(IID_IShellLinkA, link.Out()));
    ComPtr<IPersistFile> file;
    RaiseOnFailure(object->QueryInterface(IID_IPersistFile, file.Out()));

    // Failures of the single settings and of the save show in the result below.
    link->SetPath(target.c_str());
    link->SetWorkingDirectory(folder.c_str());
    if (!arguments.empty()) link->SetArguments(arguments.c_str());
    file->Save(WideOf(linkPath).c_str(), FALSE);

    if (!FileExists(linkPath)) return linkName + ".pif";
    return linkPath;
}
