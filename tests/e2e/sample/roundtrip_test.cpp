// The sample distribution installed and uninstalled the way a user does it: through the wizard's
// pages, the questions and the Add/Remove Programs entry; then the machine is checked.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstdio>
#include <cstring>

#include "app/control_ids.h"
#include "base/cp932.h"
#include "check/checker_run.h"
#include "driver/e2e_driver.h"
#include "edge/wide.h"
#include "support/places.h"

namespace {

const char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\OrvantSampleApp";
const char kSharedDlls[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
// The script's (Local) and (Cuser) key.
const char kSampleKey[] = "Software\\Orvant Sample\\SampleApp";

// Registry values and paths go through the W functions: text is UTF-8.
std::string RegString(HKEY root, const std::string& key, const std::string& name) {
    HKEY handle;
    if (RegOpenKeyExW(root, Wide(key).c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return "<no key>";
    DWORD size = 0, type = 0;
    std::wstring wideName = Wide(name);
    const wchar_t* valueName = name.empty() ? nullptr : wideName.c_str();
    std::wstring buffer;
    LONG result = RegQueryValueExW(handle, valueName, nullptr, &type, nullptr, &size);
    if (result == ERROR_SUCCESS) {
        buffer.assign(size / sizeof(wchar_t) + 1, L'\0');
        result = RegQueryValueExW(handle, valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size);
    }
    RegCloseKey(handle);
    return result == ERROR_SUCCESS ? Narrow(buffer.c_str()) : "<no value>";
}

bool KeyExists(HKEY root, const std::string& key) {
    HKEY handle;
    if (RegOpenKeyExW(root, Wide(key).c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
    RegCloseKey(handle);
    return true;
}

bool FileExists(const std::string& path) { return e2e::FileExists(path); }

bool FolderExists(const std::string& path) { return e2e::FolderExists(path); }

std::string ShellFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, csidl, nullptr, 0, path);
    return Narrow(path) + "\\";
}

std::string ReadAll(const std::string& path) { return e2e::ReadBytes(path); }

// The text of an uninstall log: UTF-16 when it starts with its byte-order mark, else code page 932.
std::string LogText(const std::string& bytes) {
    if (bytes.size() < 2 || bytes.compare(0, 2, "\xFF\xFE") != 0) return Cp932ToUtf8(bytes);
    std::wstring text((bytes.size() - 2) / sizeof(wchar_t), L'\0');
    memcpy(text.data(), bytes.data() + 2, text.size() * sizeof(wchar_t));
    return Narrow(text);
}

// The files and folders below a folder, one per line.
std::string Listing(const std::string& folder) {
    std::string lines;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(Wide(folder + "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return lines;
    do {
        std::string name = Narrow(data.cFileName);
        if (name == "." || name == "..") continue;
        lines += "\n  " + folder + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) lines += Listing(folder + name + "\\");
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return lines;
}

// The prefix this run has (tools/wine-env.sh): the system's code page, and whether its user's
// temporary folder and desktop are named outside code page 932.
UINT PrefixCodePage() { return e2e::EnvironmentVariable("SETUP_WINE_CODEPAGE") == "1252" ? 1252 : 932; }
bool JoseUser() { return e2e::EnvironmentVariable("SETUP_WINE_VARIANT") == "jose"; }

// What the sample left on the machine, printed for the person running the sample (and kept in
// the test log): files, shortcuts, registry, the Add/Remove entry and the uninstall log.
void PrintMachineState(const std::string& heading, const std::string& installFolder) {
    std::string windows = ShellFolder(CSIDL_WINDOWS);
    std::string out = "\n==== " + heading + " ====\n";
    out += "Install folder " + installFolder + (FolderExists(installFolder) ? ":" : ": (none)");
    out += Listing(installFolder) + "\n";
    for (const std::string& link : {ShellFolder(CSIDL_PROGRAMS) + "サンプルアプリ\\サンプルアプリ.lnk",
                                    ShellFolder(CSIDL_PROGRAMS) + "サンプルアプリ\\マニュアル.lnk",
                                    ShellFolder(CSIDL_DESKTOPDIRECTORY) + "サンプルアプリ.lnk"})
        out += "Shortcut " + link + (FileExists(link) ? "" : " (none)") + "\n";
    auto value = [&](HKEY root, const char* rootName, const std::string& key, const std::string& name) {
        // Named as stored: a 32-bit program's HKLM\Software keys lie under WOW6432Node.
        std::string stored = root == HKEY_CLASSES_ROOT ? key : places::StoredAs(root, key);
        if (stored.front() == '<') stored = key;
        out += std::string(rootName) + "\\" + stored + " [" + (name.empty() ? "(default)" : name) +
               "] = " + RegString(root, key, name) + "\n";
    };
    value(HKEY_CURRENT_USER, "HKCU", "Software\\Orvant Sample\\SampleApp", "InstallFolder");
    value(HKEY_LOCAL_MACHINE, "HKLM", "Software\\Orvant Sample\\SampleApp", "Version");
    value(HKEY_CLASSES_ROOT, "HKCR", ".osd", "");
    value(HKEY_CLASSES_ROOT, "HKCR", "osd_auto_file\\shell\\open\\command", "");
    value(HKEY_LOCAL_MACHINE, "HKLM", kUninstallKey, "DisplayName");
    value(HKEY_LOCAL_MACHINE, "HKLM", kUninstallKey, "UninstallString");
    value(HKEY_LOCAL_MACHINE, "HKLM", kUninstallKey, "DisplayIcon");
    bool recorded = false;
    std::string folder = e2e::IniValue(windows + "OVSET98.INI", "ORVSAMPLE", "Folder", &recorded);
    out += "OVSET98.INI [ORVSAMPLE] Folder = " + (recorded ? Cp932ToUtf8(folder) : std::string("(none)")) + "\n";
    std::string log = ReadAll(installFolder + "UNSETUP.INI");
    out += "UNSETUP.INI" + (log.empty() ? std::string(": (none)\n") : ":\n" + LogText(log));
    fputs(out.c_str(), stdout);
    fflush(stdout);
}

// SETUP_E2E_SINGLE=1: the distribution is made into one file by SETUPMAK (SETUP_E2E_MAKE_EXE) and
// started alone in a folder, as a download is.
bool SingleFileRun() { return e2e::EnvironmentVariable("SETUP_E2E_SINGLE") == "1"; }

// The single file made from the distribution folder, in a folder of its own; "" on failure.
std::string MakeSingleFile(const std::string& dist, const std::string& name) {
    std::string out = e2e::ScratchFolder(name) + "SAMPLE-SETUP.EXE";
    CheckerRun run = RunChecker(e2e::WindowsPath(e2e::EnvironmentVariable("SETUP_E2E_MAKE_EXE")),
                                "\"" + dist + "\" \"/OUT=" + out + "\"", {});
    EXPECT_TRUE(run.started) << run.startError;
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    return run.started && run.exitCode == 0 && FileExists(out) ? out : std::string();
}

// The work folders of the program in the user's temporary folder.
std::string WorkFolders() {
    std::string names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(Wide(e2e::TempFolder() + "OVTMP*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do names += Narrow(data.cFileName) + " ";
    while (FindNextFileW(find, &data));
    FindClose(find);
    return names;
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
        SHDeleteKeyW(HKEY_LOCAL_MACHINE, Wide(kUninstallKey).c_str());
        SHDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Orvant Sample");
        SHDeleteKeyW(HKEY_LOCAL_MACHINE, L"Software\\Orvant Sample");
        SHDeleteKeyW(HKEY_CLASSES_ROOT, L".osd");
        SHDeleteKeyW(HKEY_CLASSES_ROOT, L"osd_auto_file");
        DeleteFileW(Wide(ShellFolder(CSIDL_DESKTOPDIRECTORY) + "サンプルアプリ.lnk").c_str());
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
    // A Japanese system or an English one, a user whose folders are named outside code page 932 or
    // not: everything below holds for all.
    const bool jose = JoseUser();
    ASSERT_EQ(GetACP(), PrefixCodePage()) << "the system's code page of this prefix";
    const std::string desktop = ShellFolder(CSIDL_DESKTOPDIRECTORY), temp = e2e::TempFolder();
    if (jose) {
        ASSERT_EQ(desktop, "C:\\users\\José\\Desktop\\");
        ASSERT_EQ(temp, "C:\\users\\José\\Temp\\");
    }
    const std::string work = temp + "OVTMP1\\";
    ASSERT_FALSE(FolderExists(work)) << "a previous run left its work folder";

    // --- install -------------------------------------------------------------------------
    const bool single = SingleFileRun();
    const std::string program = single ? MakeSingleFile(dist, "sample-single") : dist + "SETUP.EXE";
    ASSERT_FALSE(program.empty());
    e2e::TargetProcess setup;
    ASSERT_TRUE(setup.Start(program));
    e2e::Window wizard = setup.WaitWindow("TfrmMain", "サンプルアプリ セットアップ", 30000);
    ASSERT_TRUE(wizard);
    // The program works in a folder of its own in the user's temporary folder.
    EXPECT_SOON_EQ(FileExists(work + "SETUPB.EXE"), true);
    EXPECT_SOON_EQ(FileExists(work + "SETUP.INI"), true);
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
    // The distribution's readme file, whichever way it came (a single file keeps it as a file).
    EXPECT_SOON_TRUE(e2e::Contains(wizard.ControlById(IDC_TXT_README).Text(), "起動すると、インストール先と起動回数を表示します。"));
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
    EXPECT_FALSE(FolderExists(work)) << "the work folder goes with the program";

    // The follow-up program started with its arguments; the user closes it again.
    HWND sample = nullptr;
    EXPECT_TRUE(e2e::WaitUntil([&] { return (sample = FindWindowW(L"OrvantSampleApp", nullptr)) != nullptr; },
                               "the sample application's window", [] { return std::string("none"); }, 10000));
    e2e::Screenshot("sample-started");
    if (sample) {
        PostMessageW(sample, WM_CLOSE, 0, 0);
        e2e::WaitUntil([] { return FindWindowW(L"OrvantSampleApp", nullptr) == nullptr; }, "the sample to close",
                       [] { return std::string("still open"); }, 10000);
    }

    // What the install left: files, shortcuts, registry, association, log, Add/Remove entry.
    PrintMachineState("After the install", installFolder_);
    for (const char* name : {"SAMPLE.EXE", "README.TXT", "MANUAL.TXT", "SAMPLE.DLL", "Data\\SETTINGS.INI", "UNSETUP.INI"})
        EXPECT_TRUE(FileExists(installFolder_ + name)) << name;
    EXPECT_EQ(ReadAll(installFolder_ + "MANUAL.TXT"), ReadAll(e2e::ExamplesFolder() + "sample\\MANUAL.TXT"))
        << "expanded from MANUAL.TX_";
    EXPECT_TRUE(FileExists(ShellFolder(CSIDL_PROGRAMS) + "サンプルアプリ\\サンプルアプリ.lnk"));
    EXPECT_TRUE(FileExists(desktop + "サンプルアプリ.lnk"));
    // The log names the desktop shortcut: code page 932 text, or UTF-16 with its byte-order mark
    // when that path is outside code page 932.
    std::string log = ReadAll(installFolder_ + "UNSETUP.INI");
    EXPECT_EQ(log.compare(0, 2, "\xFF\xFE") == 0, jose) << "UTF-16 exactly when a path needs it";
    EXPECT_TRUE(e2e::Contains(LogText(log), "=" + desktop + "サンプルアプリ.lnk\r\n"));
    EXPECT_EQ(RegString(HKEY_CURRENT_USER, "Software\\Orvant Sample\\SampleApp", "InstallFolder"),
              installFolder_.substr(0, installFolder_.size() - 1));
    HKEY component;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Orvant Sample\\SampleComponent", 0, KEY_READ, &component), 0)
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
    if (std::string keep = e2e::EnvironmentVariable("SETUP_E2E_KEEP_UNINSTALLER"); !keep.empty()) {
        EXPECT_TRUE(
            CopyFileW(Wide(windows + places::Uninstaller()).c_str(), Wide(e2e::WindowsPath(keep)).c_str(), FALSE))
            << keep;
    }
    EXPECT_TRUE(e2e::SameCp932(e2e::IniValue(windows + "OVSET98.INI", "ORVSAMPLE", "Folder"), installFolder_));

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
            FAIL() << details.Text() << "\nleft in the install folder:" << Listing(installFolder_);
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
    EXPECT_FALSE(FolderExists(work)) << "the uninstaller's work folder goes with it";
    EXPECT_FALSE(FolderExists(installFolder_));
    EXPECT_FALSE(FolderExists(ShellFolder(CSIDL_PROGRAMS) + "サンプルアプリ\\"));
    EXPECT_FALSE(FileExists(desktop + "サンプルアプリ.lnk"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Orvant Sample"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Orvant Sample"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".osd"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "osd_auto_file"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_EQ(places::StoredAs(HKEY_LOCAL_MACHINE, kUninstallKey), "<nowhere>");
    EXPECT_EQ(places::StoredAs(HKEY_LOCAL_MACHINE, kSampleKey), "<nowhere>");
    EXPECT_EQ(places::StoredAs(HKEY_LOCAL_MACHINE, kSharedDlls, (installFolder_ + "SAMPLE.DLL").c_str()), "<nowhere>");
    bool recorded = true;
    e2e::IniValue(windows + "OVSET98.INI", "ORVSAMPLE", "Folder", &recorded);
    EXPECT_FALSE(recorded) << "the install folder is no longer recorded";
}

// A download cut short or changed on the way: the program says so, installs nothing and leaves no
// work folder, in the wizard and unattended.
TEST_F(SampleRoundTrip, ADamagedSingleFileInstallsNothingAndSaysWhy) {
    std::string dist = e2e::SampleDistribution("sample-damaged");
    ASSERT_FALSE(dist.empty());
    std::string whole = ReadAll(MakeSingleFile(dist, "sample-damaged-single"));
    ASSERT_GT(whole.size(), 10000u);
    const std::string before = WorkFolders();
    std::string flipped = whole;
    flipped[whole.size() - 5000] ^= 0x20;
    const std::pair<const char*, std::string> damages[] = {
        {"a changed byte", flipped}, {"a cut end", whole.substr(0, whole.size() - 1000)}};
    for (const auto& [what, bytes] : damages) {
        SCOPED_TRACE(what);
        std::string file = e2e::ScratchFolder("sample-damaged-run") + "SAMPLE-SETUP.EXE";
        ASSERT_TRUE(e2e::WriteBytes(file, bytes));
        e2e::TargetProcess quiet;
        ASSERT_TRUE(quiet.Start(file, "/S"));
        ASSERT_TRUE(quiet.WaitForExit(30000));
        EXPECT_EQ(quiet.ExitCode(), 1620u);

        e2e::TargetProcess setup;
        ASSERT_TRUE(setup.Start(file));
        e2e::MsgBox box = setup.WaitMessageBox(30000);
        ASSERT_TRUE(box);
        EXPECT_SOON_TRUE(e2e::Contains(box.Text(), "このセットアップファイルは壊れています。"));
        EXPECT_SOON_TRUE(e2e::Contains(box.Text(), "何もインストールしていません。"));
        e2e::Screenshot("damaged");
        ASSERT_TRUE(box.Answer(IDOK));
        ASSERT_TRUE(setup.WaitForExit(15000));
        EXPECT_EQ(setup.ExitCode(), 1620u);
        EXPECT_FALSE(FolderExists(installFolder_));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
        EXPECT_EQ(WorkFolders(), before) << "no work folder left";
    }
}

// The sample's application files, as a distributor starts: SETUPMAK /NEW writes a starting script
// that every check passes, and the folder builds into a single file.
TEST_F(SampleRoundTrip, TheSamplesFilesGetAStartingScriptThatBuilds) {
    std::string dist = e2e::SampleDistribution("sample-new");
    ASSERT_FALSE(dist.empty());
    std::string app = e2e::ScratchFolder("SampleApp"), out = e2e::ScratchFolder("sample-new-out") + "SAMPLE-NEW.EXE";
    for (const char* name : {"SAMPLE.EXE", "SAMPLE.DLL", "README.TXT", "EULA.TXT", "SETTINGS.INI"})
        ASSERT_TRUE(e2e::CopyInto(dist + name, app)) << name;
    const std::string maker = e2e::WindowsPath(e2e::EnvironmentVariable("SETUP_E2E_MAKE_EXE"));
    CheckerRun made = RunChecker(maker, "/EN /NEW \"" + app + "\"", {});
    ASSERT_EQ(made.exitCode, 0u) << made.output;
    std::string script = Cp932ToUtf8(ReadAll(app + "SETUP.INI"));
    EXPECT_TRUE(e2e::Contains(script, "\r\nFile1=")) << script;
    EXPECT_TRUE(e2e::Contains(script, "(App)SAMPLE.EXE")) << script;
    CheckerRun built = RunChecker(maker, "/EN \"" + app + "\" \"/OUT=" + out + "\" \"/PLAIN=" + dist + "SETUP.EXE\"", {});
    EXPECT_EQ(built.exitCode, 0u) << "the starting script is clean under every check:\n" << built.output;
    EXPECT_TRUE(FileExists(out));
}
