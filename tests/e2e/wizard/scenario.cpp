#include "scenario.h"

#include "edge/wide.h"

namespace wiz {

std::string Lines(std::initializer_list<std::string> lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

bool WriteBytes(const std::string& path, const std::string& bytes) { return e2e::WriteBytes(path, bytes); }

bool WriteText(const std::string& path, const std::string& text) { return e2e::WriteBytes(path, e2e::Cp932(text)); }

std::string ReadBytes(const std::string& path) { return e2e::ReadBytes(path); }

bool FileExists(const std::string& path) { return e2e::FileExists(path); }

bool FolderExists(const std::string& path) { return e2e::FolderExists(path); }

namespace {

std::string WithBackslash(std::string folder) {
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    return folder;
}

}  // namespace

std::string WindowsFolder() {
    UINT length = GetWindowsDirectoryW(nullptr, 0);
    std::wstring folder(length, L'\0');
    folder.resize(GetWindowsDirectoryW(folder.data(), length));
    return WithBackslash(Narrow(folder));
}

std::string TempFolder() { return e2e::TempFolder(); }

std::string OvSet98Path() { return WindowsFolder() + "OVSET98.INI"; }
std::string OvResultPath() { return WindowsFolder() + "OVRESULT.INI"; }

int CountWorkFolders() {
    int count = 0;
    for (int n = 1; n <= 99; ++n)
        if (FolderExists(TempFolder() + "OVTMP" + std::to_string(n))) ++count;
    return count;
}

std::string IniValue(const std::string& file, const std::string& section, const std::string& key,
                     const std::string& fallback) {
    bool found = false;
    std::string value = e2e::IniValue(file, section, key, &found);
    return found ? value : fallback;
}

void RemoveIniSection(const std::string& file, const std::string& section) { e2e::RemoveIniSection(file, section); }

HWND FocusedControl(const e2e::Window& top) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!top.Exists() || !GetGUIThreadInfo(GetWindowThreadProcessId(top.Handle(), nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

namespace {

OSVERSIONINFOW VersionInfo() {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExW(&info);
#pragma GCC diagnostic pop
    return info;
}

}  // namespace

bool IsNtFamily() { return VersionInfo().dwPlatformId == VER_PLATFORM_WIN32_NT; }

std::string ExpectedOsName() {
    // The prefix runs a Windows of the NT family; the older family cannot host these tests.
    OSVERSIONINFOW info = VersionInfo();
    if (info.dwPlatformId != VER_PLATFORM_WIN32_NT) return "Windows";
    if (info.dwMajorVersion == 4) return "Windows NT4.0";
    if (info.dwMajorVersion != 5) return "Windows";
    switch (info.dwMinorVersion) {
    case 0: return "Windows 2000";
    case 1: return "Windows XP";
    case 2: return "Windows 2003";
    default: return "Windows NT Technology";
    }
}

std::string TitleText(const std::string& P, const std::string& S) {
    std::string text = "　" + P + " " + S + "プログラムへようこそ。この" + S + "プログラムは、あなたのコンピュータに " + P +
                       " を" + S + "します。" + "\r\n" + "\r\n" + "　" + S +
                       "を開始する前に、必ず、すべてのWindowsプログラムを終了させてください。" + "\r\n" + "\r\n" + "　「" + S +
                       "終了(E)」を選択すると、" + S + "を行わずに" + S + "プログラムを終了します。" + S +
                       "を続行する場合は、「" + S + "続行(C)」を選択してください。" + "\r\n";
    if (IsNtFamily())
        text += "\r\n" + std::string("【注意】") + "\r\n" + "　Administrator権限での" + S + "を推奨します。" +
                "Administrator権限を持たないユーザーでの" + S + "は、正常に処理が行われない場合があります。";
    return text;
}

RECT RectIn(const e2e::Window& control, const e2e::Window& reference) {
    RECT rect = control.ScreenRect();
    MapWindowPoints(nullptr, reference.Handle(), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

RECT RectInParent(const e2e::Window& control) {
    return RectIn(control, e2e::Window(GetParent(control.Handle())));
}

// --- Scenario ------------------------------------------------------------------------------

void Scenario::TearDown() {
    setup_.Kill();
    for (const std::string& section : sections_) RemoveIniSection(OvSet98Path(), section);
    for (const std::string& folder : folders_) e2e::RemoveFolder(folder);
    if (!dist_.empty()) e2e::RemoveFolder(dist_);
}

std::string Scenario::Distribution(const std::string& name, const std::string& script) {
    dist_ = e2e::MakeDistribution(name);
    if (dist_.empty()) return dist_;
    if (!script.empty() && !WriteText(dist_ + "SETUP.INI", script)) {
        ADD_FAILURE() << "SETUP.INI could not be written into " << dist_;
        return {};
    }
    return dist_;
}

std::string Scenario::Scratch(const std::string& name) {
    std::string folder = e2e::ScratchFolder(name);
    folders_.push_back(folder);
    return folder;
}

void Scenario::AddProgramRecord(const std::string& id, const std::string& folder) {
    sections_.push_back(id);
    EXPECT_TRUE(e2e::SetIniValue(OvSet98Path(), id, "Folder", folder)) << OvSet98Path();
}

e2e::Window Scenario::StartWizard(const std::string& caption, const std::string& parameter, e2e::Where where) {
    if (!setup_.Start(dist_ + "SETUP.EXE", parameter, {}, where)) return {};
    // The first start of a test program may wait for the virtual desktop.
    wizard_ = setup_.WaitWindow("TfrmMain", caption, 15000, where);
    return wizard_;
}

bool Scenario::Press(int id, const std::string& caption, DWORD timeoutMs, e2e::Where where) {
    e2e::Window button = wizard_.ControlById(id, e2e::kWait, where);
    return button && button.WaitText(caption, timeoutMs, where) && button.WaitEnabled(true, timeoutMs, where) &&
           button.Click(timeoutMs, where);
}

void Scenario::EndWithConfirmation(e2e::Where where) {
    if (!Control(IDC_BTN_END).Click(e2e::kWait, where)) return;
    e2e::MsgBox box = setup_.WaitMessageBox(e2e::kWait, where);
    if (!box) return;
    if (!box.Answer(IDYES, e2e::kWait, where)) return;
    // Stopped on purpose by the user.
    if (setup_.WaitForExit(e2e::kWait, where) && setup_.ExitCode() != kExitStopped)
        e2e::Fail("the program ended with exit code " + std::to_string(setup_.ExitCode()), where);
}

void Scenario::ExpectStoppedAndLeave(e2e::Where where) {
    e2e::Window event = Control(IDC_BTN_EVENT);
    e2e::Window end = Control(IDC_BTN_END);
    if (!event.WaitEnabled(false, e2e::kWait, where)) return;
    if (!end.WaitEnabled(true, e2e::kWait, where)) return;
    if (!e2e::WaitUntil([&] { return FocusedControl(wizard_) == end.Handle(); }, "the focus on the end button",
                        [&] { return e2e::Window(FocusedControl(wizard_)).Describe(); }, e2e::kWait, where))
        return;
    // Nothing can be started any more: the end button leaves without asking.
    if (!end.Click(e2e::kWait, where)) return;
    if (setup_.WaitForExit(e2e::kWait, where) && setup_.ExitCode() != kExitStopped)
        e2e::Fail("the program ended with exit code " + std::to_string(setup_.ExitCode()), where);
}

}  // namespace wiz
