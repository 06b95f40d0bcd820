#include "app/frm_back.h"

#include <algorithm>
#include <vector>

#include "app/control_ids.h"
#include "edge/wide.h"
#include "edge/fileops.h"
#include "sys/system_library.h"
#include "ui/application.h"

namespace {

const wchar_t kVersionQuery[] = L"\\StringFileInfo\\041103a4\\FileVersion";

// The decimal value of a version part, as digits without leading zeros ("0" for none).
// Parsed as text so that no part can overflow.
std::string PartDigits(const std::string& part) {
    size_t begin = part.find_first_not_of(" \t");
    if (begin == std::string::npos) return "0";
    size_t end = begin;
    while (end < part.size() && part[end] >= '0' && part[end] <= '9') ++end;
    std::string digits = part.substr(begin, end - begin);
    size_t first = digits.find_first_not_of('0');
    return first == std::string::npos ? "0" : digits.substr(first);
}

std::string PadLeft(const std::string& digits, size_t width) {
    return digits.size() >= width ? digits : std::string(width - digits.size(), '0') + digits;
}

Font LabelFont(const char* name, int height, COLORREF color) {
    Font font;
    font.Name = name;
    font.Height = height;
    font.Italic = true;
    font.Color = color;
    return font;
}

}  // namespace

std::string FormatVersionText(const std::string& fileVersion) {
    // Split at the first three dots: major, minor, release and the rest as the build.
    std::vector<std::string> parts;
    size_t start = 0;
    while (parts.size() < 3) {
        size_t dot = fileVersion.find('.', start);
        if (dot == std::string::npos) break;
        parts.push_back(fileVersion.substr(start, dot - start));
        start = dot + 1;
    }
    parts.push_back(fileVersion.substr(std::min(start, fileVersion.size())));
    parts.resize(4);
    std::string major = PartDigits(parts[0]);
    std::string minorRelease = PartDigits(PartDigits(parts[1]) + PartDigits(parts[2]));
    std::string build = PartDigits(parts[3]);
    return major + "." + PadLeft(minorRelease, 2) + "(Build:" + PadLeft(build, 4) + ")";
}

std::string ReadFileVersionString(const std::string& path) {
    // The version library, from the system folder only.
    static auto infoSize = SystemFunctionAs<DWORD(WINAPI*)(LPCWSTR, LPDWORD)>("VERSION.DLL", "GetFileVersionInfoSizeW");
    static auto info = SystemFunctionAs<BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID)>("VERSION.DLL", "GetFileVersionInfoW");
    static auto query = SystemFunctionAs<BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT)>("VERSION.DLL", "VerQueryValueW");
    if (!infoSize || !info || !query) return "";
    std::wstring file = Wide(path);
    DWORD ignored = 0;
    DWORD size = infoSize(file.c_str(), &ignored);
    if (size == 0) return "";
    std::vector<char> data(size);
    if (!info(file.c_str(), 0, size, data.data())) return "";
    void* value = nullptr;
    UINT length = 0;
    if (!query(data.data(), kVersionQuery, &value, &length) || !value || length == 0) return "";
    const auto* text = static_cast<const wchar_t*>(value);
    // The length counts characters and may include the terminating NUL.
    const auto* end = reinterpret_cast<const wchar_t*>(data.data() + data.size());
    size_t characters = 0;
    while (characters < length && text + characters < end && text[characters] != L'\0') ++characters;
    return Narrow(std::wstring(text, characters));
}

