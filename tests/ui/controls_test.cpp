// Controls: event routing (also through group boxes), state, text, fonts and painting.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/grad_box.h"
#include "base/cp932.h"
#include "support/test_env.h"
#include "ui/application.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui_test_util.h"

namespace {

class ControlsTest : public ::testing::Test {
protected:
    ControlsTest() : form_("TfrmUiControls") {}
    void SetUp() override {
        app_.OnException = [this](const std::exception& e) { errors_.push_back(e.what()); };
        form_.SetClientSize(492, 298);
        form_.SetCenteredOnScreen();
        form_.AfterConstruction();
    }
    Application app_;
    Form form_;
    std::vector<std::string> errors_;
};

TEST_F(ControlsTest, ButtonClicksReachOnClickAlsoInsideAGroupBox) {
    GroupBox group;
    group.Create(form_, 8, 8, 473, 241, "メッセージ");
    Button direct, nested;
    direct.Create(form_, 64, 264, 161, 25, "開始(&S)", 1026);
    nested.Create(group, 16, 200, 100, 25, "参照(&R)");
    int directClicks = 0, nestedClicks = 0;
    direct.OnClick = [&] { ++directClicks; };
    nested.OnClick = [&] { ++nestedClicks; };
    form_.Show();
    SendMessageA(direct.Handle(), BM_CLICK, 0, 0);
    SendMessageA(nested.Handle(), BM_CLICK, 0, 0);
    PostMessageA(nested.Handle(), BM_CLICK, 0, 0);  // as a driver program does
    ProcessMessages();
    EXPECT_EQ(directClicks, 1);
    EXPECT_EQ(nestedClicks, 2);
    EXPECT_EQ(GetParent(nested.Handle()), group.Handle());
    EXPECT_EQ(direct.Caption(), "開始(&S)");
    // Disabled buttons do not click.
    direct.SetEnabled(false);
    SendMessageA(direct.Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(directClicks, 1);
}

TEST_F(ControlsTest, IdsAreTheWindowIds) {
    Button button;
    button.Create(form_, 10, 10, 80, 25, "x", 1027);
    EXPECT_EQ(button.Id(), 1027);
    EXPECT_EQ(GetDlgItem(form_.Handle(), 1027), button.Handle());
    button.SetId(1030);
    EXPECT_EQ(GetDlgCtrlID(button.Handle()), 1030);
    Label automatic;
    automatic.Create(form_, 10, 40, 80, 17, "y");
    EXPECT_GE(automatic.Id(), 20000);  // clear of the program's own ids
}

TEST_F(ControlsTest, EnabledVisibleAndBoundsAreTheWindowsOwn) {
    Button button;
    button.Create(form_, 272, 264, 153, 25, "終了(&E)");
    EXPECT_EQ(button.Left(), 272);
    EXPECT_EQ(button.Top(), 264);
    EXPECT_EQ(button.Width(), 153);
    EXPECT_EQ(button.Height(), 25);
    button.SetEnabled(false);
    EXPECT_FALSE(IsWindowEnabled(button.Handle()));
    EnableWindow(button.Handle(), TRUE);
    EXPECT_TRUE(button.Enabled());
    // Visible is the control's own flag, even while its form is hidden.
    EXPECT_TRUE(button.Visible());
    EXPECT_FALSE(IsWindowVisible(button.Handle()));
    button.Hide();
    EXPECT_FALSE(button.Visible());
    button.SetBounds(1, 2, 3, 4);
    EXPECT_EQ(button.Left(), 1);
    EXPECT_EQ(button.Height(), 4);
    button.SetWidth(50);
    EXPECT_EQ(button.Width(), 50);
    EXPECT_EQ(button.Top(), 2);
}

TEST_F(ControlsTest, GroupBoxHidesShowsAndMovesItsChildren) {
    GroupBox group;
    group.Create(form_, 8, 104, 473, 49, "インストールフォルダ");
    Edit folder;
    folder.Create(group, 8, 16, 401, 24, "C:\\Program Files\\");
    form_.Show();
    EXPECT_TRUE(IsWindowVisible(folder.Handle()));
    group.Hide();
    EXPECT_FALSE(IsWindowVisible(folder.Handle()));
    EXPECT_TRUE(folder.Visible());  // its own flag is unchanged
    group.Show();
    EXPECT_TRUE(IsWindowVisible(folder.Handle()));

    RECT before, after;
    GetWindowRect(folder.Handle(), &before);
    group.SetTop(160);
    GetWindowRect(folder.Handle(), &after);
    EXPECT_EQ(after.top - before.top, 56);
    EXPECT_EQ(folder.Top(), 16);  // relative to the group box
    EXPECT_EQ(group.Caption(), "インストールフォルダ");
}

TEST_F(ControlsTest, GroupBoxPaintsItsInsideWhenAChildIsHidden) {
    form_.SetColor(RGB(0, 128, 0));
    GroupBox group;
    group.Create(form_, 8, 8, 300, 150, "");
    Memo memo;
    memo.Create(group, 20, 30, 200, 80, "text");
    memo.SetColor(RGB(255, 255, 0));
    form_.Show();
    PumpFor(50);
    EXPECT_EQ(ClientPixel(memo.Handle(), 150, 60), RGB(255, 255, 0));
    memo.Hide();
    PumpFor(50);
    // The group box's inside shows the form's colour where the memo was.
    EXPECT_EQ(ClientPixel(group.Handle(), 150, 80), RGB(0, 128, 0));
}

TEST_F(ControlsTest, EditChangeFiresForSetTypedAndForeignText) {
    GroupBox group;
    group.Create(form_, 8, 104, 473, 49, "");
    Edit folder;
    folder.Create(group, 8, 16, 401, 24);
    std::vector<std::string> seen;
    folder.OnChange = [&] { seen.push_back(folder.Caption()); };
    form_.Show();

    folder.SetCaption("C:\\Program Files\\");
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], "C:\\Program Files\\");
    folder.SetCaption("C:\\Program Files\\");  // the same text again: no change
    EXPECT_EQ(seen.size(), 1u);

