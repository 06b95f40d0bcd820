#include "app/startup_rules.h"

#include "core/state.h"
#include "edge/fileops.h"
#include "edge/system_info.h"
#include "script/folders.h"
#include "script/ini.h"
#include "base/text.h"
#include "sys/registry.h"

// What start-up does on the system itself (the work folder, the distribution's copy, the checker
// program) is in startup_rules_windows.cpp.

namespace {

const char kInstalledMarker[] = "Program is Installed.";

struct CheckTarget {
    std::string target;
    std::string installedTitle;
};

// A check value names either a file relative to the proposed folder or, as IDCheck:<id>, an
// installed program recorded in OVSET98.INI.
CheckTarget ResolveCheckValue(const std::string& value, const std::string& proposedFolder,
                              const std::string& windowsFolder) {
    CheckTarget result;
    if (ContainsNoCase(value, "IDCheck")) {
        std::string id = GetField(value, ":", 2);
        std::string folder = ReadIniValue(id, "Folder", "", windowsFolder + "OVSET98.INI");
        if (!folder.empty()) {
            result.installedTitle =
                ReadIniValue("Title", "UnSetup", "不明なタイトル", RemoveDelimiter(folder, "B") + "\\UNSETUP.INI");
            result.target = kInstalledMarker;
        }
        return result;
    }
    result.target = proposedFolder + RemoveDelimiter(value, "T");
    return result;
}

}  // namespace

WindowsVersion QueryWindowsVersion() {
    SystemVersionInfo info = QuerySystemVersion();
    return ClassifyWindowsVersion(info.ok, info.platformId, info.major, info.minor, info.build);
}

WindowsVersion ClassifyWindowsVersion(bool ok, DWORD platformId, DWORD major, DWORD minor, DWORD build) {
    if (!ok) return {"", "Windows"};
    const long minorSigned = static_cast<long>(static_cast<int>(minor));
    const long buildSigned = static_cast<long>(static_cast<int>(build));
    if (platformId == VER_PLATFORM_WIN32_NT) {
        if (major == 4) return {"NT", "Windows NT4.0"};
        if (major == 5) {
            if (minor == 0) return {"NT", "Windows 2000"};
            if (minor == 1) return {"NT", "Windows XP"};
            if (minor == 2) return {"NT", "Windows 2003"};
            return {"NT", "Windows NT Technology"};
        }
        return {"NT", "Windows"};
    }
    if (platformId == VER_PLATFORM_WIN32_WINDOWS) {
        // The build field's high word carries major and minor on this platform.
        if (minorSigned >= 90 || buildSigned > 73010103) return {"notNT", "Windows Me"};
        if (buildSigned > 67766445) return {"notNT", "Windows 98<SE>"};
        if (minorSigned >= 10 || buildSigned > 67766221) return {"notNT", "Windows 98"};
        if (minorSigned >= 0) return {"notNT", "Windows 95"};
        return {"notNT", "Windows"};
    }
    return {"", "Windows"};
}

bool IsUninstallParameter(const std::string& parameter) {
    return FileNamePart(parameter) == "UNSETUP.INI";
}

std::string BuildBanner(const std::string& copyRight1, const std::string& copyRight2) {
    std::string banner = copyRight1 + "\r\n" + copyRight2;
    if (banner == "\r\n") banner = "Orvant Setup Nova\r\nWindows 汎用インストーラ";
    return banner;
}

long ParseSetupSpeed(const std::string& value) {
    long speed = 350;
    if (!TryStrToInt32(value, speed)) speed = 350;
    return speed < 1 ? 1 : speed;
}

std::string ReadReferRegistry(const std::string& referValue) {
    RootedKey rooted = SplitScriptKey(GetField(referValue, ",", 1));
    std::string valueName = GetField(referValue, ",", 2);
    RegistryKey key;
    if (key.Open(RootKeyOf(rooted.root), rooted.keyPath, KEY_READ) != ERROR_SUCCESS) return std::string();
    std::string value;
    // A value of another type is passed over like a missing one: the proposal stays as it was.
    if (!key.QueryString(valueName, value)) return std::string();
    return value;
}

std::string ReadReferIniFile(const std::string& referValue) {
    std::string expanded = ExpandMacros(referValue);
    return ReadIniValue(GetField(expanded, ",", 1), GetField(expanded, ",", 2), "", GetField(expanded, ",", 3));
}

