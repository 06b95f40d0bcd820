#include "app/bitness_handover.h"

#include <windows.h>

#include "app/exit_codes.h"
#include "app/startup_rules.h"
#include "edge/wide.h"
#include "edge/fileops.h"
#include "script/ini_document.h"
#include "base/text.h"
#include "edge/handles.h"
#include "sys/registry.h"

namespace {

bool KeyInView(const std::string& keyPath, REGSAM view) {
    RegistryKey key;
    return key.Open(HKEY_LOCAL_MACHINE, keyPath, KEY_QUERY_VALUE | view) == ERROR_SUCCESS;
}

// Whether this Windows runs 64-bit programs at all.
bool SixtyFourBitWindows() {
    if (kSixtyFourBitBuild) return true;
    using IsWow64Call = BOOL(WINAPI*)(HANDLE, PBOOL);
    auto call = reinterpret_cast<IsWow64Call>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "IsWow64Process")));
    BOOL wow64 = FALSE;
    return call && call(GetCurrentProcess(), &wow64) && wow64;
}

// The command line after the program's own name, as it was given.
std::wstring ArgumentsOfThisProgram() {
    std::wstring line = GetCommandLineW();
    size_t at = 0;
    bool quoted = false;
    for (; at < line.size(); ++at) {
        if (line[at] == L'"') quoted = !quoted;
        else if ((line[at] == L' ' || line[at] == L'\t') && !quoted) break;
    }
    return line.substr(at);
}

}  // namespace

LogBitness InstallBitness(const std::string& logPath) {
    IniDocument log;
    log.Load(logPath);
    LogBitness marked = ReadLogBitness(log);
    if (marked != LogBitness::Unknown || !SixtyFourBitWindows()) return marked;
    std::string key = log.Get("UnSetupRegistryKey", "Key", "");
    if (!IsUninstallEntryKey(key)) return LogBitness::Unknown;
    bool in64 = KeyInView(key, KEY_WOW64_64KEY), in32 = KeyInView(key, KEY_WOW64_32KEY);
    if (in64 == in32) return LogBitness::Unknown;
    return in64 ? LogBitness::SixtyFour : LogBitness::ThirtyTwo;
}

BitnessDecision DecideBitness(const std::string& logPath, const std::string& windowsFolder) {
    BitnessDecision decision;
    if (!IsUninstallParameter(logPath) || !FileExists(logPath)) return decision;
    LogBitness bitness = InstallBitness(logPath);
    LogBitness mine = kSixtyFourBitBuild ? LogBitness::SixtyFour : LogBitness::ThirtyTwo;
    if (bitness == LogBitness::Unknown || bitness == mine) return decision;
    bool otherIs64 = bitness == LogBitness::SixtyFour;
    decision.uninstaller = AddDelimiter(windowsFolder, "B") + UninstallerFileName(otherIs64);
    if (SixtyFourBitWindows() && FileExists(decision.uninstaller)) {
        decision.handOver = true;
        return decision;
    }
    decision.refuse = true;
    std::string bits = otherIs64 ? "64" : "32";
    decision.message = "このプログラムは" + bits + "ビット版のセットアップでインストールされたため、" + bits +
                       "ビット版のアンインストーラでしか正しく削除できません。\r\n" + decision.uninstaller +
                       " が見つからないため、アンインストールは行いません。";
    return decision;
}

int RunOtherUninstaller(const std::string& uninstaller) {
    std::wstring program = Wide(uninstaller);
    std::wstring line = L"\"" + program + L"\"" + ArgumentsOfThisProgram();
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return kExitFailed;
    Handle processHandle(process.hProcess);
    Handle threadHandle(process.hThread);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = kExitFailed;
    GetExitCodeProcess(process.hProcess, &code);
    return static_cast<int>(code);
}
