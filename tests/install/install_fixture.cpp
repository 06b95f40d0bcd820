#include "install_fixture.h"

#include "core/state.h"
#include "edge/fileops.h"
#include "edge/wide.h"
#include "script/ini.h"
#include "sys/registry.h"
#include "sys/shared_dll.h"
#include "sys/sys_helpers.h"

const char* const kTestUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\OrvantTestInstall";
const char* const kTestRegistryKey = "Software\\OrvantTest\\Install";
const char* const kTestExtension = "orvins";

namespace {

void RemoveSharedCountsUnder(const std::string& folder) {
    RegistryKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, kSharedDllsKey) != 0) return;
    DWORD longest = 0;
    if (RegQueryInfoKeyW(key.Handle(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longest, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS)
        return;
    std::vector<std::string> names;
    std::wstring name(longest + 1, L'\0');
    for (DWORD i = 0;; ++i) {
        DWORD length = static_cast<DWORD>(name.size());
        if (RegEnumValueW(key.Handle(), i, name.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.push_back(Narrow(std::wstring_view(name.data(), length)));
    }
    for (const std::string& value : names)
        if (value.compare(0, folder.size(), folder) == 0) key.DeleteValue(value);
}

void CleanRegistry() {
    RawDeleteTree(HKEY_CURRENT_USER, kTestRegistryKey);
    RawDeleteTree(HKEY_LOCAL_MACHINE, kTestUninstallKey);
    RawDeleteTree(HKEY_LOCAL_MACHINE, "Software\\OrvantTest");
    RawDeleteTree(HKEY_CLASSES_ROOT, std::string(".") + kTestExtension);
    RawDeleteTree(HKEY_CLASSES_ROOT, std::string(kTestExtension) + "_auto_file");
    RawDeleteTree(HKEY_CURRENT_USER, "Software\\OrvantTest\\ComServer");
}

}  // namespace

void InstallRunTest::SetUp() {
    ResetProgramState();
    root_ = ScratchFolder("install");
    dist_ = root_ + "dist\\";
    work_ = root_ + "work\\";
    win_ = root_ + "win\\";
    sys_ = win_ + "system32\\";
    temp_ = root_ + "tmp\\";
    shell_ = root_ + "shell\\";
    app_ = root_ + "app\\";
    for (const std::string& folder : {dist_, work_, sys_, temp_, shell_}) ForceFolders(folder);
    CleanRegistry();

    g_state.SetupMode = "SETUP";
    g_state.PlatformKind = "NT";
    g_state.ScriptPath = work_ + "SETUP.INI";
    g_state.WorkFolder = work_;
    g_state.SourceFolder = dist_;
    g_state.SetupSpeed = 1;
    g_state.UnSetupTitle = "Orvant Test";
    g_state.SetupTitle = "Orvant Test";
    g_state.ProgramId = "ORVTESTINSTALL";
    g_state.WindowsFolder = win_;
    g_state.SystemFolder = sys_;
    g_state.TempFolder = temp_;
    g_state.ProgramFilesFolder = root_ + "pf\\";
    g_state.WindowsDriveRoot = "C:\\";
    g_state.SourceDriveRoot = "C:\\";
    g_state.StartMenuFolder = shell_ + "StartMenu\\";
    g_state.ProgramsFolder = shell_ + "Programs\\";
    g_state.DesktopFolder = shell_ + "Desktop\\";
    g_state.StartupFolder = shell_ + "Startup\\";
    g_state.SendToFolder = shell_ + "SendTo\\";
    g_state.DocumentsFolder = shell_ + "Documents\\";
    g_state.CommonStartMenuFolder = shell_ + "AllStartMenu\\";
    g_state.CommonProgramsFolder = shell_ + "AllPrograms\\";
    g_state.CommonDesktopFolder = shell_ + "AllDesktop\\";
    g_state.CommonStartupFolder = shell_ + "AllStartup\\";
    g_state.CommonDocumentsFolder = shell_ + "AllDocuments\\";

    options_.folderText = root_ + "app";
    options_.overwriteAuto = true;
    options_.shortcuts = ShortcutBoxes{true, true, true, true};
    measures_.extended = [this](const std::string&, long long& bytes) {
        bytes = freeBytes_;
        return freeBytes_ >= 0;
    };
    measures_.classic = [](const std::string&, long long& bytes) {
        bytes = -1;
        return false;
    };
}

void InstallRunTest::TearDown() {
    CleanRegistry();
    RemoveSharedCountsUnder(root_);
    RemovePendingRenames(root_);
    FlushIniCache(win_ + "OVSET98.INI");
    ResetProgramState();
    RemoveTree(root_);
}

void InstallRunTest::Script(const std::string& sections, const std::string& titleLines, const std::string& extendLines) {
    std::string text = "[Extend]\r\nSetupSpeed=1\r\n" + extendLines + "[Title]\r\nUnSetupKey=OrvantTestInstall\r\n" +
                       titleLines + sections;
    ASSERT_TRUE(WriteTextFile(g_state.ScriptPath, Cp932Bytes(text)));
    FlushIniCache(g_state.ScriptPath);
}

void InstallRunTest::Source(const std::string& name, const std::string& bytes) {
    ASSERT_TRUE(WriteTextFile(dist_ + name, bytes));
}

void InstallRunTest::SourceFromData(const std::string& dataName, const std::string& asName) {
    std::string data = EnvValue("SETUP_INSTALL_DATA");
    ASSERT_FALSE(data.empty()) << "SETUP_INSTALL_DATA is not set: run the test through CTest";
    ASSERT_EQ(CopyFileOver(WindowsPathOf(data) + "\\" + dataName, dist_ + asName), 0u);
}

InstallResult InstallRunTest::Run() { return RunInstall(ui_, options_, measures_); }

void InstallRunTest::SetFileHour(const std::string& path, int hours) {
    SYSTEMTIME local = {2020, 6, 0, 15, 0, 0, 0, 0};
    local.wHour = static_cast<WORD>(hours);
    FILETIME localTime, utc;
    SystemTimeToFileTime(&local, &localTime);
    LocalFileTimeToFileTime(&localTime, &utc);
    HANDLE file = CreateFileW(Wide(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    SetFileTime(file, nullptr, nullptr, &utc);
    CloseHandle(file);
}

std::string CleanRunStatus(bool withFreeSpaceLine) {
    std::string text =
        "インストールの情報を作成しています．．．完了\r\n"
        "インストールに必要な容量を調べています．．．完了\r\n";
    if (withFreeSpaceLine) text += "ディスクの空き容量をチェックしています．．．完了\r\n";
    text +=
        "インストールフォルダをチェックしています．．．完了\r\n"
        "フォルダを作成しています．．．完了\r\n"
        "ファイルをコピーしています．．．完了\r\n"
        "ショートカットを作成しています．．．完了\r\n"
        "レジストリキーを作成しています．．．完了\r\n"
        "INIファイルを設定しています．．．完了\r\n"
        "関連付けを設定しています．．．完了\r\n"
        "アンインストール情報を更新しています．．．完了\r\n";
    return text;
}

bool ReadRegistryValue(HKEY root, const std::string& path, const std::string& name, DWORD& type, std::string& data) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, Wide(path).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    std::wstring wideName = Wide(name);
    DWORD size = 0;
    bool found = RegQueryValueExW(key, wideName.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
    std::string bytes(size, '\0');
    if (found && size > 0)
        found = RegQueryValueExW(key, wideName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()), &size) ==
                ERROR_SUCCESS;
    RegCloseKey(key);
    if (!found) return false;
    bytes.resize(size);
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
        data = bytes;
        return true;
    }
    // Strings are stored in UTF-16: read back as UTF-8, without their terminating zero.
    std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
    memcpy(text.data(), bytes.data(), text.size() * sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    data = Narrow(text);
    return true;
}

std::string RegistryText(HKEY root, const std::string& path, const std::string& name) {
    DWORD type = 0;
    std::string data;
    if (!ReadRegistryValue(root, path, name, type, data)) return "<absent>";
    if (type != REG_SZ) return "<type " + std::to_string(type) + ">";
    return data;
}