    SetWindowTextA(folder.Handle(), "D:\\");  // a driver program setting the text
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1], "D:\\");

    folder.SetFocus();
    SetFocus(folder.Handle());
    SendMessageA(folder.Handle(), EM_SETSEL, 3, 3);
    SendMessageA(folder.Handle(), WM_CHAR, 'X', 0);  // typing
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[2], "D:\\X");
}

TEST_F(ControlsTest, EditReadOnlyAndFont) {
    Edit edit;
    edit.Create(form_, 8, 8, 200, 24, "abc");
    EXPECT_FALSE(edit.ReadOnly());
    edit.SetReadOnly(true);
    EXPECT_TRUE(edit.ReadOnly());
    EXPECT_TRUE(GetWindowLongPtrA(edit.Handle(), GWL_STYLE) & ES_READONLY);

    FontFacts facts = FontOf(edit.Handle());
    EXPECT_EQ(facts.face, "ＭＳ Ｐゴシック");
    EXPECT_EQ(facts.height, -12);
    EXPECT_EQ(facts.charset, SHIFTJIS_CHARSET);
    Font big;
    big.Height = -16;
    edit.SetFont(big);
    EXPECT_EQ(FontOf(edit.Handle()).height, -16);
    EXPECT_EQ(edit.GetFont().Height, -16);
}

