// Hostile scripts and logs: a SETUP.INI or UNSETUP.INI that cannot be read, is cut off, is binary
// garbage, is saved as UTF-8 with a byte-order mark, or holds values of a megabyte, ten thousand
// numbered entries, numbers past 9999 or paths longer than MAX_PATH. Whatever comes, the program
// neither crashes nor hangs, says what went wrong where it has words for it, and loses nothing:
// the machine is as before, or holds what the log lists until the uninstall removes it.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <random>

#include "app/control_ids.h"
#include "support/places.h"
#include "app/exit_codes.h"
#include "edge/wide.h"
#include "runs/runs_support.h"

using namespace runs;

namespace {

const char kFatalPage[] = "【致命的エラー → iniファイル読み込み失敗】\r\n\r\n処理は続行できません。";
const char kMissingSource[] = "\r\nコピー元のファイルが見つかりません。\r\n\r\n";
const char kFolderLeft[] =
    "\r\nファイル・フォルダが残っているため、インストールフォルダを削除できませんでした。"
    "エクスプローラなどから、直接削除してください。\r\n\r\n";

// Bytes of a seeded generator: the same garbage on every run.
std::string Garbage(size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
    return bytes;
}

// A name of about the given size in code page 932 bytes, with double-byte characters whose trail
// byte there is "\".
std::string LongName(size_t size) {
    std::string name;
    for (size_t bytes = 0; bytes < size; bytes += 8) name += "表ソLong";  // 8 bytes in code page 932
    return name;
}

// What the details page shows of a line longer than 1,024 bytes of code page 932: its whole
// characters up to that length, and an ellipsis.
std::string ShownCut(const std::string& line) {
    size_t end = 0, width = 0;
    while (end < line.size()) {
        size_t next = end + 1;
        while (next < line.size() && (static_cast<unsigned char>(line[next]) & 0xC0) == 0x80) ++next;
        size_t bytes = e2e::Cp932(line.substr(end, next - end)).size();
        if (width + bytes > 1024) break;
        width += bytes;
        end = next;
    }
    return line.substr(0, end) + "…";
}

// The system's message for the error that the call leaves.
std::string ErrorTextOf(BOOL succeeded) { return SystemText(succeeded ? ERROR_SUCCESS : GetLastError()); }

int CountWorkFolders() {
    std::string temp = e2e::TempFolder();
    int count = 0;
    for (int n = 1; n <= 99; ++n)
        if (FolderExists(temp + "OVTMP" + std::to_string(n) + "\\")) ++count;
    return count;
}

// A file and a registry key that a name of 64 KB or more would hit if the system cut it short: the
// A functions pass names on in counted strings of 16-bit length, so such a name comes out as its
// first (length mod 65,536) bytes. The scripts and logs below aim names at both; they must stay.
const std::string kVictimFileName = "OrvantHostile Victim.TXT";
const char kVictimKey[] = "Software\\OrvantTest\\HostileVictim";

class Hostile : public RunsTest {
protected:
    void SetUp() override {
        RunsTest::SetUp();
        const std::string victim = ProgramFilesFolder() + kVictimFileName;
        RemoveFileLater(victim);
        DeleteKeyLater(HKEY_CURRENT_USER, kVictimKey);
        ASSERT_TRUE(WriteBytes(victim, "victim\r\n"));
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, Wide(kVictimKey).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &key, nullptr),
                  0);
        RegSetValueExW(key, L"Data", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"victim"), 7 * sizeof(wchar_t));
        RegCloseKey(key);
    }
    void TearDown() override {
        EXPECT_EQ(ReadBytes(ProgramFilesFolder() + kVictimFileName), "victim\r\n");
        EXPECT_EQ(RegString(HKEY_CURRENT_USER, kVictimKey, "Data"), "victim");
        RunsTest::TearDown();
    }

    Snapshot Machine() const {
        std::string windows = WindowsFolder();
        return TakeSnapshot({ProgramFilesFolder() + "*", windows + "*", ProgramsFolder()}, {},
                            {windows + places::Uninstaller(), windows + "OVSET98.INI"});
    }

    // Answers the question after a run with failures, reads the details page, and goes on. The
    // details are worked out once the run has done its work.
    void ExpectDetails(const e2e::TargetProcess& process, const e2e::Window& wizard, const std::string& title,
                       const std::string& question, const std::function<std::string()>& expected,
                       e2e::Where where = e2e::Where::current()) {
        if (!AnswerBox(process, title, IDYES, question, where)) return;
        if (!WaitCaption(wizard.ControlById(IDC_BTN_EVENT), "続行(&C)", 30000, where)) return;
        const std::string details = expected();
        e2e::Window text = wizard.ControlById(IDC_TXT_README);
        if (!e2e::PollUntil([&] { return text.Text() == details; }, e2e::kWait)) {
            ::testing::AssertionResult same = SameLines(text.Text(), details);
            e2e::Fail(std::string("the failure details: ") + same.message(), where);
        }
        Press(wizard, IDC_BTN_EVENT, "続行(&C)", 15000, where);
    }

    // From the uninstall page's start button to the program's end; no details when nothing may
    // fail.
    void RunUninstall(e2e::TargetProcess& unsetup, const e2e::Window& wizard,
                      const std::function<std::string()>& details, e2e::Where where = e2e::Where::current()) {
        if (!Press(wizard, IDC_BTN_EVENT, "アンインストール開始(&S)", 15000, where)) return;
        if (!details) {
            CompleteCleanUninstall(unsetup, wizard, kExitSuccess, where);
            return;
        }
        ExpectDetails(unsetup, wizard, "情報", "アンインストールの過程で、一部の処理が失敗しました。\r\n詳細を表示しますか？",
                      details, where);
        e2e::Window status = WaitForNext(unsetup, 60000, where);
        if (!status || !Press(status, IDC_STATUS_BTN_ABORT, "次へ(&N)", 15000, where)) return;
        FinishOnCompletionPage(unsetup, wizard, "アンインストール完了(&E)", false, kExitFailed, where);
    }
};

