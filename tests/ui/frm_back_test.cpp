// The background window: version text, layout, the first resize that shows the wizard, the
// banner and titles, and what the window really shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "app/control_ids.h"
#include "app/frm_back.h"
#include "edge/fileops.h"
#include "support/test_env.h"
#include "ui/application.h"
#include "ui_test_util.h"

namespace {

TEST(VersionTextTest, Formats) {
    EXPECT_EQ(FormatVersionText("1.3.2.890"), "1.32(Build:0890)");
    EXPECT_EQ(FormatVersionText("2.0.5.12"), "2.05(Build:0012)");
    EXPECT_EQ(FormatVersionText(""), "0.00(Build:0000)");
    EXPECT_EQ(FormatVersionText("1.0.0.1"), "1.00(Build:0001)");
    EXPECT_EQ(FormatVersionText("1.10.0.0"), "1.100(Build:0000)");
    EXPECT_EQ(FormatVersionText("3.12.7.20001"), "3.127(Build:20001)");
    // Missing parts count as 0: minor 2 and release 0 give "20".
    EXPECT_EQ(FormatVersionText("1.2"), "1.20(Build:0000)");
    EXPECT_EQ(FormatVersionText("4"), "4.00(Build:0000)");
    // Leading zeros and blanks of a part do not count; no part overflows.
    EXPECT_EQ(FormatVersionText("01.002.03.0004"), "1.23(Build:0004)");
    EXPECT_EQ(FormatVersionText("1, 2, 3, 4"), "1.00(Build:0000)");
    EXPECT_EQ(FormatVersionText("1.99999999999.99999999999.5"),
              "1.9999999999999999999999(Build:0005)");
    EXPECT_EQ(FormatVersionText("x.y.z.w"), "0.00(Build:0000)");
}

// ---------------------------------------------------------------------------------------------
// A version record written into a copy of this test program.

struct VersionNode {
    std::wstring key;
    std::vector<BYTE> value;
    WORD valueLength;
    WORD type;
    std::vector<VersionNode> children;
};

void Align(std::vector<BYTE>& out) {
    while (out.size() % 4) out.push_back(0);
}

void PutWord(std::vector<BYTE>& out, size_t at, WORD word) {
    out[at] = static_cast<BYTE>(word & 0xFF);
    out[at + 1] = static_cast<BYTE>(word >> 8);
}

void Write(std::vector<BYTE>& out, const VersionNode& node) {
    Align(out);
    size_t start = out.size();
    out.resize(start + 6);
    PutWord(out, start + 2, node.valueLength);
    PutWord(out, start + 4, node.type);
    for (wchar_t c : node.key + L'\0') {
        out.push_back(static_cast<BYTE>(c & 0xFF));
        out.push_back(static_cast<BYTE>(c >> 8));
    }
    Align(out);
    out.insert(out.end(), node.value.begin(), node.value.end());
    for (const VersionNode& child : node.children) Write(out, child);
    PutWord(out, start, static_cast<WORD>(out.size() - start));
}

std::vector<BYTE> TextValue(const std::wstring& text) {
    std::vector<BYTE> bytes;
    for (wchar_t c : text + L'\0') {
        bytes.push_back(static_cast<BYTE>(c & 0xFF));
        bytes.push_back(static_cast<BYTE>(c >> 8));
    }
    return bytes;
}

std::vector<BYTE> VersionResource(const std::wstring& table, const std::wstring& fileVersion) {
    VS_FIXEDFILEINFO fixed{};
    fixed.dwSignature = 0xFEEF04BD;
    fixed.dwStrucVersion = 0x00010000;
    fixed.dwFileType = VFT_APP;
    std::vector<BYTE> fixedBytes(sizeof(fixed));
    std::memcpy(fixedBytes.data(), &fixed, sizeof(fixed));
    VersionNode text{L"FileVersion", TextValue(fileVersion),
                     static_cast<WORD>(fileVersion.size() + 1), 1, {}};
    VersionNode stringTable{table, {}, 0, 1, {text}};
    VersionNode stringInfo{L"StringFileInfo", {}, 0, 1, {stringTable}};
    VersionNode root{L"VS_VERSION_INFO", fixedBytes, static_cast<WORD>(sizeof(fixed)), 0, {stringInfo}};
    std::vector<BYTE> out;
    Write(out, root);
    return out;
}

// A copy of this program with the given version record.
std::string StampedCopy(const std::string& folder, const std::string& name, const std::wstring& table,
                        const std::wstring& fileVersion) {
    std::string copy = folder + name;
    if (!CopyFileA(ProgramFilePath().c_str(), copy.c_str(), FALSE)) return "";
    HANDLE update = BeginUpdateResourceA(copy.c_str(), FALSE);
    if (!update) return "";
    std::vector<BYTE> data = VersionResource(table, fileVersion);
    BOOL ok = UpdateResourceA(update, reinterpret_cast<LPCSTR>(RT_VERSION), MAKEINTRESOURCEA(1),
                              MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT), data.data(),
                              static_cast<DWORD>(data.size()));
    if (!EndUpdateResourceA(update, ok ? FALSE : TRUE) || !ok) return "";
    return copy;
}