TEST_F(ControlsTest, CheckBoxAndRadioButtons) {
    CheckBox check;
    check.Create(form_, 8, 8, 300, 17, "上記「使用許諾契約書」を確認のうえ、");
    int checkClicks = 0;
    check.OnClick = [&] { ++checkClicks; };
    form_.Show();
    SendMessageA(check.Handle(), BM_CLICK, 0, 0);
    EXPECT_TRUE(check.Checked());
    EXPECT_EQ(checkClicks, 1);
    SendMessageA(check.Handle(), BM_CLICK, 0, 0);
    EXPECT_FALSE(check.Checked());
    EXPECT_EQ(checkClicks, 2);
    check.SetChecked(true);  // a change of state clicks, as a user's click does
    EXPECT_EQ(checkClicks, 3);
    check.SetChecked(true);  // no change, no click
    EXPECT_EQ(checkClicks, 3);

    GroupBox frame;
    frame.Create(form_, 8, 40, 300, 100, "");
    RadioButton one, two;
    one.Create(frame, 8, 16, 200, 17, "one");
    two.Create(frame, 8, 40, 200, 17, "two");
    int oneClicks = 0, twoClicks = 0;
    one.OnClick = [&] { ++oneClicks; };
    two.OnClick = [&] { ++twoClicks; };
    one.SetChecked(true);
    EXPECT_EQ(oneClicks, 1);
    SendMessageA(two.Handle(), BM_CLICK, 0, 0);
    EXPECT_TRUE(two.Checked());
    EXPECT_FALSE(one.Checked());
    EXPECT_EQ(twoClicks, 1);
    SendMessageA(two.Handle(), BM_CLICK, 0, 0);  // already checked: no change
    EXPECT_EQ(twoClicks, 1);
    one.SetChecked(true);
    EXPECT_FALSE(two.Checked());
    EXPECT_EQ(oneClicks, 2);
}

TEST_F(ControlsTest, MemoLoadsLinesAndRecreatesForScrollBars) {
    std::string folder = ScratchFolder("ui-memo");
    std::string path = folder + "readme.txt";
    // A distributor's text file: code page 932.
    std::string bytes;
    ASSERT_TRUE(Utf8ToCp932("一行目\n二行目\r\n三行目\rend", bytes));
    ASSERT_TRUE(WriteTextFile(path, bytes));
    GroupBox frame;
    frame.Create(form_, 8, 8, 473, 241, "使用許諾契約書");
    Memo memo;
    memo.Create(frame, 8, 16, 457, 217, "", 1007);
    int changes = 0;
    memo.OnChange = [&] { ++changes; };
    ASSERT_TRUE(memo.LoadFromFile(path));
    EXPECT_EQ(memo.Caption(), "一行目\r\n二行目\r\n三行目\r\nend\r\n");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(SendMessageA(memo.Handle(), EM_GETLINECOUNT, 0, 0), 5);
    EXPECT_TRUE(memo.ReadOnly());

    EXPECT_FALSE(memo.LoadFromFile(folder + "missing.txt"));
    EXPECT_EQ(memo.Caption(), "一行目\r\n二行目\r\n三行目\r\nend\r\n");

    memo.SetScrollBars(ssVertical);
    LONG_PTR style = GetWindowLongPtrA(memo.Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_VSCROLL);
    EXPECT_FALSE(style & WS_HSCROLL);
    memo.SetScrollBars(ssBoth);
    style = GetWindowLongPtrA(memo.Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_VSCROLL);
    EXPECT_TRUE(style & WS_HSCROLL);
    // The new window keeps text, id, parent, bounds and read-only state.
    EXPECT_EQ(memo.Caption(), "一行目\r\n二行目\r\n三行目\r\nend\r\n");
    EXPECT_EQ(memo.Id(), 1007);
    EXPECT_EQ(GetParent(memo.Handle()), frame.Handle());
    EXPECT_EQ(memo.Left(), 8);
    EXPECT_EQ(memo.Height(), 217);
    EXPECT_TRUE(memo.ReadOnly());
    EXPECT_EQ(Control::FromHandle(memo.Handle()), &memo);
    memo.SetCaption("x");
    EXPECT_EQ(changes, 2);
    RemoveTree(folder);
}

TEST_F(ControlsTest, MemoBackgroundColour) {
    Memo memo;
    memo.Create(form_, 8, 8, 200, 100, "");
    form_.SetColor(RGB(0, 0, 128));
    form_.Show();
    PumpFor(50);
    // Read-only text keeps the window colour, as the readme page expects.
    EXPECT_EQ(ClientPixel(memo.Handle(), 150, 80), GetSysColor(COLOR_WINDOW));
    memo.SetColor(RGB(255, 255, 255));
    EXPECT_EQ(ClientPixel(memo.Handle(), 150, 80), RGB(255, 255, 255));
    memo.SetColor(RGB(255, 0, 0));
    PumpFor(20);
    EXPECT_EQ(ClientPixel(memo.Handle(), 150, 80), RGB(255, 0, 0));
    memo.SetColor(clWindow);
    PumpFor(20);
    EXPECT_EQ(ClientPixel(memo.Handle(), 150, 80), GetSysColor(COLOR_WINDOW));
}