// ---------------------------------------------------------------------------------------------
// A script or log that exists but cannot be read, or a log path longer than MAX_PATH: the fatal
// page, and nothing else happens.
enum class Unreadable { LockedScript, ScriptIsAFolder, LockedLog, LogPathBeyondMaxPath };

class UnreadableScript : public Hostile, public ::testing::WithParamInterface<Unreadable> {};

TEST_P(UnreadableScript, ShowsTheFatalPageAndChangesNothing) {
    std::string dist = Distribution("unreadable", "[Title]\nSetup=Runs 読めない\n");
    ASSERT_FALSE(dist.empty());
    std::string logFolder = ProgramFilesFolder() + "OrvantHostile Unreadable\\";
    RemoveFolderLater(logFolder);
    ASSERT_TRUE(e2e::MakeFolders(logFolder));
    ASSERT_TRUE(WriteBytes(logFolder + "UNSETUP.INI", e2e::Cp932(CrLf({"[SetupFolder]", "Folder=" + logFolder}))));
    std::string parameter;
    std::optional<HeldFile> held;
    switch (GetParam()) {
        case Unreadable::LockedScript:
            held.emplace(dist + "SETUP.INI");
            break;
        case Unreadable::ScriptIsAFolder:
            ASSERT_TRUE(DeleteFileW(Wide(dist + "SETUP.INI").c_str()));
            ASSERT_TRUE(CreateDirectoryW(Wide(dist + "SETUP.INI").c_str(), nullptr));
            break;
        case Unreadable::LockedLog:
            parameter = logFolder + "UNSETUP.INI";
            held.emplace(parameter);
            break;
        case Unreadable::LogPathBeyondMaxPath:
            parameter = logFolder + LongName(300) + "\\UNSETUP.INI";
            break;
    }
    ASSERT_TRUE(!held || held->Held());
    Snapshot before = Machine();

    e2e::TargetProcess setup;
    ASSERT_TRUE(setup.Start(dist + "SETUP.EXE", parameter));
    e2e::Window wizard = setup.WaitWindow("TfrmMain", "Orvant Setup Nova", 15000);
    ASSERT_TRUE(wizard);
    ASSERT_TRUE(WaitCaption(wizard.ControlById(IDC_LBL_MESSAGE), kFatalPage));
    EXPECT_SOON(wizard.ControlById(IDC_BTN_EVENT), Enabled, false);
    ASSERT_TRUE(Press(wizard, IDC_BTN_END, "終了(&E)"));
    ASSERT_TRUE(setup.WaitForExit(15000));
    EXPECT_EQ(setup.ExitCode(), static_cast<DWORD>(kExitFailed));
    EXPECT_EQ(CountWorkFolders(), 0);
    held.reset();
    EXPECT_EQ(Compare(before, Machine()), "");
}

