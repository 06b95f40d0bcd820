// A distributor's checker program as the wizard scenarios need it: one binary whose answer is set
// by the file CHECKER.CFG beside it, so that each scenario decides what the checker says.
//
// CHECKER.CFG (an INI file):
//   [CheckResult] Result, Message   written as they are into OVRESULT.INI in the Windows folder;
//                                   a key that is absent here is not written there.
//   [Checker] Write=No              write no result file at all.
//   [Checker] HoldUntil=<file name> create CHECKER.RUN beside the program, then wait (at most
//                                   30 s) until the named file exists beside it, so that a test can
//                                   look at the wizard while the checker runs.
// Every start is recorded as one line in CHECKER.LOG beside the program:
//   Arguments=<command-line arguments>|UseShowWindow=<0/1>|ShowWindow=<n>|Unattended=<variable>
// (the value of ORVANT_SETUP_UNATTENDED in its environment).
#include <windows.h>

#include <string>

namespace {

std::string ProgramFolder() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of("\\/") + 1);
}

std::string WindowsFolder() {
    UINT length = GetWindowsDirectoryA(nullptr, 0);
    std::string folder(length, '\0');
    folder.resize(GetWindowsDirectoryA(folder.data(), length));
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    return folder;
}

// The value of a key, and whether the key is there at all.
bool ReadKey(const std::string& file, const char* section, const char* key, std::string& value) {
    const char absent[] = "\x01<absent>";
    std::string buffer(4096, '\0');
    DWORD length = GetPrivateProfileStringA(section, key, absent, buffer.data(),
                                            static_cast<DWORD>(buffer.size()), file.c_str());
    buffer.resize(length);
    if (buffer == absent) return false;
    value = buffer;
    return true;
}

bool FileExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void AppendLine(const std::string& path, const std::string& line) {
    HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    std::string text = line + "\r\n";
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

std::string Environment(const char* name) {
    char value[64] = "";
    DWORD length = GetEnvironmentVariableA(name, value, sizeof(value));
    return length > 0 && length < sizeof(value) ? std::string(value, length) : std::string();
}

// The command line less the program's own name (quoted or not).
std::string Arguments() {
    std::string line = GetCommandLineA();
    size_t p = 0;
    if (!line.empty() && line[0] == '"') {
        p = line.find('"', 1);
        p = p == std::string::npos ? line.size() : p + 1;
    } else {
        p = line.find_first_of(" \t");
        if (p == std::string::npos) p = line.size();
    }
    size_t begin = line.find_first_not_of(" \t", p);
    return begin == std::string::npos ? std::string() : line.substr(begin);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const std::string folder = ProgramFolder();
    const std::string config = folder + "CHECKER.CFG";

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    AppendLine(folder + "CHECKER.LOG", "Arguments=" + Arguments() + "|UseShowWindow=" +
                                           ((startup.dwFlags & STARTF_USESHOWWINDOW) ? "1" : "0") +
                                           "|ShowWindow=" + std::to_string(startup.wShowWindow) +
                                           "|Unattended=" + Environment("ORVANT_SETUP_UNATTENDED"));

    std::string hold;
    if (ReadKey(config, "Checker", "HoldUntil", hold) && !hold.empty()) {
        AppendLine(folder + "CHECKER.RUN", "running");
        for (int waited = 0; waited < 30000 && !FileExists(folder + hold); waited += 20) Sleep(20);
    }

    std::string write = "Yes";
    ReadKey(config, "Checker", "Write", write);
    if (write == "No") return 0;
    const std::string result = WindowsFolder() + "OVRESULT.INI";
    std::string value;
    if (ReadKey(config, "CheckResult", "Result", value))
        WritePrivateProfileStringA("CheckResult", "Result", value.c_str(), result.c_str());
    if (ReadKey(config, "CheckResult", "Message", value))
        WritePrivateProfileStringA("CheckResult", "Message", value.c_str(), result.c_str());
    // Profile writes may be cached: make sure the file is on disk before the checker ends.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, result.c_str());
    return 0;
}
