// The sample distribution installed and uninstalled the way a user does it: through the wizard's
// pages, the questions and the Add/Remove Programs entry; then the machine is checked.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstdio>
#include <cstdlib>

#include "app/control_ids.h"
#include "driver/e2e_driver.h"
#include "support/places.h"

namespace {

const char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\OrvantSampleApp";
const char kSharedDlls[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
// The script's (Local) and (Cuser) key.
const char kSampleKey[] = "Software\\Orvant Sample\\SampleApp";

std::string RegString(HKEY root, const std::string& key, const std::string& name) {
    HKEY handle;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return "<no key>";
    char buffer[2048] = {};
    DWORD size = sizeof(buffer) - 1, type = 0;
    LONG result = RegQueryValueExA(handle, name.empty() ? nullptr : name.c_str(), nullptr, &type,
                                   reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(handle);
    return result == ERROR_SUCCESS ? std::string(buffer) : "<no value>";
}

bool KeyExists(HKEY root, const std::string& key) {
    HKEY handle;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
    RegCloseKey(handle);
    return true;
}

bool FileExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ShellFolder(int csidl) {
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, csidl, nullptr, 0, path);
    return std::string(path) + "\\";
}

std::string ReadAll(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string text(GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &read, nullptr);
    CloseHandle(file);
    return text;
}

// The files and folders below a folder, one per line.
std::string Listing(const std::string& folder) {
    std::string lines;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return lines;
    do {
        std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        lines += "\n  " + e2e::Utf8(folder + name);
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) lines += Listing(folder + name + "\\");
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return lines;
}

// What the sample left on the machine, printed for the person running the sample (and kept in
// the test log): files, shortcuts, registry, the Add/Remove entry and the uninstall log.
void PrintMachineState(const std::string& heading, const std::string& installFolder) {
    std::string windows = ShellFolder(CSIDL_WINDOWS);
    std::string out = "\n==== " + heading + " ====\n";
    out += "Install folder " + e2e::Utf8(installFolder) + (FolderExists(installFolder) ? ":" : ": (none)");
    out += Listing(installFolder) + "\n";
    for (const std::string& link : {ShellFolder(CSIDL_PROGRAMS) + "サンプルアプリ\\サンプルアプリ.lnk",
                                    ShellFolder(CSIDL_PROGRAMS) + "サンプルアプリ\\マニュアル.lnk",
                                    ShellFolder(CSIDL_DESKTOPDIRECTORY) + "サンプルアプリ.lnk"})
        out += "Shortcut " + e2e::Utf8(link) + (FileExists(link) ? "" : " (none)") + "\n";
    auto value = [&](HKEY root, const char* rootName, const std::string& key, const std::string& name) {
        // Named as stored: a 32-bit program's HKLM\Software keys lie under WOW6432Node.
        std::string stored = root == HKEY_CLASSES_ROOT ? key : places::StoredAs(root, key);
        if (stored.front() == '<') stored = key;
        out += std::string(rootName) + "\\" + e2e::Utf8(stored) + " [" + (name.empty() ? "(default)" : name) +
               "] = " + e2e::Utf8(RegString(root, key, name)) + "\n";
    };
    value(HKEY_CURRENT_USER, "HKCU", "Software\\Orvant Sample\\SampleApp", "InstallFolder");
    value(HKEY_LOCAL_MACHINE, "HKLM", "Software\\Orvant Sample\\SampleApp", "Version");
    value(HKEY_CLASSES_ROOT, "HKCR", ".osd", "");
    value(HKEY_CLASSES_ROOT, "HKCR", "osd_auto_file\\shell\\open\\command", "");
    value(HKEY_LOCAL_MACHINE, "HKLM", kUninstallKey, "DisplayName");
    value(HKEY_LOCAL_MACHINE, "HKLM", kUninstallKey, "UninstallString");
    value(HKEY_LOCAL_MACHINE, "HKLM", kUninstallKey, "DisplayIcon");
    char recorded[MAX_PATH] = {};
    GetPrivateProfileStringA("ORVSAMPLE", "Folder", "(none)", recorded, sizeof(recorded), (windows + "OVSET98.INI").c_str());
    out += "OVSET98.INI [ORVSAMPLE] Folder = " + e2e::Utf8(recorded) + "\n";
    std::string log = ReadAll(installFolder + "UNSETUP.INI");
    out += "UNSETUP.INI" + (log.empty() ? std::string(": (none)\n") : ":\n" + e2e::Utf8(log));
    fputs(out.c_str(), stdout);
    fflush(stdout);
}

// Clicks the event button once it carries the caption, and waits until the click took effect.
bool Press(e2e::Window& wizard, int id, const std::string& caption) {
    e2e::Window button = wizard.ControlById(id);
    return button && button.WaitText(caption, 10000) && button.WaitEnabled(true, 10000) && button.Click();
}

class SampleRoundTrip : public ::testing::Test {
protected:
    void TearDown() override {
        // Whatever a failed run left behind must not disturb later tests.
        e2e::RemoveFolder(installFolder_);
        SHDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey);
        SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\Orvant Sample");
        SHDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Orvant Sample");
        SHDeleteKeyA(HKEY_CLASSES_ROOT, ".osd");
        SHDeleteKeyA(HKEY_CLASSES_ROOT, "osd_auto_file");
        DeleteFileA((ShellFolder(CSIDL_DESKTOPDIRECTORY) + "サンプルアプリ.lnk").c_str());
        e2e::RemoveFolder(ShellFolder(CSIDL_PROGRAMS) + "サンプルアプリ\\");
    }
    // (Prg) of the script: the Program Files folder of this build's programs.
    std::string installFolder_ = places::ProgramFiles() + "Orvant Sample\\SampleApp\\";
};

}  // namespace