TEST_F(ControlsTest, LabelAutoSizeWordWrapAndFont) {
    Label label;
    Font font;
    font.Name = "ＭＳ Ｐ明朝";
    font.Height = -16;
    font.Italic = true;
    font.Color = RGB(255, 255, 255);
    label.SetAutoSize(true);
    label.Create(form_, 8, 48, 10, 10, "");
    label.SetFont(font);
    FontFacts facts = FontOf(label.Handle());
    EXPECT_EQ(facts.face, "ＭＳ Ｐ明朝");
    EXPECT_EQ(facts.height, -16);
    EXPECT_TRUE(facts.italic);
    int emptyHeight = label.Height();
    EXPECT_GE(emptyHeight, 16);
    label.SetCaption("Orvant Setup Nova");
    int oneLineWidth = label.Width();
    EXPECT_GT(oneLineWidth, 60);
    EXPECT_EQ(label.Height(), emptyHeight);
    label.SetCaption("Orvant Setup Nova\r\nOrvant Setup Nova");
    EXPECT_EQ(label.Width(), oneLineWidth);
    EXPECT_EQ(label.Height(), 2 * emptyHeight);
    label.SetAutoSize(false);
    label.SetCaption("x");
    EXPECT_EQ(label.Width(), oneLineWidth);

    Label wrapped;
    wrapped.Create(form_, 16, 56, 441, 177, "");
    wrapped.SetWordWrap(true);
    EXPECT_EQ(GetWindowLongPtrA(wrapped.Handle(), GWL_STYLE) & SS_TYPEMASK, SS_LEFT);
    wrapped.SetWordWrap(false);
    EXPECT_EQ(GetWindowLongPtrA(wrapped.Handle(), GWL_STYLE) & SS_TYPEMASK, SS_LEFTNOWORDWRAP);
}

// A transparent label over a painted form: its text shows over the painting, nothing else of
// it does, and an old text disappears when the caption changes.
TEST_F(ControlsTest, TransparentLabelDrawsOverThePainting) {
    TGradBox back;
    back.SetParent(&form_);
    back.SetAlign(ControlAlign::Client);
    back.SetStartColor(RGB(200, 0, 0));
    back.SetEndColor(RGB(200, 0, 0));
    Label shadow, text;
    Font font;
    font.Height = -32;
    font.Color = RGB(0, 255, 0);
    shadow.SetTransparent(true);
    shadow.Create(form_, 18, 18, 300, 40, "", 4001);
    shadow.SetFont(font);
    font.Color = RGB(255, 255, 255);
    text.SetTransparent(true);
    text.Create(form_, 16, 16, 300, 40, "", 4004);
    text.SetFont(font);
    form_.Show();

    const RECT area{16, 16, 316, 58};
    const int all = (area.right - area.left) * (area.bottom - area.top);
    auto count = [&](COLORREF color) {
        std::vector<COLORREF> pixels = ClientPixels(form_.Handle(), area);
        return static_cast<int>(std::count(pixels.begin(), pixels.end(), color));
    };
    PumpFor(50);
    EXPECT_EQ(count(RGB(200, 0, 0)), all);

    shadow.SetCaption("■■■■");
    text.SetCaption("■■■■");
    PumpFor(50);
    int white = count(RGB(255, 255, 255));
    int green = count(RGB(0, 255, 0));
    int red = count(RGB(200, 0, 0));
    EXPECT_GT(white, 100);
    EXPECT_GT(green, 10);  // the shadow's edge shows below the text
    EXPECT_GT(red, 100);   // the painting shows around the letters
    EXPECT_EQ(count(GetSysColor(COLOR_BTNFACE)), 0);

    text.SetCaption("");
    shadow.SetCaption("");
    PumpFor(50);
    EXPECT_EQ(count(RGB(200, 0, 0)), all);

    text.SetCaption("■");
    PumpFor(50);
    EXPECT_GT(count(RGB(255, 255, 255)), 20);
    text.Hide();
    PumpFor(50);
    EXPECT_EQ(count(RGB(255, 255, 255)), 0);
}