TEST(VersionTextTest, ReadsTheJapaneseFileVersionOfAProgram) {
    std::string folder = ScratchFolder("ui-version");
    std::string stamped = StampedCopy(folder, "STAMPED.EXE", L"041103a4", L"1.3.2.890");
    ASSERT_FALSE(stamped.empty());
    EXPECT_EQ(ReadFileVersionString(stamped), "1.3.2.890");
    EXPECT_EQ(FormatVersionText(ReadFileVersionString(stamped)), "1.32(Build:0890)");

    // Only the Japanese, code page 932 string table counts.
    std::string english = StampedCopy(folder, "ENGLISH.EXE", L"040904b0", L"2.0.5.12");
    ASSERT_FALSE(english.empty());
    EXPECT_EQ(ReadFileVersionString(english), "");

    // This test program has no version record at all.
    EXPECT_EQ(ReadFileVersionString(ProgramFilePath()), "");
    EXPECT_EQ(ReadFileVersionString(folder + "missing.exe"), "");
    RemoveTree(folder);
}

// ---------------------------------------------------------------------------------------------
// The window

class FakeWizard : public Form {
public:
    FakeWizard() : Form("TfrmMain") {
        SetClientSize(492, 298);
        SetCenteredOnScreen();
    }
    int activations = 0;
    std::function<void()> onActivate;

protected:
    void FormActivate() override {
        ++activations;
        if (onActivate) onActivate();
        SetModalResult(mrOk);
    }
};

class FrmBackTest : public ::testing::Test {
protected:
    void SetUp() override {
        app_.SetTitle("Orvant Setup Nova");
        app_.OnException = [this](const std::exception& e) { errors_.push_back(e.what()); };
    }
    Application app_;
    std::vector<std::string> errors_;
};

