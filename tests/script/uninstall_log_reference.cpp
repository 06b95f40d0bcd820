#include "script/uninstall_log_reference.h"

#include <vector>

#include "base/text.h"
#include "edge/wide.h"

// Every read and write goes through the system's own profile functions, never through the
// program's INI code: the file is code page 932 because the test prefix's code page is 932.

std::string ReferenceLogValue(const std::string& section, const std::string& key, const std::string& fallback,
                              const std::string& logPath) {
    std::wstring path = Wide(logPath);
    // A buffer that any value of the file fits: the platform may cut a quoted value that just
    // overflows a buffer without saying so.
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    DWORD size = static_cast<DWORD>(data.nFileSizeLow + fallback.size() + 16);
    std::vector<wchar_t> buffer(size, L'\0');
    DWORD length = GetPrivateProfileStringW(Wide(section).c_str(), Wide(key).c_str(), Wide(fallback).c_str(),
                                            buffer.data(), size, path.c_str());
    return Narrow(std::wstring_view(buffer.data(), length));
}

namespace {

// As the program's writer did key by key: the system's cached copy is flushed before each write.
void WriteKey(const std::string& section, const std::string& key, const std::string& value,
              const std::string& logPath) {
    std::wstring path = Wide(logPath);
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, path.c_str());
    WritePrivateProfileStringW(Wide(section).c_str(), Wide(key).c_str(), Wide(value).c_str(), path.c_str());
}

void WriteListKeyByKey(const RemovalList& items, const LogList& list, bool keepSharedMark,
                       const std::string& logPath) {
    for (std::string item : items.Items()) {
        long number = ReferenceLogSlot(item, list.Section, list.KeyPrefix, logPath);
        std::string key = list.KeyPrefix + IntToStr(number);
        if (keepSharedMark) {
            std::string previous = ReferenceLogValue(list.Section, key, "", logPath);
            if (FindNoCase("/S", previous) != 0 && FindNoCase("/S", item) == 0)
                item += FindNoCase(",/", item) != 0 ? "/S" : ",/S";
        }
        WriteKey(list.Section, key, item, logPath);
    }
}

}  // namespace

long ReferenceLogSlot(const std::string& item, const std::string& section, const std::string& keyPrefix,
                      const std::string& logPath) {
    std::string path = GetField(item, ",", 1);
    for (long n = 1;; ++n) {
        std::string value = ReferenceLogValue(section, keyPrefix + IntToStr(n), "", logPath);
        if (value.empty() || EqualsNoCase(GetField(value, ",", 1), path)) return n;
    }
}

DWORD WriteUninstallLogKeyByKey(const UninstallLogContent& content, const std::string& logPath) {
    if (FindNoCase("Setup Only.", content.UnSetupTitle) != 0) return ERROR_SUCCESS;
    DeleteFileW(Wide(logPath).c_str());
    WriteKey("Information", "Message1", "Orvant Setup Nova UnSetup(UnInstall) Initialize File", logPath);
    WriteKey("Information", "Message2", "！！！　警告　！！！", logPath);
    WriteKey("Information", "Message3", "このファイルをエディタなどで書き換えたり、削除しないでください。", logPath);
    WriteKey("Information", "Message4", "書き換えた場合、" + content.UnSetupWord + "動作の保証はできません。", logPath);
    WriteKey("Title", "UnSetup", content.UnSetupTitle, logPath);
    WriteKey("SetupFolder", "Folder", content.InstallFolder, logPath);
    WriteListKeyByKey(content.Lists.FolderLog, kFolderList, false, logPath);
    WriteListKeyByKey(content.Lists.FileLog, kFileList, true, logPath);
    WriteListKeyByKey(content.Lists.ShortcutLog, kShortcutList, false, logPath);
    WriteListKeyByKey(content.Lists.RegistryLog, kRegistryList, false, logPath);
    WriteListKeyByKey(content.Lists.AddDeleteLog, kAddDeleteList, false, logPath);
    for (int n = 1; n <= 20; ++n) {
        const std::string& record = content.RestoreRelateKeys[static_cast<size_t>(n - 1)];
        if (!record.empty()) WriteKey("RestoreRelate", "Key" + IntToStr(n), record, logPath);
    }
    if (!content.UnSetupOption.empty()) WriteKey("UnSetupOption", "CheckBox", content.UnSetupOption, logPath);
    WriteKey("Extend", "SetupString", content.SetupWord, logPath);
    WriteKey("Extend", "UnSetupString", content.UnSetupWord, logPath);
    WriteKey("UnSetupRegistryKey", "Key", content.UninstallKeyPath, logPath);
    WriteKey("ProgramID", "ID", content.ProgramId, logPath);
    WriteKey("Platform", "Bits", sizeof(void*) == 8 ? "64" : "32", logPath);
    return ERROR_SUCCESS;
}