TEST_F(ControlsTest, DisablingTheFocusedControlMovesTheFocusOn) {
    Button first, second;
    first.Create(form_, 8, 8, 80, 25, "1");
    second.Create(form_, 100, 8, 80, 25, "2");
    form_.Show();
    ASSERT_TRUE(PumpUntil([&] { return GetActiveWindow() == form_.Handle(); }));
    first.SetFocus();
    EXPECT_TRUE(first.Focused());
    first.SetEnabled(false);
    EXPECT_TRUE(second.Focused());
    second.Hide();
    EXPECT_NE(GetFocus(), second.Handle());
    EXPECT_EQ(GetAncestor(GetFocus(), GA_ROOT), form_.Handle());
}

TEST_F(ControlsTest, TabMovesInCreationOrderAlsoIntoGroupBoxes) {
    Button first;
    first.Create(form_, 8, 8, 80, 25, "1");
    Label label;
    label.Create(form_, 100, 8, 50, 17, "label");
    GroupBox group;
    group.Create(form_, 8, 40, 300, 100, "group");
    Edit inside;
    inside.Create(group, 8, 16, 100, 24, "");
    Button last;
    last.Create(form_, 8, 200, 80, 25, "3");
    form_.Show();
    ASSERT_TRUE(PumpUntil([&] { return GetActiveWindow() == form_.Handle(); }));
    EXPECT_TRUE(first.Focused());  // activation focuses the first control
    auto tab = [] {
        PostMessageA(GetFocus(), WM_KEYDOWN, VK_TAB, 0x000F0001);
        PostMessageA(GetFocus(), WM_KEYUP, VK_TAB, 0xC00F0001);
        ProcessMessages();
    };
    tab();
    EXPECT_TRUE(inside.Focused());
    tab();
    EXPECT_TRUE(last.Focused());
    tab();
    EXPECT_TRUE(first.Focused());
    // The focus comes back to the control that had it when the form is activated again.
    last.SetFocus();
    Form other("TfrmUiOther");
    other.Show();
    ASSERT_TRUE(PumpUntil([&] { return GetActiveWindow() == other.Handle(); }));
    SetActiveWindow(form_.Handle());
    PumpFor(20);
    EXPECT_TRUE(last.Focused());
}

TEST_F(ControlsTest, ImageAndProgressBar) {
    Image image;
    image.Create(form_, 16, 16, 32, 32);
    HICON icon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    image.SetIcon(icon);
    EXPECT_EQ(image.Icon(), icon);

    ProgressBar bar;
    bar.Create(form_, 8, 16, 353, 17);
    EXPECT_EQ(bar.Min(), 0);
    EXPECT_EQ(bar.Max(), 100);
    bar.SetStep(5);
    EXPECT_EQ(bar.Step(), 5);
    bar.SetPosition(40);
    EXPECT_EQ(bar.Position(), 40);
    bar.StepIt();
    EXPECT_EQ(bar.Position(), 45);
    bar.SetPosition(150);
    EXPECT_EQ(bar.Position(), 100);  // the bar keeps to its range
    bar.SetMax(200);
    bar.SetMin(10);
    EXPECT_EQ(bar.Max(), 200);
    EXPECT_EQ(bar.Min(), 10);
}

TEST_F(ControlsTest, ControlsDestroyedBeforeOrWithTheForm) {
    auto form = std::make_unique<Form>("TfrmUiShortLived");
    auto label = std::make_unique<Label>();
    label->Create(*form, 0, 0, 10, 10, "x");
    HWND labelWindow = label->Handle();
    label.reset();
    EXPECT_FALSE(IsWindow(labelWindow));
    Button survivor;
    survivor.Create(*form, 0, 0, 10, 10, "y");
    HWND survivorWindow = survivor.Handle();
    form.reset();  // takes the button's window with it
    EXPECT_FALSE(IsWindow(survivorWindow));
    EXPECT_EQ(survivor.Handle(), nullptr);
    survivor.SetCaption("z");  // harmless on a control without a window
    EXPECT_EQ(survivor.Caption(), "");
}

}  // namespace
