#include "runs/runs_support.h"

#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>

#include "app/control_ids.h"
#include "base/cp932.h"
#include "edge/wide.h"

namespace runs {

namespace {

constexpr char kPendingKey[] = "System\\CurrentControlSet\\Control\\Session Manager";
constexpr char kPendingValue[] = "PendingFileRenameOperations";

struct Key {
    HKEY handle = nullptr;
    ~Key() {
        if (handle) RegCloseKey(handle);
    }
};

// Whether two paths name the same file, compared as the file system does (without regard to case).
bool SamePath(const std::string& a, const std::string& b) { return lstrcmpiW(Wide(a).c_str(), Wide(b).c_str()) == 0; }

// Whether the text holds the part, without regard to case.
bool HoldsPath(const std::string& text, const std::string& part) {
    return StrStrIW(Wide(text).c_str(), Wide(part).c_str()) != nullptr;
}

void CollectListing(const std::string& folder, const std::string& shown, bool recursive,
                    const std::vector<std::string>& kept, std::vector<std::string>& lines) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(Wide(folder + "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        std::string name = Narrow(data.cFileName);
        if (name == "." || name == "..") continue;
        bool skip = false;
        for (const std::string& k : kept) skip = skip || SamePath(k, shown + name);
        if (skip) continue;
        bool folderEntry = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        lines.push_back(shown + name + (folderEntry ? "\\" : ""));
        if (folderEntry && recursive) CollectListing(folder + name + "\\", shown + name + "\\", true, kept, lines);
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

std::string Joined(std::vector<std::string> lines) {
    std::sort(lines.begin(), lines.end());
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (unsigned char c : bytes) {
        text += digits[c >> 4];
        text += digits[c & 15];
        text += ' ';
    }
    return text;
}

void CollectKey(HKEY root, const std::string& key, const std::string& shown, std::vector<std::string>& lines) {
    for (const std::string& name : ValueNames(root, key)) {
        RegValue value = ReadValue(root, key, name);
        std::string data = value.type == REG_SZ || value.type == REG_EXPAND_SZ ? value.data : Hex(value.data);
        lines.push_back(shown + " [" + name + "] " + std::to_string(value.type) + " " + data);
    }
    for (const std::string& sub : SubkeyNames(root, key)) {
        lines.push_back(shown + "\\" + sub);
        CollectKey(root, key + "\\" + sub, shown + "\\" + sub, lines);
    }
}

}  // namespace

// --- folders and files -----------------------------------------------------------------------

std::string ShellFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, 0, path))) return {};
    std::string folder = Narrow(path);
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    return folder;
}

std::string WindowsFolder() { return ShellFolder(CSIDL_WINDOWS); }
std::string SystemFolder() { return ShellFolder(CSIDL_SYSTEM); }
std::string ProgramFilesFolder() { return ShellFolder(CSIDL_PROGRAM_FILES); }
std::string ProgramsFolder() { return ShellFolder(CSIDL_PROGRAMS); }
std::string DesktopFolder() { return ShellFolder(CSIDL_DESKTOPDIRECTORY); }

std::string SysBinFolder(e2e::Where where) {
    std::string value = e2e::EnvironmentVariable("SETUP_E2E_SYS_BIN");
    if (value.empty()) {
        e2e::Fail("SETUP_E2E_SYS_BIN is not set (run the test through CTest)", where);
        return {};
    }
    std::string folder = e2e::WindowsPath(value);
    if (folder.back() != '\\') folder += '\\';
    return folder;
}

bool FileExists(const std::string& path) { return e2e::FileExists(path); }

bool FolderExists(const std::string& path) { return e2e::FolderExists(path); }

std::string ReadBytes(const std::string& path) { return e2e::ReadBytes(path); }

bool WriteBytes(const std::string& path, const std::string& bytes) { return e2e::WriteBytes(path, bytes); }