std::string UnreadableName(const ::testing::TestParamInfo<Unreadable>& info) {
    static const char* const names[] = {"LockedScript", "ScriptIsAFolder", "LockedLog", "LogPathBeyondMaxPath"};
    return names[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Inputs, UnreadableScript,
                         ::testing::Values(Unreadable::LockedScript, Unreadable::ScriptIsAFolder, Unreadable::LockedLog,
                                           Unreadable::LogPathBeyondMaxPath),
                         UnreadableName);

// A proposed install folder longer than MAX_PATH cannot be created: the install stops with its
// message before anything is written.
TEST_F(Hostile, InstallFolderBeyondMaxPathStopsWithItsMessage) {
    const std::string folder = ProgramFilesFolder() + LongName(300) + "\\";
    std::string dist = Distribution("hostile-longfolder", "[Title]\nSetup=Runs 長いフォルダ\n[Extend]\nSetupSpeed=1\n"
                                                          "[DefaultFolder]\nFolder=" + folder + "\n");
    ASSERT_FALSE(dist.empty());
    Snapshot before = Machine();
    e2e::TargetProcess setup;
    ASSERT_TRUE(setup.Start(dist + "SETUP.EXE"));
    e2e::Window wizard = setup.WaitWindow("TfrmMain", "Runs 長いフォルダ", 15000);
    ASSERT_TRUE(wizard);
    ASSERT_TRUE(Press(wizard, IDC_BTN_EVENT, "インストール続行(&C)"));
    EXPECT_SOON_EQ(wizard.ControlById(IDC_TXT_FOLDER).Text(), folder);
    ASSERT_TRUE(Press(wizard, IDC_BTN_EVENT, "インストール開始(&S)"));
    ASSERT_TRUE(AnswerBox(setup, "フォルダ作成", IDYES));
    ASSERT_TRUE(AnswerBox(setup, "致命的エラー", IDOK, "インストールフォルダの作成に失敗しました。\r\n\r\nプログラム作者へご報告ください。"));
    ASSERT_TRUE(AnswerBox(setup, "インストール中止", IDOK, "インストールを続行できませんでした。"));
    ASSERT_TRUE(setup.WaitForExit(15000));
    EXPECT_EQ(CountWorkFolders(), 0);
    EXPECT_EQ(Compare(before, Machine()), "");
}

// ---------------------------------------------------------------------------------------------
// Hostile install scripts, each installed through the wizard and removed again through its
// Add/Remove entry: the log lists exactly what is there, and the machine ends as it began.
struct ScriptCase {
    std::string name;
    std::string title;                                           // the setup title the wizard shows
    std::string uninstallKey;                                    // the Add/Remove key the install makes
    std::function<std::string()> script;                         // SETUP.INI as written (bytes)
    std::vector<std::pair<std::string, std::string>> files;      // further files of the distribution
    std::vector<std::string> installed;                          // files in the install folder afterwards
    std::function<std::string(const std::string& dist, const std::string& folder)> details;  // or none
    // Files the installed program makes itself, which the log names for removal.
    std::vector<std::string> madeLater;
};

std::string Header(const std::string& title, const std::string& key) {
    return CrLf({"[Title]", "Setup=" + title, "UnSetupKey=" + key, "[Extend]", "SetupSpeed=1"});
}

std::vector<ScriptCase> ScriptCases() {
    const std::string megabyte = LongName(1 << 20);
    const std::string tooLong = LongName(300);
    return {
        {"Truncated", "Runs 途切れ", "OrvantHostileCut",
         [] {
             std::string script =
                 e2e::Cp932(Header("Runs 途切れ", "OrvantHostileCut") +
                            CrLf({"[CopyFile]", "File1=(App)A.TXT", "File2=(App)B.TXT", "File3=(App)C.TXT"}));
             return script.substr(0, script.find("File2=(App)B") + 12);
         },
         {{"A.TXT", "a\r\n"}, {"B.TXT", "b\r\n"}, {"C.TXT", "c\r\n"}},
         {"A.TXT"},
         [](const std::string& dist, const std::string&) { return "<File> " + dist + "B" + kMissingSource; },
         {}},
        {"Garbage", "Orvant Setup", "Orvant Setup", [] { return Garbage(4096, 12); }, {}, {}, nullptr, {}},
        {"Utf8WithMark", "Runs ＵＴＦ８　表示", "OrvantHostileUtf8",
         [] {
             return "\xEF\xBB\xBF" + Header("Runs ＵＴＦ８　表示", "OrvantHostileUtf8") +
                    CrLf({"[CopyFile]", "File1=(App)説明書.TXT", "File2=(App)表示ソフト.TXT"});
         },
         {{"説明書.TXT", "manual\r\n"}, {"表示ソフト.TXT", "display\r\n"}},
         {"説明書.TXT", "表示ソフト.TXT"},
         nullptr,
         {}},
        {"MegabyteValues", "Runs 巨大値", "OrvantHostileHuge",
         [megabyte] {
             return e2e::Cp932(Header("Runs 巨大値", "OrvantHostileHuge") +
                               CrLf({"Program=" + megabyte, "[TopMessage]", "Message1=" + megabyte, "[CopyFile]",
                                     "File1=(App)A.TXT", "File2=(App)" + megabyte,
                                     "File3=(App)A.TXT|..\\" + kVictimFileName + std::string(65536, 'x')}));
         },
         {{"A.TXT", "a\r\n"}},
         {"A.TXT"},
         [megabyte](const std::string& dist, const std::string& folder) {
             return ShownCut("<File> " + dist + megabyte) + kMissingSource +
                    ShownCut("<File> " + folder + "..\\" + kVictimFileName + std::string(65536, 'x')) + "\r\n" +
                    SystemText(ERROR_FILENAME_EXCED_RANGE) + "\r\n";
         },
         {}},
        {"TenThousandEntries", "Runs 一万件", "OrvantHostileMany",
         [] {
             std::vector<std::string> lines{"[CopyFile]", "File1=(App)A.TXT", "[AddDeleteFile]"};
             for (int n = 1; n <= 10000; ++n) lines.push_back("File" + std::to_string(n) + "=(App)KEPT" + std::to_string(n) + ".DAT,/L");
             lines.push_back("File10001=(App)MADE10001.DAT");
             lines.push_back("File10002=(App)MADE10002.DAT");
             return e2e::Cp932(Header("Runs 一万件", "OrvantHostileMany") + CrLf(lines));
         },
         {{"A.TXT", "a\r\n"}},
         {"A.TXT"},
         nullptr,
         {"MADE10001.DAT", "MADE10002.DAT"}},
        {"PathsBeyondMaxPath", "Runs 長いパス", "OrvantHostileLong",
         [tooLong] {
             return e2e::Cp932(Header("Runs 長いパス", "OrvantHostileLong") +
                               CrLf({"[MakeFolder]", "Folder1=(App)" + tooLong, "[CopyFile]", "File1=(App)A.TXT",
                                     "File2=(App)A.TXT|" + tooLong + ".TXT"}));
         },
         {{"A.TXT", "a\r\n"}},
         {"A.TXT"},
         // Each block holds the system's message for what the same call does here.
         [tooLong](const std::string& dist, const std::string& folder) {
             std::string subfolder = folder + tooLong + "\\", copy = folder + tooLong + ".TXT";
             std::string folderError = ErrorTextOf(CreateDirectoryW(Wide(subfolder).c_str(), nullptr));
             std::string copyError = ErrorTextOf(CopyFileW(Wide(dist + "A.TXT").c_str(), Wide(copy).c_str(), FALSE));
             return "<Folder> " + subfolder + "\r\n" + folderError + "\r\n<File> " + copy + "\r\n" + copyError + "\r\n";
         },
         {}},
    };
}

class HostileScript : public Hostile, public ::testing::WithParamInterface<size_t> {};

TEST_P(HostileScript, InstallsWhatItCanAndTheUninstallRemovesIt) {
    const ScriptCase c = ScriptCases()[GetParam()];
    const std::string folder = ProgramFilesFolder() + "OrvantHostile " + c.name + "\\";
    const std::string key = std::string(kUninstallRoot) + "\\" + c.uninstallKey;
    RemoveFolderLater(folder);
    DeleteKeyLater(HKEY_LOCAL_MACHINE, key);
    ASSERT_FALSE(FolderExists(folder));
    ASSERT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, key));
    std::string dist = Distribution("hostile-" + c.name, "");
    ASSERT_FALSE(dist.empty());
    ASSERT_TRUE(WriteBytes(dist + "SETUP.INI", c.script()));
    for (const auto& [name, bytes] : c.files) ASSERT_TRUE(AddFile(dist, name, bytes));
    Snapshot before = Machine();

    {
        e2e::TargetProcess setup;
        e2e::Window wizard = OpenOptionsPage(setup, dist, c.title, folder);
        ASSERT_TRUE(wizard);
        ASSERT_TRUE(Press(wizard, IDC_BTN_EVENT, "インストール開始(&S)"));
        ASSERT_TRUE(AnswerBox(setup, "フォルダ作成", IDYES));
        if (c.details)
            ExpectDetails(setup, wizard, "警告", "フォルダの作成・ファイルのコピーで、一部の処理が失敗しました。\r\n詳細を表示しますか？",
                          [&] { return c.details(dist, folder); });
        e2e::Window status = WaitForNext(setup, 60000);
        ASSERT_TRUE(status);
        EXPECT_SOON_TRUE(e2e::Contains(ProgressText(status), "【処理完了】"));
        ASSERT_TRUE(Press(status, IDC_STATUS_BTN_ABORT, "次へ(&N)"));
        ASSERT_TRUE(FinishOnCompletionPage(setup, wizard, "インストール完了(&E)", false,
                                           c.details ? kExitFailed : kExitSuccess));
    }
    std::vector<std::string> expected{"UNSETUP.INI"};
    for (const std::string& name : c.installed) expected.push_back(name);
    std::sort(expected.begin(), expected.end());
    std::string listing;
    for (const std::string& name : expected) listing += name + "\n";
    EXPECT_EQ(Listing(folder), listing);
    for (const std::string& name : c.madeLater) ASSERT_TRUE(WriteBytes(folder + name, "made by the program\r\n"));

    UninstallQuietly(RegString(HKEY_LOCAL_MACHINE, key, "UninstallString"), c.title);
    EXPECT_EQ(Compare(before, Machine()), "");
}