TfrmBack::TfrmBack() : Form("TfrmBack") {
    SetCaption("Orvant Setup Nova");
    SetBorderStyle(BorderStyle::Single, true);
    SetClientSize(490, 298);
    SetColor(clBlack);
    // Disabled: the user cannot activate the background; the runs enable it when the work is
    // over, and the wizard's close reads that.
    SetEnabled(false);
    SetCenteredOnScreen();

    GradBox.SetParent(this);
    GradBox.SetAlign(ControlAlign::Client);
    GradBox.SetStartColor(RGB(0, 0, 255));
    GradBox.SetEndColor(RGB(0, 0, 0));
    GradBox.SetGradStep(128);
    GradBox.SetDirection(gdVertical);

    // Creation order is painting order: each shadow lies under its text.
    struct Design {
        Label& label;
        int left, top, id;
        Font font;
        bool visible;
    };
    Design labels[] = {
        {lblBackTitle2, 39, 16, IDC_BACK_LBL_BACK_TITLE2, LabelFont("ＭＳ Ｐゴシック", -32, clGreen), true},
        {lblPrgTitle2, 24, 48, IDC_BACK_LBL_PRG_TITLE2, LabelFont("ＭＳ Ｐ明朝", -16, clBlue), false},
        {lblPrgTitle1, 8, 48, IDC_BACK_LBL_PRG_TITLE1, LabelFont("ＭＳ Ｐ明朝", -16, clWhite), false},
        {lblBackTitle1, 16, 16, IDC_BACK_LBL_BACK_TITLE1, LabelFont("ＭＳ Ｐゴシック", -32, clWhite), true},
    };
    for (Design& d : labels) {
        d.label.SetTransparent(true);
        d.label.SetAutoSize(true);
        d.label.Create(*this, d.left, d.top, 0, 0, "", d.id);
        d.label.SetFont(d.font);
        if (!d.visible) d.label.Hide();
    }
    GradBox.OnChange = [this] { FormResize(); };
}

void TfrmBack::FormCreate() {
    // The task-bar button shows the class icon of the main window.
    if (Application* app = Application::Current())
        if (HICON icon = app->Icon())
            SetClassLongPtrW(Handle(), GCLP_HICON, reinterpret_cast<LONG_PTR>(icon));
}

void TfrmBack::FormCloseQuery(bool& canClose) {
    if (!wizard_ || !wizard_->IsModal()) return;
    canClose = false;
    wizard_->Close();
}

const std::string& TfrmBack::VersionText() {
    if (!versionRead_) {
        versionText_ = FormatVersionText(ReadFileVersionString(ProgramFilePath()));
        versionRead_ = true;
    }
    return versionText_;
}

void TfrmBack::FormResize() {
    // Only the first resize in the normal state, once the window is on the screen, starts the
    // program; any later one (or a gradient change) does nothing.
    if (started_ || !Visible() || GetWindowState() != WindowState::Normal) return;
    started_ = true;
    SetCaption("Orvant Setup Nova Version" + VersionText());
    lblBackTitle2.SetBounds(lblBackTitle1.Left() + Scaled(2), lblBackTitle1.Top() + Scaled(2),
                            lblBackTitle1.Width(), lblBackTitle1.Height());
    SetWindowState(WindowState::Maximized);
    if (wizard_) wizard_->ShowModal();
    Close();
}

void TfrmBack::SetBanner(const std::string& text) {
    lblPrgTitle1.SetCaption(text);
    lblPrgTitle2.SetCaption(text);
    lblPrgTitle1.SetAutoSize(false);
    int width = lblPrgTitle1.Width() + Scaled(8);
    int height = lblPrgTitle1.Height();
    int left = Width() - Scaled(24) - width;
    int top = Height() - Scaled(48) - height;
    lblPrgTitle1.SetBounds(left, top, width, height);
    // The shadow gets the same box, so its italic tail is not cut off either.
    lblPrgTitle2.SetAutoSize(false);
    lblPrgTitle2.SetBounds(left + Scaled(2), top + Scaled(2), width, height);
    lblPrgTitle2.Show();
    lblPrgTitle1.Show();
    lblPrgTitle2.Repaint();
    lblPrgTitle1.Repaint();
}

void TfrmBack::SetTitles(const std::string& text) {
    for (Label* label : {&lblBackTitle1, &lblBackTitle2}) {
        label->SetCaption(text);
        label->SetAutoSize(false);
        label->SetWidth(Width() - Scaled(24));
    }
}