std::string CrLf(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

std::string Listing(const std::string& folder) {
    std::vector<std::string> lines;
    CollectListing(folder, "", true, {}, lines);
    return Joined(lines);
}

bool MakeOld(const std::string& path) {
    HANDLE file = CreateFileW(Wide(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    SYSTEMTIME old{2001, 1, 0, 1, 12, 0, 0, 0};
    FILETIME time;
    BOOL ok = SystemTimeToFileTime(&old, &time) && SetFileTime(file, nullptr, nullptr, &time);
    CloseHandle(file);
    return ok;
}

HeldFile::HeldFile(const std::string& path)
    : handle_(CreateFileW(Wide(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {}

void HeldFile::Release() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
}

// --- registry --------------------------------------------------------------------------------

RegValue ReadValue(HKEY root, const std::string& key, const std::string& name) {
    RegValue value;
    Key handle;
    if (RegOpenKeyExW(root, Wide(key).c_str(), 0, KEY_READ, &handle.handle) != ERROR_SUCCESS) return value;
    DWORD size = 0;
    std::wstring wideName = Wide(name);
    const wchar_t* valueName = name.empty() ? nullptr : wideName.c_str();
    if (RegQueryValueExW(handle.handle, valueName, nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS)
        return value;
    std::string data(size, '\0');
    if (RegQueryValueExW(handle.handle, valueName, nullptr, &value.type, reinterpret_cast<BYTE*>(data.data()),
                         &size) != ERROR_SUCCESS)
        return value;
    data.resize(size);
    if (value.type == REG_SZ || value.type == REG_EXPAND_SZ || value.type == REG_MULTI_SZ) {
        // UTF-16 as stored, given as UTF-8; a string without its terminating zero.
        std::wstring text(data.size() / sizeof(wchar_t), L'\0');
        memcpy(text.data(), data.data(), text.size() * sizeof(wchar_t));
        if (value.type != REG_MULTI_SZ && !text.empty() && text.back() == L'\0') text.pop_back();
        data = Narrow(text);
    }
    value.exists = true;
    value.data = data;
    return value;
}

std::string RegString(HKEY root, const std::string& key, const std::string& name) {
    if (!KeyExists(root, key)) return "<no key>";
    RegValue value = ReadValue(root, key, name);
    return value.exists ? value.data : "<no value>";
}

bool KeyExists(HKEY root, const std::string& key) {
    Key handle;
    return RegOpenKeyExW(root, Wide(key).c_str(), 0, KEY_READ, &handle.handle) == ERROR_SUCCESS;
}

std::vector<std::string> SubkeyNames(HKEY root, const std::string& key) {
    std::vector<std::string> names;
    Key handle;
    if (RegOpenKeyExW(root, Wide(key).c_str(), 0, KEY_READ, &handle.handle) != ERROR_SUCCESS) return names;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];  // the longest key name: 255 characters
        DWORD length = 256;
        if (RegEnumKeyExW(handle.handle, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.push_back(Narrow(std::wstring_view(name, length)));
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> ValueNames(HKEY root, const std::string& key) {
    std::vector<std::string> names;
    Key handle;
    if (RegOpenKeyExW(root, Wide(key).c_str(), 0, KEY_READ, &handle.handle) != ERROR_SUCCESS) return names;
    DWORD longest = 0;
    if (RegQueryInfoKeyW(handle.handle, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longest,
                         nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return names;
    for (DWORD index = 0;; ++index) {
        std::wstring name(longest + 1, L'\0');
        DWORD length = longest + 1;
        if (RegEnumValueW(handle.handle, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        names.push_back(Narrow(std::wstring_view(name.data(), length)));
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool SetValue(HKEY root, const std::string& key, const std::string& name, const std::string& value) {
    Key handle;
    if (RegCreateKeyExW(root, Wide(key).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle.handle, nullptr) !=
        ERROR_SUCCESS)
        return false;
    std::wstring data = Wide(value), wideName = Wide(name);
    return RegSetValueExW(handle.handle, name.empty() ? nullptr : wideName.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool SetDefaultValue(HKEY root, const std::string& key, const std::string& value) {
    return SetValue(root, key, "", value);
}

long SharedCount(const std::string& path) {
    RegValue value = ReadValue(HKEY_LOCAL_MACHINE, kSharedDlls, path);
    if (!value.exists) return -1;
    if (value.type != REG_DWORD || value.data.size() != 4) return -2;
    DWORD count;
    memcpy(&count, value.data.data(), 4);
    return static_cast<long>(count);
}

void DeleteSharedCount(const std::string& path) {
    Key handle;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, Wide(kSharedDlls).c_str(), 0, KEY_SET_VALUE, &handle.handle) == ERROR_SUCCESS)
        RegDeleteValueW(handle.handle, Wide(path).c_str());
}

std::vector<std::string> PendingRenames() {
    std::vector<std::string> entries;
    RegValue value = ReadValue(HKEY_LOCAL_MACHINE, kPendingKey, kPendingValue);
    if (!value.exists) return entries;
    // Pairs of zero-terminated strings; an empty destination is a string of its own.
    size_t start = 0;
    const std::string& data = value.data;
    while (start < data.size()) {
        size_t end = data.find('\0', start);
        if (end == std::string::npos) end = data.size();
        entries.push_back(data.substr(start, end - start));
        start = end + 1;
    }
    // The list ends with an empty string (the terminator of the whole value).
    while (entries.size() % 2 != 0 && !entries.empty() && entries.back().empty()) entries.pop_back();
    return entries;
}

void RemovePendingFor(const std::string& path) {
    std::vector<std::string> entries = PendingRenames();
    if (entries.empty()) return;
    std::vector<std::string> kept;
    bool removed = false;
    for (size_t i = 0; i < entries.size(); i += 2) {
        std::string source = entries[i];
        std::string destination = i + 1 < entries.size() ? entries[i + 1] : std::string();
        if (HoldsPath(source, path) || HoldsPath(destination, path)) {
            removed = true;
            continue;
        }
        kept.push_back(source);
        kept.push_back(destination);
    }
    if (!removed) return;
    Key handle;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, Wide(kPendingKey).c_str(), 0, KEY_SET_VALUE, &handle.handle) !=
        ERROR_SUCCESS)
        return;
    if (kept.empty()) {
        RegDeleteValueW(handle.handle, Wide(kPendingValue).c_str());
        return;
    }
    std::wstring data;
    for (const std::string& entry : kept) data += Wide(entry) + L'\0';
    data += L'\0';
    RegSetValueExW(handle.handle, Wide(kPendingValue).c_str(), 0, REG_MULTI_SZ,
                   reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size() * sizeof(wchar_t)));
}

std::string RecordedFolder(const std::string& programId) {
    return e2e::IniValue(WindowsFolder() + "OVSET98.INI", programId, "Folder");
}

std::vector<std::string> RecordedPrograms() {
    std::vector<std::string> names = e2e::IniSections(WindowsFolder() + "OVSET98.INI");
    std::sort(names.begin(), names.end());
    return names;
}

void RemoveRecordedProgram(const std::string& programId) {
    e2e::RemoveIniSection(WindowsFolder() + "OVSET98.INI", programId);
}

// --- shortcuts -------------------------------------------------------------------------------

Link ReadLink(const std::string& path) {
    Link link;
    HRESULT init = CoInitialize(nullptr);
    IShellLinkW* shellLink = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&shellLink)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            if (SUCCEEDED(file->Load(Wide(path).c_str(), STGM_READ))) {
                // A link holds at most INFOTIPSIZE characters per string.
                wchar_t text[INFOTIPSIZE] = {};
                link.loaded = true;
                if (SUCCEEDED(shellLink->GetPath(text, INFOTIPSIZE, nullptr, 0))) link.target = Narrow(text);
                text[0] = L'\0';
                if (SUCCEEDED(shellLink->GetArguments(text, INFOTIPSIZE))) link.arguments = Narrow(text);
                text[0] = L'\0';
                if (SUCCEEDED(shellLink->GetWorkingDirectory(text, INFOTIPSIZE))) link.workFolder = Narrow(text);
            }
            file->Release();
        }
        shellLink->Release();
    }
    if (SUCCEEDED(init)) CoUninitialize();
    return link;
}

// --- the machine before and after ------------------------------------------------------------

Snapshot TakeSnapshot(const std::vector<std::string>& folders, const std::vector<std::string>& classKeys,
                      const std::vector<std::string>& kept) {
    Snapshot snapshot;
    for (const std::string& folder : folders) {
        // A folder written with a trailing "*" is listed one level deep only.
        bool flat = !folder.empty() && folder.back() == '*';
        std::string path = flat ? folder.substr(0, folder.size() - 1) : folder;
        std::vector<std::string> lines;
        CollectListing(path, path, !flat, kept, lines);
        snapshot.parts.emplace_back("folder " + path, Joined(lines));
    }
    auto subkeys = [](HKEY root, const std::string& key) {
        std::vector<std::string> names = SubkeyNames(root, key);
        return Joined(names);
    };
    {
        // The tests' own scratch key (the self-registering test libraries leave their traces there).
        std::vector<std::string> names = SubkeyNames(HKEY_CURRENT_USER, "Software");
        names.erase(std::remove(names.begin(), names.end(), "OrvantTest"), names.end());
        snapshot.parts.emplace_back("HKCU\\Software subkeys", Joined(names));
    }
    snapshot.parts.emplace_back("HKLM\\Software subkeys", subkeys(HKEY_LOCAL_MACHINE, "Software"));
    snapshot.parts.emplace_back("Uninstall subkeys", subkeys(HKEY_LOCAL_MACHINE, kUninstallRoot));
    {
        std::vector<std::string> lines;
        CollectKey(HKEY_LOCAL_MACHINE, kSharedDlls, "SharedDLLs", lines);
        snapshot.parts.emplace_back("SharedDLLs", Joined(lines));
    }
    for (const std::string& key : classKeys) {
        std::vector<std::string> lines;
        if (KeyExists(HKEY_CLASSES_ROOT, key)) {
            lines.push_back("HKCR\\" + key);
            CollectKey(HKEY_CLASSES_ROOT, key, "HKCR\\" + key, lines);
        }
        snapshot.parts.emplace_back("HKCR\\" + key, Joined(lines));
    }
    snapshot.parts.emplace_back("OVSET98.INI sections", Joined(RecordedPrograms()));
    {
        std::vector<std::string> entries = PendingRenames();
        snapshot.parts.emplace_back("pending renames", Joined(entries));
    }
    return snapshot;
}

std::string Compare(const Snapshot& before, const Snapshot& after) {
    std::string differences;
    for (size_t i = 0; i < before.parts.size() && i < after.parts.size(); ++i) {
        if (before.parts[i].second == after.parts[i].second) continue;
        differences += "\n--- " + before.parts[i].first + " before:\n" + before.parts[i].second +
                       "--- after:\n" + after.parts[i].second;
    }
    return differences;
}

// --- scenario base ---------------------------------------------------------------------------

void RunsTest::SetUp() {
    // gtest names of parameterised tests hold "/": keep the scratch folder name flat.
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    for (char& c : name)
        if (c == '/') c = '-';
    std::string scratch = e2e::ScratchFolder("runs-" + name);
    RemoveFolderLater(scratch);
    restartRecord_ = scratch + "restart.txt";
    probeOut_ = scratch + "probe.txt";
    // Inherited by SETUP.EXE and the uninstaller: a chosen restart is only written down.
    SetEnvironmentVariableW(L"ORVANT_SETUP_RESTART_RECORD", Wide(restartRecord_).c_str());
    SetEnvironmentVariableW(L"ORVANT_PROBE_OUT", Wide(probeOut_).c_str());
}

void RunsTest::TearDown() {
    for (auto action = cleanups_.rbegin(); action != cleanups_.rend(); ++action) (*action)();
    cleanups_.clear();
}

void RunsTest::RemoveFolderLater(const std::string& folder) {
    Later([folder] { e2e::RemoveFolder(folder); });
}

void RunsTest::RemoveFileLater(const std::string& path) {
    Later([path] {
        SetFileAttributesW(Wide(path).c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(Wide(path).c_str());
    });
}

void RunsTest::DeleteKeyLater(HKEY root, const std::string& key) {
    Later([root, key] { SHDeleteKeyW(root, Wide(key).c_str()); });
}

void RunsTest::DeleteSharedCountLater(const std::string& path) {
    Later([path] { DeleteSharedCount(path); });
}

void RunsTest::RemoveRecordedProgramLater(const std::string& programId) {
    Later([programId] { RemoveRecordedProgram(programId); });
}

void RunsTest::RemovePendingLater(const std::string& path) {
    Later([path] { RemovePendingFor(path); });
}

std::string RunsTest::Distribution(const std::string& name, const std::string& script) {
    std::string dist = e2e::MakeDistribution("runs-" + name);
    if (dist.empty()) return {};
    RemoveFolderLater(dist);
    // Script lines in the source are separated by "\n"; a distributor's file has CR LF and code
    // page 932 bytes.
    std::string text;
    for (char c : script) {
        if (c == '\n') text += '\r';
        text += c;
    }
    text = e2e::Cp932(text);
    if (!WriteBytes(dist + "SETUP.INI", text)) {
        ADD_FAILURE() << "SETUP.INI could not be written into " << dist;
        return {};
    }
    return dist;
}

bool RunsTest::AddFile(const std::string& dist, const std::string& name, const std::string& bytes) {
    return WriteBytes(dist + name, bytes);
}

bool RunsTest::AddSysBinFile(const std::string& dist, const std::string& binary, const std::string& name) {
    std::string folder = SysBinFolder();
    return !folder.empty() && CopyFileW(Wide(folder + binary).c_str(), Wide(dist + name).c_str(), FALSE);
}

// --- wizard steps ----------------------------------------------------------------------------

std::string Caption(const e2e::Window& window) {
    if (!window.Exists()) return {};
    std::wstring text(32768, L'\0');
    int length = InternalGetWindowText(window.Handle(), text.data(), static_cast<int>(text.size()));
    if (length <= 0) return {};
    text.resize(static_cast<size_t>(length));
    return Narrow(text);
}

bool WaitCaption(const e2e::Window& window, const std::string& caption, DWORD timeoutMs, e2e::Where where) {
    std::string seen;
    if (e2e::PollUntil([&] { return (seen = Caption(window)) == caption; }, timeoutMs)) return true;
    e2e::Fail("timed out after " + std::to_string(timeoutMs) + " ms waiting for " + window.ClassName() + " id " +
                  std::to_string(window.Id()) + " to read " + e2e::Quoted(caption) + "; it reads " +
                  e2e::Quoted(seen),
              where);
    return false;
}

bool Press(const e2e::Window& window, int id, const std::string& caption, DWORD timeoutMs, e2e::Where where) {
    e2e::Window button = window.ControlById(id, timeoutMs, where);
    if (!button || !WaitCaption(button, caption, timeoutMs, where)) return false;
    if (!e2e::PollUntil([&] { return button.Enabled(); }, timeoutMs)) {
        e2e::Fail("the button " + e2e::Quoted(caption) + " stays disabled", where);
        return false;
    }
    return button.Click(timeoutMs, where);
}

e2e::Window OpenOptionsPage(e2e::TargetProcess& setup, const std::string& dist, const std::string& title,
                            const std::string& folder, bool agreement, bool readme, e2e::Where where) {
    if (!setup.Start(dist + "SETUP.EXE", {}, {}, where)) return {};
    e2e::Window wizard = setup.WaitWindow("TfrmMain", title, 15000, where);
    if (!wizard) return {};
    if (!Press(wizard, IDC_BTN_EVENT, "インストール続行(&C)", 15000, where)) return {};
    if (agreement) {
        e2e::Window box = wizard.ControlById(IDC_CHK_EULA_READ, e2e::kWait, where);
        if (!box || !WaitCaption(wizard.ControlById(IDC_BTN_EVENT), "同意する(&A)", 10000, where) ||
            !box.Click(e2e::kWait, where))
            return {};
        if (!Press(wizard, IDC_BTN_EVENT, "同意する(&A)", 15000, where)) return {};
    }
    if (readme && !Press(wizard, IDC_BTN_EVENT, "インストール続行(&C)", 15000, where)) return {};
    e2e::Window start = wizard.ControlById(IDC_BTN_EVENT, e2e::kWait, where);
    if (!start || !WaitCaption(start, "インストール開始(&S)", 15000, where)) return {};
    e2e::Window folderField = wizard.ControlById(IDC_TXT_FOLDER, e2e::kWait, where);
    if (!folderField || !folderField.Type(folder, e2e::kWait, where)) return {};
    return wizard;
}

bool AnswerBox(const e2e::TargetProcess& process, const std::string& title, int button, const std::string& text,
               e2e::Where where) {
    e2e::MsgBox box = process.WaitMessageBox(30000, where);
    if (!box) return false;
    bool ok = true;
    if (box.Title() != title) {
        e2e::Fail("a message box titled " + e2e::Quoted(title) + " was expected, came: " + box.Describe(), where);
        ok = false;
    }
    if (!text.empty() && box.Text() != text) {
        e2e::Fail("the box " + e2e::Quoted(title) + " says " + e2e::Quoted(box.Text()) + ", expected " +
                      e2e::Quoted(text),
                  where);
        ok = false;
    }
    return box.Answer(button, e2e::kWait, where) && ok;
}

e2e::Window WaitForNext(const e2e::TargetProcess& process, DWORD timeoutMs, e2e::Where where) {
    e2e::Window status;
    e2e::Window next;
    std::string interruption;
    bool done = e2e::PollUntil(
        [&] {
            if (e2e::MsgBox box = process.FindMessageBox()) {
                interruption = "a message box came instead: " + box.Describe();
                return true;
            }
            if (e2e::Window dialog = process.FindTopWindow("TfrmCustomDlg")) {
                interruption = "the shared-file dialog came instead: " +
                               Caption(dialog.FindControlById(IDC_CUSTOM_LBL_MESSAGE));
                return true;
            }
            if (!status) status = process.FindTopWindow("TfrmStatus");
            if (!status) return false;
            if (!next) next = status.FindControlById(IDC_STATUS_BTN_ABORT);
            return next && next.Visible() && next.Enabled() && Caption(next) == "次へ(&N)";
        },
        timeoutMs);
    if (!interruption.empty()) {
        e2e::Fail("waiting for 次へ(&N): " + interruption, where);
        return {};
    }
    if (!done) {
        e2e::Fail("no 次へ(&N) within " + std::to_string(timeoutMs) + " ms; progress text: " +
                      (status ? e2e::Quoted(ProgressText(status)) : std::string("(no progress window)")) +
                      "; windows:" + process.DescribeWindows(),
                  where);
        return {};
    }
    return status;
}

std::string ProgressText(const e2e::Window& status) {
    return Caption(status.FindControlById(IDC_STATUS_LBL_MESSAGE));
}

e2e::Window OpenUninstallPage(e2e::TargetProcess& unsetup, const std::string& uninstallString,
                              const std::string& title, e2e::Where where) {
    if (!unsetup.StartCommandLine(uninstallString, WindowsFolder(), where)) return {};
    e2e::Window wizard = unsetup.WaitWindow("TfrmMain", title, 15000, where);
    if (!wizard) return {};
    e2e::Window start = wizard.ControlById(IDC_BTN_EVENT, e2e::kWait, where);
    if (!start || !WaitCaption(start, "アンインストール開始(&S)", 15000, where)) return {};
    // The caption comes first; the page is complete once its last step has given the start
    // button the focus. Check boxes set before then would be set again by the program.
    if (!e2e::WaitUntil([&] { return start.Focused(); }, "the uninstall page to be complete",
                        [&] { return wizard.Describe(); }, 15000, where))
        return {};
    return wizard;
}

bool FinishOnCompletionPage(e2e::TargetProcess& process, const e2e::Window& wizard, const std::string& finishCaption,
                            bool secondChoice, DWORD exitCode, e2e::Where where) {
    e2e::Window finish = wizard.ControlById(IDC_BTN_EVENT, e2e::kWait, where);
    if (!finish || !WaitCaption(finish, finishCaption, 15000, where) ||
        !e2e::PollUntil([&] { return finish.Enabled(); }, 15000))
        return false;
    if (secondChoice) {
        e2e::Window second = wizard.ControlById(IDC_OPT_SELECT_TYPE2, e2e::kWait, where);
        if (!second || !second.Click(e2e::kWait, where) || !second.WaitChecked(true, e2e::kWait, where)) return false;
    }
    if (!finish.Click(e2e::kWait, where) || !process.WaitForExit(15000, where)) return false;
    if (process.ExitCode() == exitCode) return true;
    e2e::Fail("the program ended with exit code " + std::to_string(process.ExitCode()) + ", expected " +
                  std::to_string(exitCode),
              where);
    return false;
}

bool InstallThroughWizard(const std::string& dist, const std::string& title, const std::string& folder,
                          bool folderExists, e2e::Where where) {
    e2e::TargetProcess setup;
    e2e::Window wizard = OpenOptionsPage(setup, dist, title, folder, false, false, where);
    if (!wizard || !Press(wizard, IDC_BTN_EVENT, "インストール開始(&S)", 15000, where)) return false;
    if (!folderExists &&
        !AnswerBox(setup, "フォルダ作成", IDYES,
                   folder + "\r\n\r\nこのフォルダは存在しません。作成してもよろしいですか？", where))
        return false;
    e2e::Window status = WaitForNext(setup, 30000, where);
    if (!status) return false;
    std::string progress = ProgressText(status);
    if (progress.find("【処理完了】") == std::string::npos) {
        e2e::Fail("the install did not complete: " + e2e::Quoted(progress), where);
        return false;
    }
    return Press(status, IDC_STATUS_BTN_ABORT, "次へ(&N)", 15000, where) &&
           FinishOnCompletionPage(setup, wizard, "インストール完了(&E)", false, 0, where);
}

bool AnswerSharedDialog(const e2e::TargetProcess& process, const std::string& question, int buttonId,
                        e2e::Where where) {
    e2e::Window dialog = process.WaitWindow("TfrmCustomDlg", "ファイル削除の確認", 30000, where);
    if (!dialog) return false;
    e2e::Window message = dialog.ControlById(IDC_CUSTOM_LBL_MESSAGE, e2e::kWait, where);
    // The dialog is reused for the next file: wait for this file's question.
    if (!message || !WaitCaption(message, question, 15000, where)) return false;
    if (!dialog.ControlById(buttonId, e2e::kWait, where).Click(e2e::kWait, where)) return false;
    // Answered once the dialog is gone or asks about the next file.
    return e2e::WaitUntil([&] { return !dialog.Visible() || Caption(message) != question; },
                          "the shared-file dialog to take the answer", [&] { return Caption(message); }, e2e::kWait,
                          where);
}

std::string SystemText(DWORD code) {
    wchar_t* buffer = nullptr;
    DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text(buffer ? buffer : L"", length);
    LocalFree(buffer);
    while (!text.empty() && (text.back() <= L' ' || text.back() == L'.')) text.pop_back();
    int size = LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_FULLWIDTH, text.c_str(), static_cast<int>(text.size()),
                            nullptr, 0);
    if (size > 0) {
        std::wstring wide(static_cast<size_t>(size), L'\0');
        LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_FULLWIDTH, text.c_str(), static_cast<int>(text.size()), wide.data(),
                     size);
        text = wide;
    }
    return Narrow(text) + "\r\n";
}

::testing::AssertionResult SameLines(const std::string& actual, const std::string& expected) {
    if (actual == expected) return ::testing::AssertionSuccess();
    auto split = [](const std::string& text) {
        std::vector<std::string> lines;
        size_t start = 0;
        while (start <= text.size()) {
            size_t end = text.find('\n', start);
            if (end == std::string::npos) {
                if (start < text.size()) lines.push_back(text.substr(start));
                break;
            }
            lines.push_back(text.substr(start, end + 1 - start));
            start = end + 1;
        }
        return lines;
    };
    std::vector<std::string> a = split(actual), e = split(expected);
    std::string report;
    for (size_t i = 0; i < a.size() || i < e.size(); ++i) {
        std::string left = i < a.size() ? a[i] : "(none)";
        std::string right = i < e.size() ? e[i] : "(none)";
        if (left == right) continue;
        report += "\n  line " + std::to_string(i + 1) + ": is " + e2e::Quoted(left) + "\n" +
                  std::string(8 + std::to_string(i + 1).size(), ' ') + "expected " + e2e::Quoted(right);
    }
    return ::testing::AssertionFailure() << "texts differ:" << report << "\nwhole text:\n" << actual;
}

::testing::AssertionResult SameCp932Lines(const std::string& actualBytes, const std::string& expected) {
    if (actualBytes == e2e::Cp932(expected)) return ::testing::AssertionSuccess();
    ::testing::AssertionResult same = SameLines(Cp932ToUtf8(actualBytes), expected);
    if (!same) return same;
    // Alike once decoded: the bytes differ (another form of a character, or not code page 932).
    return ::testing::AssertionFailure() << "the text is alike but its bytes are not code page 932: "
                                         << e2e::Quoted(Cp932ToUtf8(actualBytes));
}

const char* const kCleanUninstallProgress =
    "アンインストールを行っています。\r\n\r\n【処理状況】\r\n"
    "ファイルのアンインストール処理．．．完了\r\n"
    "ショートカットのアンインストール処理．．．完了\r\n"
    "フォルダのアンインストール処理．．．完了\r\n"
    "レジストリのアンインストール処理．．．完了\r\n"
    "関連付けのアンインストール処理．．．完了\r\n"
    "「プログラム(アプリケーション)の追加と削除」の処理．．．完了\r\n"
    "インストールフォルダのアンインストール処理．．．完了\r\n"
    "\r\n【処理完了】\r\n"
    "　「次へ(N)」をクリックして、アンインストールを完了してください。\r\n";

bool CompleteCleanUninstall(e2e::TargetProcess& unsetup, const e2e::Window& wizard, DWORD exitCode, e2e::Where where) {
    e2e::Window status = WaitForNext(unsetup, 30000, where);
    if (!status) return false;
    ::testing::AssertionResult same = SameLines(ProgressText(status), kCleanUninstallProgress);
    if (!same) {
        e2e::Fail(std::string("the progress text of a run without failures: ") + same.message(), where);
        return false;
    }
    if (!Press(status, IDC_STATUS_BTN_ABORT, "次へ(&N)", 15000, where)) return false;
    e2e::Window finish = wizard.ControlById(IDC_BTN_EVENT, e2e::kWait, where);
    if (!finish || !WaitCaption(finish, "アンインストール完了(&E)", 10000, where)) return false;
    bool ok = true;
    // The page is shown after the button's caption is set: wait for the frame before judging it.
    e2e::Window first = wizard.ControlById(IDC_OPT_SELECT_TYPE1, e2e::kWait, where);
    if (!first || !first.WaitVisible(true, 10000, where)) return false;
    std::string page = Caption(wizard.ControlById(IDC_LBL_SELECT_TYPE_MSG));
    if (page != "アンインストールを完了しました。" || wizard.ControlById(IDC_OPT_SELECT_TYPE2).Visible()) {
        e2e::Fail("the completion page offers more than the end: " + e2e::Quoted(page), where);
        ok = false;
    }
    return FinishOnCompletionPage(unsetup, wizard, "アンインストール完了(&E)", false, exitCode, where) && ok;
}

bool UninstallQuietly(const std::string& uninstallString, const std::string& title, e2e::Where where) {
    e2e::TargetProcess unsetup;
    e2e::Window wizard = OpenUninstallPage(unsetup, uninstallString, title, where);
    return wizard && Press(wizard, IDC_BTN_EVENT, "アンインストール開始(&S)", 15000, where) &&
           CompleteCleanUninstall(unsetup, wizard, 0, where);
}

bool StaysAbsent(const std::string& path, DWORD durationMs) {
    return !e2e::PollUntil([&] { return FileExists(path); }, durationMs);
}

}  // namespace runs