TEST_F(SampleRoundTrip, InstallThenUninstallLeavesTheMachineAsBefore) {
    std::string dist = e2e::SampleDistribution("sample-roundtrip");
    ASSERT_FALSE(dist.empty());
    std::string windows = ShellFolder(CSIDL_WINDOWS);
    ASSERT_FALSE(FolderExists(installFolder_)) << "a previous run left the sample installed";

    // --- install -------------------------------------------------------------------------
    e2e::TargetProcess setup;
    ASSERT_TRUE(setup.Start(dist + "SETUP.EXE"));
    e2e::Window wizard = setup.WaitWindow("TfrmMain", "サンプルアプリ セットアップ", 30000);
    ASSERT_TRUE(wizard);
    e2e::Screenshot("title");
    ASSERT_TRUE(Press(wizard, IDC_BTN_EVENT, "インストール続行(&C)"));
    // Agreement: the box must be ticked before the agree button works.
    e2e::Window agree = wizard.ControlById(IDC_BTN_EVENT);
    ASSERT_TRUE(agree.WaitText("同意する(&A)", 10000));
    EXPECT_SOON(agree, Enabled, false);
    e2e::Screenshot("agreement");
    ASSERT_TRUE(wizard.ControlById(IDC_CHK_EULA_READ).Click());
    ASSERT_TRUE(Press(wizard, IDC_BTN_EVENT, "同意する(&A)"));
    EXPECT_TRUE(wizard.ControlById(IDC_FRA_README).WaitText("お読みください"));
    e2e::Screenshot("readme");
    ASSERT_TRUE(Press(wizard, IDC_BTN_EVENT, "インストール続行(&C)"));
    e2e::Window folder = wizard.ControlById(IDC_TXT_FOLDER);
    ASSERT_TRUE(folder.WaitText(installFolder_));
    e2e::Screenshot("options");
    ASSERT_TRUE(Press(wizard, IDC_BTN_EVENT, "インストール開始(&S)"));

    e2e::MsgBox create = setup.WaitMessageBox(10000);
    ASSERT_TRUE(create);
    EXPECT_TRUE(e2e::SameText(create.Title(), "フォルダ作成"));
    EXPECT_SOON(create, Text, installFolder_ + "\r\n\r\nこのフォルダは存在しません。作成してもよろしいですか？");
    ASSERT_TRUE(create.Answer(IDYES));
    e2e::MsgBox relate = setup.WaitMessageBox(30000);
    ASSERT_TRUE(relate);
    EXPECT_TRUE(e2e::SameText(relate.Title(), "関連付けの確認"));
    ASSERT_TRUE(relate.Answer(IDYES));

    e2e::Window status = setup.WaitWindow("TfrmStatus");
    ASSERT_TRUE(status);
    e2e::Window next = status.ControlById(IDC_STATUS_BTN_ABORT);
    ASSERT_TRUE(next.WaitText("次へ(&N)", 30000));
    e2e::Window progress = status.ControlById(IDC_STATUS_LBL_MESSAGE);
    EXPECT_SOON_TRUE(e2e::Contains(progress.Text(), "ファイルをコピーしています．．．完了"));
    EXPECT_SOON_TRUE(e2e::Contains(progress.Text(), "【処理完了】"));
    e2e::Screenshot("install-done");
    ASSERT_TRUE(next.Click());
    ASSERT_TRUE(wizard.ControlById(IDC_BTN_EVENT).WaitText("インストール完了(&E)", 10000));
    EXPECT_SOON(wizard.ControlById(IDC_OPT_SELECT_TYPE1), Text, "インストーラを終了して、プログラムを実行します。(&Y)");
    e2e::Screenshot("completion-page");
    ASSERT_TRUE(Press(wizard, IDC_BTN_EVENT, "インストール完了(&E)"));
    ASSERT_TRUE(setup.WaitForExit(15000));

    // The follow-up program started with its arguments; the user closes it again.
    HWND sample = nullptr;
    EXPECT_TRUE(e2e::WaitUntil([&] { return (sample = FindWindowA("OrvantSampleApp", nullptr)) != nullptr; },
                               "the sample application's window", [] { return std::string("none"); }, 10000));
    e2e::Screenshot("sample-started");
    if (sample) {
        PostMessageA(sample, WM_CLOSE, 0, 0);
        e2e::WaitUntil([] { return FindWindowA("OrvantSampleApp", nullptr) == nullptr; }, "the sample to close",
                       [] { return std::string("still open"); }, 10000);
    }

    // What the install left: files, shortcuts, registry, association, log, Add/Remove entry.
    PrintMachineState("After the install", installFolder_);
    for (const char* name : {"SAMPLE.EXE", "README.TXT", "MANUAL.TXT", "SAMPLE.DLL", "Data\\SETTINGS.INI", "UNSETUP.INI"})
        EXPECT_TRUE(FileExists(installFolder_ + name)) << name;
    EXPECT_EQ(ReadAll(installFolder_ + "MANUAL.TXT"), ReadAll(e2e::ExamplesFolder() + "sample\\MANUAL.TXT"))
        << "expanded from MANUAL.TX_";
    EXPECT_TRUE(FileExists(ShellFolder(CSIDL_PROGRAMS) + "サンプルアプリ\\サンプルアプリ.lnk"));
    EXPECT_TRUE(FileExists(ShellFolder(CSIDL_DESKTOPDIRECTORY) + "サンプルアプリ.lnk"));
    EXPECT_EQ(RegString(HKEY_CURRENT_USER, "Software\\Orvant Sample\\SampleApp", "InstallFolder"),
              installFolder_.substr(0, installFolder_.size() - 1));
    HKEY component;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Orvant Sample\\SampleComponent", 0, KEY_READ, &component), 0)
        << "SAMPLE.DLL registered itself (/R)";
    RegCloseKey(component);
    EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, ".osd", ""), "osd_auto_file");
    EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, "osd_auto_file\\shell\\open\\command", ""),
              "\"" + installFolder_ + "SAMPLE.EXE\" \"%1\"");
    std::string uninstall = RegString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString");
    EXPECT_EQ(uninstall, windows + places::Uninstaller() + " \"" + installFolder_ + "UNSETUP.INI\"");
    EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName"), "サンプルアプリ 1.0");
    EXPECT_TRUE(FileExists(windows + places::Uninstaller()));
    // Seen from outside: the machine-wide keys in the program's own registry view (the 32-bit view
    // for the 32-bit build), the user's keys and the file type shared by both views.
    EXPECT_EQ(places::StoredAs(HKEY_LOCAL_MACHINE, kUninstallKey), places::MachineKey(kUninstallKey));
    EXPECT_EQ(places::StoredAs(HKEY_LOCAL_MACHINE, kSampleKey, "Version"), places::MachineKey(kSampleKey));
    EXPECT_EQ(places::StoredAs(HKEY_LOCAL_MACHINE, kSharedDlls, (installFolder_ + "SAMPLE.DLL").c_str()),
              places::MachineKey(kSharedDlls));
    EXPECT_EQ(places::StoredAs(HKEY_CURRENT_USER, kSampleKey, "InstallFolder"), kSampleKey);
    EXPECT_EQ(places::StoredAs(HKEY_LOCAL_MACHINE, "Software\\Classes\\.osd"), "Software\\Classes\\.osd");
    // A caller that judges the uninstaller copy itself (its signature) names where to keep it.
    if (const char* keep = std::getenv("SETUP_E2E_KEEP_UNINSTALLER"); keep && *keep) {
        EXPECT_TRUE(CopyFileA((windows + places::Uninstaller()).c_str(), e2e::WindowsPath(keep).c_str(), FALSE)) << keep;
    }
    char recorded[MAX_PATH] = {};
    GetPrivateProfileStringA("ORVSAMPLE", "Folder", "", recorded, sizeof(recorded), (windows + "OVSET98.INI").c_str());
    EXPECT_EQ(std::string(recorded), installFolder_);

    // --- uninstall through the Add/Remove Programs entry ---------------------------------
    e2e::TargetProcess unsetup;
    ASSERT_TRUE(unsetup.StartCommandLine(uninstall, windows));
    e2e::Window unwizard = unsetup.WaitWindow("TfrmMain", "サンプルアプリ アンインストール", 15000);
    ASSERT_TRUE(unwizard);
    EXPECT_TRUE(unwizard.ControlById(IDC_TXT_FOLDER).WaitText(installFolder_));
    e2e::Screenshot("uninstall-page");
    ASSERT_TRUE(Press(unwizard, IDC_BTN_EVENT, "アンインストール開始(&S)"));
    // SAMPLE.DLL was counted once as shared: the last user asks before it goes.
    e2e::Window ask = unsetup.WaitWindow("TfrmCustomDlg", "ファイル削除の確認", 30000);
    ASSERT_TRUE(ask);
    EXPECT_SOON_TRUE(e2e::Contains(ask.ControlById(IDC_CUSTOM_LBL_MESSAGE).Text(), installFolder_ + "SAMPLE.DLL"));
    e2e::Screenshot("shared-file-question");
    ASSERT_TRUE(ask.ControlById(IDC_CUSTOM_BTN_YES).Click());
    e2e::Window unstatus = unsetup.WaitWindow("TfrmStatus");
    ASSERT_TRUE(unstatus);
    e2e::Window unnext = unstatus.ControlById(IDC_STATUS_BTN_ABORT);
    if (!unnext.WaitText("次へ(&N)", 30000)) {
        // Show what failed: the details page holds the failure blocks.
        e2e::MsgBox box = unsetup.FindMessageBox();
        if (box && box.Answer(IDYES)) {
            e2e::Window details = unwizard.ControlById(IDC_TXT_README);
            e2e::WaitUntil([&] { return !details.Text().empty(); }, "failure details", [&] { return details.Text(); });
            FAIL() << e2e::Utf8(details.Text()) << "\nleft in the install folder:" << Listing(installFolder_);
        }
        FAIL() << unsetup.DescribeWindows();
    }
    EXPECT_SOON_TRUE(e2e::Contains(unstatus.ControlById(IDC_STATUS_LBL_MESSAGE).Text(),
                                   "インストールフォルダのアンインストール処理．．．完了"));
    e2e::Screenshot("uninstall-done");
    ASSERT_TRUE(unnext.Click());
    ASSERT_TRUE(Press(unwizard, IDC_BTN_EVENT, "アンインストール完了(&E)"));
    ASSERT_TRUE(unsetup.WaitForExit(15000));

    PrintMachineState("After the uninstall", installFolder_);
    EXPECT_FALSE(FolderExists(installFolder_));
    EXPECT_FALSE(FolderExists(ShellFolder(CSIDL_PROGRAMS) + "サンプルアプリ\\"));
    EXPECT_FALSE(FileExists(ShellFolder(CSIDL_DESKTOPDIRECTORY) + "サンプルアプリ.lnk"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Orvant Sample"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Orvant Sample"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".osd"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "osd_auto_file"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_EQ(places::StoredAs(HKEY_LOCAL_MACHINE, kUninstallKey), "<nowhere>");
    EXPECT_EQ(places::StoredAs(HKEY_LOCAL_MACHINE, kSampleKey), "<nowhere>");
    EXPECT_EQ(places::StoredAs(HKEY_LOCAL_MACHINE, kSharedDlls, (installFolder_ + "SAMPLE.DLL").c_str()), "<nowhere>");
    char folderValue[8] = {};
    EXPECT_EQ(GetPrivateProfileStringA("ORVSAMPLE", "Folder", "", folderValue, sizeof(folderValue),
                                       (windows + "OVSET98.INI").c_str()),
              0u);
}