INSTANTIATE_TEST_SUITE_P(Scripts, HostileScript, ::testing::Range<size_t>(0, ScriptCases().size()),
                         [](const ::testing::TestParamInfo<size_t>& info) { return ScriptCases()[info.param].name; });

// ---------------------------------------------------------------------------------------------
// Hostile uninstall logs, replayed by the program started with the log's path as the Add/Remove
// entry starts it: what the log names goes, everything else stays.
struct LogCase {
    std::string name;
    std::string title;                                             // the uninstall page's title
    std::function<std::string(const std::string& folder)> log;     // UNSETUP.INI in the folder (bytes)
    std::vector<std::string> files;                                // in the folder besides the log
    std::vector<std::string> left;                                 // in the folder afterwards
    bool folderGone;                                               // the folder itself removed
    std::function<std::string(const std::string& folder)> details;  // or none
    bool stops = false;  // the log names no install folder: the run stops before it begins
};

std::string LogHeader(const std::string& title, const std::string& folder) {
    return CrLf({"[Title]", "UnSetup=" + title, "[SetupFolder]", "Folder=" + folder});
}

std::vector<LogCase> LogCases() {
    const std::string megabyte = LongName(1 << 20);
    const std::string tooLong = LongName(300);
    return {
        {"TruncatedLog", "Runs 途切れ削除",
         [](const std::string& f) {
             std::string log = e2e::Cp932(LogHeader("Runs 途切れ削除", f) +
                                          CrLf({"[DeleteFile]", "File1=" + f + "A.TXT", "File2=" + f + "B.TXT",
                                                "File3=" + f + "C.TXT", "File4=" + f + "UNSETUP.INI"}));
             return log.substr(0, log.find("File3=") + 6 + e2e::Cp932(f).size() + 1);
         },
         {"A.TXT", "B.TXT", "C.TXT"},
         {"C.TXT", "UNSETUP.INI"},
         false,
         [](const std::string& f) {
             // The cut name "C" names no file: nothing to delete, no failure.
             return "<SetupFolder> " + f + kFolderLeft;
         }},
        {"GarbageLog", "Orvant Setup", [](const std::string&) { return Garbage(4096, 34); }, {"A.TXT"},
         {"A.TXT", "UNSETUP.INI"}, false, nullptr, true},
        {"Utf8Log", "Runs ＵＴＦ８削除",
         [](const std::string& f) {
             return "\xEF\xBB\xBF" + LogHeader("Runs ＵＴＦ８削除", f) +
                    CrLf({"[DeleteFile]", "File1=" + f + "説明書.TXT", "File2=" + f + "表示ソフト.TXT",
                          "File3=" + f + "UNSETUP.INI"});
         },
         {"説明書.TXT", "表示ソフト.TXT"},
         {},
         true,
         nullptr},
        {"MegabyteLog", "Runs 巨大値削除",
         [megabyte](const std::string& f) {
             return e2e::Cp932(LogHeader("Runs 巨大値削除", f) +
                               CrLf({"[DeleteFile]", "File1=" + f + "..\\" + kVictimFileName + std::string(65536, 'x'),
                                     "File2=" + f + megabyte, "File3=" + f + "A.TXT", "File4=" + f + "UNSETUP.INI",
                                     "[DeleteShortCut]", "File1=" + f + megabyte + ".lnk", "[DeleteRegistry]",
                                     "Key1=(Cuser)" + std::string(kVictimKey) + "\\" + std::string(65535, 'x'),
                                     "Key2=(Cuser)" + megabyte, "[ProgramID]", "ID=" + megabyte}));
         },
         {"A.TXT"},
         {},
         true,
         [megabyte](const std::string& f) {
             const std::string tooLong = "\r\n" + SystemText(ERROR_FILENAME_EXCED_RANGE) + "\r\n";
             return ShownCut("<File> " + f + "..\\" + kVictimFileName + std::string(65536, 'x')) + tooLong +
                    ShownCut("<File> " + f + megabyte) + tooLong + ShownCut("<ShortCut> " + f + megabyte + ".lnk") +
                    tooLong;
         }},
        {"TenThousandLog", "Runs 一万件削除",
         [](const std::string& f) {
             std::vector<std::string> lines{"[DeleteFile]"};
             for (int n = 1; n <= 10000; ++n) lines.push_back("File" + std::to_string(n) + "=" + f + "KEPT" + std::to_string(n) + ".DAT,/L");
             lines.push_back("File10001=" + f + "A.TXT");
             lines.push_back("File10002=" + f + "UNSETUP.INI");
             return e2e::Cp932(LogHeader("Runs 一万件削除", f) + CrLf(lines));
         },
         {"A.TXT"},
         {},
         true,
         nullptr},
        {"PathsBeyondMaxPathLog", "Runs 長いパス削除",
         [tooLong](const std::string& f) {
             return e2e::Cp932(LogHeader("Runs 長いパス削除", f + tooLong + "\\") +
                               CrLf({"[DeleteFile]", "File1=" + f + tooLong + "\\X.TXT", "File2=" + f + "A.TXT",
                                     "File3=" + f + "UNSETUP.INI", "[DeleteFolder]", "Folder1=" + f + tooLong + "\\"}));
         },
         {"A.TXT"},
         {},
         false,  // the log names another folder as the install folder
         // The long names name nothing that exists: nothing to remove, no failure.
         nullptr},
    };
}

