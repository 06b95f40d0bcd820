#pragma once
// What the install and uninstall scenarios share: the machine seen from outside (folders, files,
// registry values, shortcuts, pending renames), the clean-up of what a scenario caused, and the
// wizard steps that every scenario walks through.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "driver/e2e_driver.h"

namespace runs {

// --- folders and files ---------------------------------------------------------------------
// A shell folder with a trailing backslash.
std::string ShellFolder(int csidl);
std::string WindowsFolder();
std::string SystemFolder();
std::string ProgramFilesFolder();
std::string ProgramsFolder();
std::string DesktopFolder();
// The folder of the self-registering test libraries and the launch probe (SETUP_E2E_SYS_BIN).
std::string SysBinFolder(e2e::Where where = e2e::Where::current());

bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
std::string ReadBytes(const std::string& path);
bool WriteBytes(const std::string& path, const std::string& bytes);
// Lines joined with CR LF, each line ended by CR LF.
std::string CrLf(const std::vector<std::string>& lines);
// The files and folders below a folder, sorted, one per line (for messages).
std::string Listing(const std::string& folder);
// Gives a file a last-write time long past, so that any copy of it counts as newer.
bool MakeOld(const std::string& path);

// A file held open without sharing, as a running program holds its own files; released when the
// object goes (or earlier by Release).
class HeldFile {
public:
    explicit HeldFile(const std::string& path);
    ~HeldFile() { Release(); }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;
    bool Held() const { return handle_ != INVALID_HANDLE_VALUE; }
    void Release();

private:
    HANDLE handle_;
};

// --- registry ------------------------------------------------------------------------------
// Read and written through the W functions: names and strings are UTF-8.
struct RegValue {
    bool exists = false;
    DWORD type = REG_NONE;
    std::string data;  // raw bytes; strings as UTF-8 without their terminating zero
};
RegValue ReadValue(HKEY root, const std::string& key, const std::string& name);
// A string value, or "<no key>" / "<no value>".
std::string RegString(HKEY root, const std::string& key, const std::string& name);
bool KeyExists(HKEY root, const std::string& key);
std::vector<std::string> SubkeyNames(HKEY root, const std::string& key);
std::vector<std::string> ValueNames(HKEY root, const std::string& key);
bool SetDefaultValue(HKEY root, const std::string& key, const std::string& value);
// A string value (REG_SZ); the key is created when missing.
bool SetValue(HKEY root, const std::string& key, const std::string& name, const std::string& value);

inline constexpr char kSharedDlls[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
inline constexpr char kUninstallRoot[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
// The shared-file count of a path; -1 when no value exists.
long SharedCount(const std::string& path);
void DeleteSharedCount(const std::string& path);

// Delayed renames and deletions as Wine records them (REG_MULTI_SZ pairs: source, destination).
std::vector<std::string> PendingRenames();
// Removes every pair that names the path (as source or destination); other entries stay.
void RemovePendingFor(const std::string& path);

// A section of OVSET98.INI in the Windows folder: its "Folder" value as stored (code page 932
// bytes: compare with e2e::SameCp932), or "" when absent; the section names as stored.
std::string RecordedFolder(const std::string& programId);
std::vector<std::string> RecordedPrograms();
void RemoveRecordedProgram(const std::string& programId);

// --- shortcuts -----------------------------------------------------------------------------
struct Link {
    bool loaded = false;
    std::string target, arguments, workFolder;
};
Link ReadLink(const std::string& path);

// --- the machine before and after ----------------------------------------------------------
// What a round trip must leave as it found: listings of the folders an install touches (a folder
// written with a trailing "*" one level deep only), the subkeys of HKCU\Software and
// HKLM\Software, the Add/Remove entries, the shared-file counts, the named keys under
// HKEY_CLASSES_ROOT with their values, the sections of OVSET98.INI and the pending renames.
// Files named in "kept" (full paths; kept on purpose) are left out of the listings.
struct Snapshot {
    std::vector<std::pair<std::string, std::string>> parts;  // name, content
};
Snapshot TakeSnapshot(const std::vector<std::string>& folders, const std::vector<std::string>& classKeys,
                      const std::vector<std::string>& kept);
// Differences between two snapshots, readable; empty when they are alike.
std::string Compare(const Snapshot& before, const Snapshot& after);

// --- scenario base -------------------------------------------------------------------------
// Every scenario starts from a clean state and undoes what it caused, also after a failure. The
// restart requests of SETUP.EXE go to a file (never to Windows), the launch probe writes into
// another.
class RunsTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs at tear-down, last registered first.
    void Later(std::function<void()> action) { cleanups_.push_back(std::move(action)); }
    void RemoveFolderLater(const std::string& folder);
    void RemoveFileLater(const std::string& path);
    void DeleteKeyLater(HKEY root, const std::string& key);
    void DeleteSharedCountLater(const std::string& path);
    void RemoveRecordedProgramLater(const std::string& programId);
    void RemovePendingLater(const std::string& path);

    // A distribution folder with SETUP.EXE and the script (UTF-8 source text, written as code page
    // 932 with CR LF line ends); further files are added with AddFile / AddSysBinFile.
    std::string Distribution(const std::string& name, const std::string& script);
    static bool AddFile(const std::string& dist, const std::string& name, const std::string& bytes);
    static bool AddSysBinFile(const std::string& dist, const std::string& binary, const std::string& name);

    // The restart requests recorded so far ("ExitWindowsEx 2\r\n" per request).
    std::string RestartRecord() const { return ReadBytes(restartRecord_); }
    // What the launch probe wrote: its command line, then its show command.
    std::string ProbeOutput() const { return ReadBytes(probeOut_); }
    const std::string& ProbeOutPath() const { return probeOut_; }

private:
    std::vector<std::function<void()>> cleanups_;
    std::string restartRecord_;
    std::string probeOut_;
};

// The caption of a button, check box or label as the window system holds it, read without a
// message to the program: the program answers messages only between its waits, so every message
// costs up to a tenth of a second or more. (Edit fields keep their text to themselves: use Text().)
std::string Caption(const e2e::Window& window);
// Waits until the caption is the text; a failure saying what it was last.
bool WaitCaption(const e2e::Window& window, const std::string& caption, DWORD timeoutMs = 15000,
                 e2e::Where where = e2e::Where::current());

// --- wizard steps --------------------------------------------------------------------------
// Clicks the button once it carries the caption and can be used.
bool Press(const e2e::Window& window, int id, const std::string& caption, DWORD timeoutMs = 15000,
           e2e::Where where = e2e::Where::current());

// Starts SETUP.EXE of the distribution, goes through the title page (and the agreement and readme
// pages when the script has them) to the options page and types the install folder.
e2e::Window OpenOptionsPage(e2e::TargetProcess& setup, const std::string& dist, const std::string& title,
                            const std::string& folder, bool agreement = false, bool readme = false,
                            e2e::Where where = e2e::Where::current());

// Waits for the next message box, checks its title (and its whole text when given) and answers it.
bool AnswerBox(const e2e::TargetProcess& process, const std::string& title, int button,
               const std::string& text = {}, e2e::Where where = e2e::Where::current());

// Waits until the progress window offers "次へ(&N)"; fails at once, naming it, when a message box
// or the shared-file dialog comes instead. Returns the progress window (empty on failure).
e2e::Window WaitForNext(const e2e::TargetProcess& process, DWORD timeoutMs = 30000,
                        e2e::Where where = e2e::Where::current());
// The progress text of the progress window.
std::string ProgressText(const e2e::Window& status);

// Starts the uninstaller with the Add/Remove entry's command line, as Windows does, and waits for
// its page.
e2e::Window OpenUninstallPage(e2e::TargetProcess& unsetup, const std::string& uninstallString,
                              const std::string& title, e2e::Where where = e2e::Where::current());

// The completion page: picks the first or second choice, presses the finish button and waits for
// the program to end with the exit code (app/exit_codes.h).
bool FinishOnCompletionPage(e2e::TargetProcess& process, const e2e::Window& wizard, const std::string& finishCaption,
                            bool secondChoice, DWORD exitCode = 0, e2e::Where where = e2e::Where::current());

// A whole install of a script without questions apart from the folder creation: title page,
// options page with the folder typed in, "次へ(&N)", the completion page's first choice.
bool InstallThroughWizard(const std::string& dist, const std::string& title, const std::string& folder,
                          bool folderExists = false, e2e::Where where = e2e::Where::current());

// Waits until the shared-file dialog asks this question and presses one of its four buttons.
bool AnswerSharedDialog(const e2e::TargetProcess& process, const std::string& question, int buttonId,
                        e2e::Where where = e2e::Where::current());

// The progress text of an uninstall without failures.
extern const char* const kCleanUninstallProgress;
// From the pressed start button to the program's end when nothing is asked and nothing fails:
// the progress text without failures, "次へ(&N)", the completion page without restart.
bool CompleteCleanUninstall(e2e::TargetProcess& unsetup, const e2e::Window& wizard, DWORD exitCode = 0,
                            e2e::Where where = e2e::Where::current());
// A whole uninstall through the Add/Remove entry's command line without questions or failures.
bool UninstallQuietly(const std::string& uninstallString, const std::string& title,
                      e2e::Where where = e2e::Where::current());

// The system's message for an error code in full-width characters, followed by CR LF: the text a
// failure block shows.
std::string SystemText(DWORD code);

// Compares two multi-line texts; a mismatch names the differing lines.
::testing::AssertionResult SameLines(const std::string& actual, const std::string& expected);
// Compares the bytes of a code page 932 file (an uninstall log) with the code page 932 form of
// the expected text; a mismatch names the differing lines, decoded.
::testing::AssertionResult SameCp932Lines(const std::string& actualBytes, const std::string& expected);

// Watches for the whole duration that the file does not appear.
bool StaysAbsent(const std::string& path, DWORD durationMs);

}  // namespace runs