TEST_F(FrmBackTest, DesignState) {
    TfrmBack back;
    back.AfterConstruction();
    char name[64] = {};
    GetClassNameA(back.Handle(), name, sizeof(name));
    EXPECT_STREQ(name, "TfrmBack");
    EXPECT_EQ(back.ClientWidth(), 490);
    EXPECT_EQ(back.ClientHeight(), 298);
    EXPECT_FALSE(back.Enabled());
    EXPECT_FALSE(back.Visible());
    EXPECT_EQ(back.Color(), clBlack);
    LONG_PTR style = GetWindowLongPtrA(back.Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));

    EXPECT_EQ(back.GradBox.StartColor(), RGB(0, 0, 255));
    EXPECT_EQ(back.GradBox.EndColor(), RGB(0, 0, 0));
    EXPECT_EQ(back.GradBox.GradStep(), 128);
    EXPECT_EQ(back.GradBox.Direction(), gdVertical);
    EXPECT_EQ(back.GradBox.Width(), 490);
    EXPECT_EQ(back.GradBox.Height(), 298);

    struct Expected {
        Label& label;
        int id, left, top;
        const char* face;
        LONG height;
        COLORREF color;
        bool visible;
    } expected[] = {
        {back.lblBackTitle2, IDC_BACK_LBL_BACK_TITLE2, 39, 16, "ＭＳ Ｐゴシック", -32, RGB(0, 128, 0), true},
        {back.lblPrgTitle2, IDC_BACK_LBL_PRG_TITLE2, 24, 48, "ＭＳ Ｐ明朝", -16, RGB(0, 0, 255), false},
        {back.lblPrgTitle1, IDC_BACK_LBL_PRG_TITLE1, 8, 48, "ＭＳ Ｐ明朝", -16, RGB(255, 255, 255), false},
        {back.lblBackTitle1, IDC_BACK_LBL_BACK_TITLE1, 16, 16, "ＭＳ Ｐゴシック", -32, RGB(255, 255, 255), true},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.id);
        EXPECT_EQ(GetDlgItem(back.Handle(), e.id), e.label.Handle());
        EXPECT_EQ(e.label.Left(), e.left);
        EXPECT_EQ(e.label.Top(), e.top);
        FontFacts facts = FontOf(e.label.Handle());
        EXPECT_EQ(facts.face, e.face);
        EXPECT_EQ(facts.height, e.height);
        EXPECT_TRUE(facts.italic);
        EXPECT_EQ(e.label.GetFont().Color, e.color);
        EXPECT_EQ(e.label.Visible(), e.visible);
        EXPECT_TRUE(e.label.Transparent());
    }
    // Painting order is creation order: shadows under their texts.
    EXPECT_LT(back.lblBackTitle2.CreationOrder(), back.lblBackTitle1.CreationOrder());
    EXPECT_LT(back.lblPrgTitle2.CreationOrder(), back.lblPrgTitle1.CreationOrder());
    EXPECT_LT(back.GradBox.CreationOrder(), back.lblBackTitle2.CreationOrder());
}

TEST_F(FrmBackTest, FirstResizeMaximisesShowsTheWizardModallyAndCloses) {
    TfrmBack back;
    FakeWizard wizard;
    back.SetWizard(&wizard);
    app_.SetMainForm(&back);
    back.AfterConstruction();
    wizard.AfterConstruction();

    bool maximisedBehind = false, backDisabled = false, wizardVisible = false;
    std::string caption;
    int shadowDx = 0, shadowDy = 0;
    COLORREF top = 0, bottom = 0, expectedBottom = 1;
    wizard.onActivate = [&] {
        maximisedBehind = back.GetWindowState() == WindowState::Maximized && back.Visible();
        backDisabled = !back.Enabled();
        wizardVisible = wizard.Visible();
        caption = back.Caption();
        shadowDx = back.lblBackTitle2.Left() - back.lblBackTitle1.Left();
        shadowDy = back.lblBackTitle2.Top() - back.lblBackTitle1.Top();
        // What the maximised window shows at its left edge, beside the wizard.
        int height = back.ClientHeight();
        auto bands = ComputeGradBands(RGB(0, 0, 255), RGB(0, 0, 0), 128, gdVertical,
                                      back.ClientWidth(), height);
        for (const GradBand& band : bands)
            if (height - 1 >= band.Rect.top && height - 1 < band.Rect.bottom) expectedBottom = band.Color;
        top = ClientPixel(back.Handle(), 2, 0);
        bottom = ClientPixel(back.Handle(), 2, height - 1);
    };
    ScriptedSteps guard({});
    app_.Run();
    EXPECT_FALSE(guard.TimedOut());
    EXPECT_EQ(wizard.activations, 1);
    EXPECT_TRUE(maximisedBehind);
    EXPECT_TRUE(backDisabled);
    EXPECT_TRUE(wizardVisible);
    EXPECT_EQ(caption, "Orvant Setup Nova Version0.00(Build:0000)");
    EXPECT_EQ(shadowDx, 2);
    EXPECT_EQ(shadowDy, 2);
    EXPECT_EQ(top, RGB(0, 0, 255));
    EXPECT_EQ(bottom, expectedBottom);
    EXPECT_LT(GetBValue(bottom), 16);
    // The wizard's end closes the background window, which ends the application.
    EXPECT_TRUE(Application::Terminated());
    EXPECT_FALSE(wizard.Visible());
    EXPECT_TRUE(errors_.empty());

    // Later resizes and gradient changes start nothing again.
    back.GradBox.SetGradStep(10);
    ShowWindow(back.Handle(), SW_RESTORE);
    PumpFor(50);
    EXPECT_EQ(wizard.activations, 1);
}