std::string ProposeInstallFolder(const std::string& scriptPath, const std::string& programId,
                                 const std::string& windowsFolder) {
    std::string proposal = ReadIniValue("DefaultFolder", "Folder", "(Prg)\\", scriptPath);
    if (!programId.empty()) proposal = ReadIniValue(programId, "Folder", proposal, windowsFolder + "OVSET98.INI");
    std::string referRegistry = ReadIniValue("DefaultFolder", "ReferRegistry", "", scriptPath);
    if (!referRegistry.empty()) {
        std::string value = ReadReferRegistry(referRegistry);
        if (!value.empty()) proposal = value;
    }
    std::string referIni = ReadIniValue("DefaultFolder", "ReferIniFile", "", scriptPath);
    if (!referIni.empty()) {
        std::string value = ReadReferIniFile(referIni);
        if (!value.empty()) proposal = value;
    }
    return proposal;
}

ShortcutBoxes DecideShortcutBoxes(const std::string& scriptPath) {
    ShortcutBoxes boxes;
    for (int n = 1;; ++n) {
        std::string name = ReadIniValue("ShortCut", "Name" + IntToStr(n), "", scriptPath);
        if (name.empty()) break;
        if (ContainsNoCase(name, "Dsk)")) boxes.desktop = true;
        if (ContainsNoCase(name, "Sta)")) boxes.startMenu = true;
        if (ContainsNoCase(name, "Sup)")) boxes.startUp = true;
        if (ContainsNoCase(name, "Sen)")) boxes.sendTo = true;
    }
    return boxes;
}

std::string BuildInstallPageMessage(const std::string& scriptPath, const std::string& setupWord) {
    std::string message;
    for (int n = 1; n <= 5; ++n)
        message += ReadIniValue("TopMessage", "Message" + IntToStr(n), "", scriptPath) + "\r\n";
    if (message == "\r\n\r\n\r\n\r\n\r\n") message = setupWord + "を行います。\r\n";
    return message;
}

std::string BuildUninstallPageMessage(const std::string& unSetupWord) {
    return unSetupWord + "を行います。\r\n\r\n開始するには、「" + unSetupWord + "開始(S)」を選択してください。\r\n";
}

PreCheckResult RunPreChecks(const std::string& scriptPath, const std::string& proposedFolder,
                            const std::string& osName, const std::string& windowsFolder,
                            const std::string& setupWord, const std::string& unSetupWord) {
    const std::string& S = setupWord;
    const std::string& U = unSetupWord;
    PreCheckResult result;
    std::string rejectOs = ReadIniValue("Extend", "RejectOS", "", scriptPath);
    if (FindNoCase(osName, rejectOs) != 0) {
        result = {true, true, "警告",
                  "このオペレーティングシステムへの" + S + "は、プログラム配布者により認められていません。\r\n"
                  "詳細については、プログラム配布者へご確認ください。\r\n" + S + "を続行することはできません。"};
        return result;
    }
    CheckTarget must = ResolveCheckValue(ReadIniValue("Caution", "UnInstallCheckEx", "NoData", scriptPath),
                                         proposedFolder, windowsFolder);
    if (must.target == kInstalledMarker) {
        return {true, true, "エラー",
                "インストーラはチェック対象プログラム識別子を検出しました。\r\n【" + must.installedTitle + "】\r\n" + S +
                    "を続行するためには、上記プログラムの" + U + "を行う必要があります。"};
    }
    if (!must.target.empty() && FileExists(must.target)) {
        return {true, true, "エラー",
                "インストーラはチェック対象プログラムを検出しました。\r\n" + S + "を続行するためには、前バージョンの" + U +
                    "を行う必要があります。"};
    }
    CheckTarget should = ResolveCheckValue(ReadIniValue("Caution", "UnInstallCheck", "NoData", scriptPath),
                                           proposedFolder, windowsFolder);
    const std::string advice = S + "はこのまま続行できますが、予期せぬ結果を招く可能性があります。\r\n"
                                   "できる限り中断して、前バージョンの" + U + "を行うことをお勧めします。";
    if (should.target == kInstalledMarker) {
        return {true, false, "警告",
                "インストーラはチェック対象プログラム識別子を検出しました。\r\n【" + should.installedTitle +
                    "】\r\nパッケージ配布者は、上記プログラムの" + U + "を推奨しています。\r\n" + advice};
    }
    if (!should.target.empty() && FileExists(should.target)) {
        return {true, false, "警告",
                "インストーラはチェック対象プログラムを検出しました。\r\nパッケージ配布者は、前バージョンのプログラムの" + U +
                    "を推奨しています。\r\n" + advice};
    }
    return result;
}

std::string FirstParameter(const std::string& commandLine) {
    std::vector<std::string> parameters = CommandLineParameters(commandLine);
    return parameters.size() > 1 ? parameters[1] : std::string();
}
