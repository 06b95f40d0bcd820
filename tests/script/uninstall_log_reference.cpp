#include "script/uninstall_log_reference.h"

#include "script/ini.h"
#include "base/text.h"

namespace {

void WriteListKeyByKey(const RemovalList& items, const LogList& list, bool keepSharedMark,
                       const std::string& logPath) {
    for (std::string item : items.Items()) {
        long number = ReferenceLogSlot(item, list.Section, list.KeyPrefix, logPath);
        std::string key = list.KeyPrefix + IntToStr(number);
        if (keepSharedMark) {
            std::string previous = ReadIniValue(list.Section, key, "", logPath);
            if (FindNoCase("/S", previous) != 0 && FindNoCase("/S", item) == 0)
                item += FindNoCase(",/", item) != 0 ? "/S" : ",/S";
        }
        WriteIniValue(list.Section, key, item, logPath);
    }
}

}  // namespace

long ReferenceLogSlot(const std::string& item, const std::string& section, const std::string& keyPrefix,
                      const std::string& logPath) {
    std::string path = GetField(item, ",", 1);
    for (long n = 1;; ++n) {
        std::string value = ReadIniValue(section, keyPrefix + IntToStr(n), "", logPath);
        if (value.empty() || EqualsNoCase(GetField(value, ",", 1), path)) return n;
    }
}

DWORD WriteUninstallLogKeyByKey(const UninstallLogContent& content, const std::string& logPath) {
    if (FindNoCase("Setup Only.", content.UnSetupTitle) != 0) return ERROR_SUCCESS;
    DeleteFileA(logPath.c_str());
    WriteIniValue("Information", "Message1", "Orvant Setup Nova UnSetup(UnInstall) Initialize File", logPath);
    WriteIniValue("Information", "Message2", "！！！　警告　！！！", logPath);
    WriteIniValue("Information", "Message3", "このファイルをエディタなどで書き換えたり、削除しないでください。", logPath);
    WriteIniValue("Information", "Message4", "書き換えた場合、" + content.UnSetupWord + "動作の保証はできません。",
                  logPath);
    WriteIniValue("Title", "UnSetup", content.UnSetupTitle, logPath);
    WriteIniValue("SetupFolder", "Folder", content.InstallFolder, logPath);
    WriteListKeyByKey(content.Lists.FolderLog, kFolderList, false, logPath);
    WriteListKeyByKey(content.Lists.FileLog, kFileList, true, logPath);
    WriteListKeyByKey(content.Lists.ShortcutLog, kShortcutList, false, logPath);
    WriteListKeyByKey(content.Lists.RegistryLog, kRegistryList, false, logPath);
    WriteListKeyByKey(content.Lists.AddDeleteLog, kAddDeleteList, false, logPath);
    for (int n = 1; n <= 20; ++n) {
        const std::string& record = content.RestoreRelateKeys[static_cast<size_t>(n - 1)];
        if (!record.empty()) WriteIniValue("RestoreRelate", "Key" + IntToStr(n), record, logPath);
    }
    if (!content.UnSetupOption.empty()) WriteIniValue("UnSetupOption", "CheckBox", content.UnSetupOption, logPath);
    WriteIniValue("Extend", "SetupString", content.SetupWord, logPath);
    WriteIniValue("Extend", "UnSetupString", content.UnSetupWord, logPath);
    WriteIniValue("UnSetupRegistryKey", "Key", content.UninstallKeyPath, logPath);
    WriteIniValue("ProgramID", "ID", content.ProgramId, logPath);
    WriteIniValue("Platform", "Bits", sizeof(void*) == 8 ? "64" : "32", logPath);
    return ERROR_SUCCESS;
}