TEST_F(FrmBackTest, BannerAndTitles) {
    TfrmBack back;
    back.AfterConstruction();
    back.SetTitles("サンプル アプリケーション セットアップ");
    EXPECT_EQ(back.lblBackTitle1.Caption(), "サンプル アプリケーション セットアップ");
    EXPECT_EQ(back.lblBackTitle2.Caption(), "サンプル アプリケーション セットアップ");
    EXPECT_FALSE(back.lblBackTitle1.AutoSize());
    EXPECT_EQ(back.lblBackTitle1.Width(), back.Width() - 24);
    EXPECT_EQ(back.lblBackTitle2.Width(), back.Width() - 24);
    EXPECT_GE(back.lblBackTitle1.Height(), 32);

    back.SetBanner("Orvant Setup Nova\r\nCopyright (C) Orvant");
    Label& banner = back.lblPrgTitle1;
    Label& shadow = back.lblPrgTitle2;
    EXPECT_TRUE(banner.Visible());
    EXPECT_TRUE(shadow.Visible());
    EXPECT_EQ(banner.Caption(), "Orvant Setup Nova\r\nCopyright (C) Orvant");
    EXPECT_EQ(shadow.Caption(), banner.Caption());
    EXPECT_EQ(banner.Left() + banner.Width(), back.Width() - 24);
    EXPECT_EQ(banner.Top() + banner.Height(), back.Height() - 48);
    EXPECT_EQ(shadow.Left(), banner.Left() + 2);
    EXPECT_EQ(shadow.Top(), banner.Top() + 2);
    EXPECT_GE(banner.Height(), 32);  // two lines of 16 pixels
    EXPECT_FALSE(banner.AutoSize());
}

// The titles and banner as painted on the maximised window, as start-up sets them from inside
// the wizard: white text, its shadow beside it, the gradient around the letters and no label
// background.
TEST_F(FrmBackTest, ShowsShadowedTextOnTheGradient) {
    TfrmBack back;
    FakeWizard wizard;
    back.SetWizard(&wizard);
    app_.SetMainForm(&back);
    back.AfterConstruction();
    wizard.AfterConstruction();
    auto check = [&](Label& text, COLORREF shadowColor) {
        auto bands = ComputeGradBands(RGB(0, 0, 255), RGB(0, 0, 0), 128, gdVertical,
                                      back.ClientWidth(), back.ClientHeight());
        RECT area{text.Left(), text.Top(), text.Left() + text.Width() + 2,
                  text.Top() + text.Height() + 2};
        std::vector<COLORREF> pixels = ClientPixels(back.Handle(), area);
        int white = 0, shadow = 0, gradient = 0, other = 0;
        int width = area.right - area.left;
        for (size_t i = 0; i < pixels.size(); ++i) {
            int y = area.top + static_cast<int>(i) / width;
            COLORREF band = CLR_INVALID;
            for (const GradBand& b : bands)
                if (y >= b.Rect.top && y < b.Rect.bottom) band = b.Color;
            if (pixels[i] == RGB(255, 255, 255)) ++white;
            else if (pixels[i] == shadowColor) ++shadow;
            else if (pixels[i] == band) ++gradient;
            else ++other;  // anti-aliased edges
        }
        EXPECT_GT(white, 50);
        EXPECT_GT(shadow, 10);
        EXPECT_GT(gradient, 50);
        EXPECT_LT(other, white + shadow);
    };
    wizard.onActivate = [&] {
        back.SetTitles("■■■ Orvant");
        back.SetBanner("■■■■ Orvant Setup Nova\r\n■■■■ Orvant");
        wizard.Hide();  // the banner sits where the wizard would cover nothing, but be sure
        PumpFor(100);
        {
            SCOPED_TRACE("title");
            check(back.lblBackTitle1, RGB(0, 128, 0));
        }
        {
            SCOPED_TRACE("banner");
            check(back.lblPrgTitle1, RGB(0, 0, 255));
        }
        wizard.Show();
        PumpFor(50);
        SaveScreenshot(BuildTreeFile("ui-frmback.bmp"));
    };
    ScriptedSteps guard({});
    app_.Run();
    EXPECT_FALSE(guard.TimedOut());
    EXPECT_EQ(wizard.activations, 1);
}

}  // namespace
