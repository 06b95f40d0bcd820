// Expansion through the system's library and replacement at restart (Windows).
#include "sys/expand.h"

#include <windows.h>
#include <lzexpand.h>

#include <algorithm>
#include <vector>

#include "core/state.h"
#include "edge/wide.h"
#include "edge/fileops.h"
#include "base/text.h"
#include "sys/removal.h"
#include "sys/system_library.h"

namespace {

// The expansion library, from the system folder only.
INT LzOpen(std::wstring& name, OFSTRUCT& info, WORD style) {
    static auto call = SystemFunctionAs<INT(WINAPI*)(LPWSTR, LPOFSTRUCT, WORD)>("LZ32.DLL", "LZOpenFileW");
    return call ? call(name.data(), &info, style) : LZERROR_BADINHANDLE;
}

LONG LzCopy(INT source, INT destination) {
    static auto call = SystemFunctionAs<LONG(WINAPI*)(INT, INT)>("LZ32.DLL", "LZCopy");
    return call ? call(source, destination) : LZERROR_BADINHANDLE;
}

void LzClose(INT handle) {
    static auto call = SystemFunctionAs<void(WINAPI*)(INT)>("LZ32.DLL", "LZClose");
    if (call) call(handle);
}

INT LzExpandedName(std::wstring& source, wchar_t* buffer) {
    static auto call = SystemFunctionAs<INT(WINAPI*)(LPWSTR, LPWSTR)>("LZ32.DLL", "GetExpandedNameW");
    return call ? call(source.data(), buffer) : LZERROR_BADINHANDLE;
}

struct LzFile {
    INT handle;
    explicit LzFile(INT h) : handle(h) {}
    ~LzFile() {
        if (handle >= 0) LzClose(handle);
    }
    LzFile(const LzFile&) = delete;
    LzFile& operator=(const LzFile&) = delete;
};

// Expands source into temp; false when anything failed (temp may then be partial).
bool ExpandInto(const std::string& source, const std::string& temp) {
    OFSTRUCT sourceInfo = {}, tempInfo = {};
    std::wstring sourceName = Wide(source), tempName = Wide(temp);
    LzFile in(LzOpen(sourceName, sourceInfo, OF_READ | OF_SHARE_EXCLUSIVE));
    if (in.handle < 0) return false;
    LzFile out(LzOpen(tempName, tempInfo, OF_CREATE));
    if (out.handle < 0) return false;
    return LzCopy(in.handle, out.handle) >= 0;
}

}  // namespace

std::string RecordedName(const std::string& source) {
    // The library writes a name as long as the source's, with room to spare; it takes no size.
    std::wstring copy = Wide(source);
    std::vector<wchar_t> buffer(std::max<size_t>(copy.size() * 2 + 16, 512), L'\0');
    if (LzExpandedName(copy, buffer.data()) != 1) return "";
    return Narrow(buffer.data());
}

std::string ExpandCompressedFile(const std::string& source, const std::string& destination) {
    std::string target = ExpandedDestination(source, destination);
    std::string temp = g_state.TempFolder + "EXPAND.OVT";
    if (FileExists(temp)) DeleteFiles(temp);
    // A partial or empty result must not pass for the file: without it the caller's copy fails.
    if (!ExpandInto(source, temp)) DeleteFileW(Wide(temp).c_str());
    return temp + "," + target;
}

std::string NextReplacementName() {
    for (unsigned long n = 1;; ++n) {
        std::string name = g_state.WindowsFolder + "OVTMP" + IntToStr(static_cast<long long>(n)) + ".TMP";
        if (!PathExists(name)) return name;
    }
}

bool ReplaceFileAtRestart(const std::string& source, const std::string& destination) {
    std::string temp = NextReplacementName();
    // Scheduling a move from a file that is not there would at best do nothing and at worst leave
    // an entry that removes the destination.
    if (CopyFileOver(source, temp) != 0) return false;

    bool scheduled = true;
    if (g_state.PlatformKind == "NT") {
        scheduled = MoveFileExW(Wide(temp).c_str(), Wide(destination).c_str(),
                                MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
        if (!scheduled) ShowMessageBox("MoveFileEx関数が失敗しました。", "内部エラー", MB_OK | MB_ICONEXCLAMATION);
    } else if (g_state.PlatformKind == "notNT") {
        std::string shortDestination = ShortPathOf(destination);
        if (shortDestination.empty()) shortDestination = destination;
        std::string shortTemp = ShortPathOf(temp);
        if (shortTemp.empty()) shortTemp = temp;
        scheduled = AddWininitRename(shortDestination, shortTemp);
    }
    // A copy that nothing will ever move would only fill the Windows folder.
    if (!scheduled) DeleteFileW(Wide(temp).c_str());
    return scheduled;
}