class HostileLog : public Hostile, public ::testing::WithParamInterface<size_t> {};

TEST_P(HostileLog, RemovesWhatItNamesAndNothingElse) {
    const LogCase c = LogCases()[GetParam()];
    const std::string folder = ProgramFilesFolder() + "OrvantHostile " + c.name + "\\";
    RemoveFolderLater(folder);
    ASSERT_FALSE(FolderExists(folder));
    std::string dist = Distribution("hostile-" + c.name, "");
    ASSERT_FALSE(dist.empty());
    Snapshot before = Machine();
    ASSERT_TRUE(e2e::MakeFolders(folder));
    for (const std::string& name : c.files) ASSERT_TRUE(WriteBytes(folder + name, name + "\r\n"));
    ASSERT_TRUE(WriteBytes(folder + "UNSETUP.INI", c.log(folder)));

    e2e::TargetProcess unsetup;
    e2e::Window wizard =
        OpenUninstallPage(unsetup, "\"" + dist + "SETUP.EXE\" \"" + folder + "UNSETUP.INI\"", c.title);
    ASSERT_TRUE(wizard);
    if (c.stops) {
        ASSERT_TRUE(Press(wizard, IDC_BTN_EVENT, "アンインストール開始(&S)"));
        ASSERT_TRUE(AnswerBox(unsetup, "致命的エラー", IDOK,
                              "アンインストールフォルダが不明です。\r\nアンインストールは続行できません。"));
    } else {
        std::function<std::string()> details;
        if (c.details) details = [&] { return c.details(folder); };
        RunUninstall(unsetup, wizard, details);
    }
    ASSERT_TRUE(unsetup.WaitForExit(15000));

    std::string listing;
    for (const std::string& name : c.left) listing += name + "\n";
    EXPECT_EQ(Listing(folder), listing);
    EXPECT_EQ(FolderExists(folder), !c.folderGone);
    // Apart from the install folder, the machine is as it was.
    e2e::RemoveFolder(folder);
    EXPECT_EQ(Compare(before, Machine()), "");
}

INSTANTIATE_TEST_SUITE_P(Logs, HostileLog, ::testing::Range<size_t>(0, LogCases().size()),
                         [](const ::testing::TestParamInfo<size_t>& info) { return LogCases()[info.param].name; });

}  // namespace
