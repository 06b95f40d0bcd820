// The form layer as the program relies on it: window classes, enabled state, modal display
// with its close query, the message pump, activation, keyboard and the system menu.
#include <gtest/gtest.h>

#include <stdexcept>

#include "ui/application.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui_test_util.h"

namespace {

class TestForm : public Form {
public:
    explicit TestForm(const char* className = "TfrmUiTest") : Form(className) {
        SetClientSize(320, 200);
        SetCenteredOnScreen();
    }
    int activations = 0;
    int resizes = 0;
    int closeQueries = 0;
    int closes = 0;
    bool allowClose = true;
    bool throwInCloseQuery = false;
    std::function<void()> onActivate;

protected:
    void FormActivate() override {
        ++activations;
        if (onActivate) onActivate();
    }
    void FormResize() override { ++resizes; }
    void FormCloseQuery(bool& canClose) override {
        ++closeQueries;
        if (throwInCloseQuery) throw std::runtime_error("close query failed");
        canClose = allowClose;
    }
    void FormClose() override { ++closes; }
};

class FormTest : public ::testing::Test {
protected:
    void SetUp() override {
        app_.SetTitle("Orvant Setup Nova");
        app_.OnException = [this](const std::exception& e) { errors_.push_back(e.what()); };
    }
    Application app_;
    std::vector<std::string> errors_;
};

std::string ClassOf(HWND hwnd) {
    char name[256] = {};
    GetClassNameA(hwnd, name, sizeof(name));
    return name;
}

TEST_F(FormTest, EachFormClassHasItsOwnWindowClass) {
    TestForm a("TfrmMain");
    TestForm b("TfrmStatus");
    ASSERT_NE(a.Handle(), nullptr);
    EXPECT_EQ(ClassOf(a.Handle()), "TfrmMain");
    EXPECT_EQ(ClassOf(b.Handle()), "TfrmStatus");
    EXPECT_EQ(a.ClassName(), "TfrmMain");
    EXPECT_EQ(Form::FromHandle(a.Handle()), &a);
    // A driver finds the windows by class name.
    a.Show();
    EXPECT_EQ(FindWindowA("TfrmMain", nullptr), a.Handle());
}

TEST_F(FormTest, PropertiesAreTheWindowsOwn) {
    TestForm form;
    form.AfterConstruction();
    EXPECT_FALSE(form.Visible());
    EXPECT_EQ(form.ClientWidth(), 320);
    EXPECT_EQ(form.ClientHeight(), 200);
    form.SetCaption("ファイル削除の確認");
    EXPECT_EQ(ShownText(form.Handle()), "ファイル削除の確認");
    EXPECT_EQ(form.Caption(), "ファイル削除の確認");

    // Enabled is the real window state both ways: the program uses it as a flag.
    EXPECT_TRUE(form.Enabled());
    form.SetEnabled(false);
    EXPECT_FALSE(IsWindowEnabled(form.Handle()));
    EnableWindow(form.Handle(), TRUE);
    EXPECT_TRUE(form.Enabled());

    // Centred on the screen.
    int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    EXPECT_NEAR(form.Left() + form.Width() / 2, screenWidth / 2, 1);

    // The default font of every form.
    EXPECT_EQ(form.GetFont().Name, "ＭＳ Ｐゴシック");
    EXPECT_EQ(form.GetFont().Height, -12);
    EXPECT_EQ(form.GetFont().Charset, SHIFTJIS_CHARSET);
}

TEST_F(FormTest, BorderStyles) {
    TestForm single;
    single.SetBorderStyle(BorderStyle::Single, true);
    single.SetClientSize(492, 298);
    LONG_PTR style = GetWindowLongPtrA(single.Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_FALSE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_EQ(single.ClientWidth(), 492);
    EXPECT_EQ(single.ClientHeight(), 298);

    TestForm dialog;
    dialog.SetBorderStyle(BorderStyle::Dialog, false);
    dialog.SetClientSize(426, 121);
    style = GetWindowLongPtrA(dialog.Handle(), GWL_STYLE);
    EXPECT_FALSE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_DLGFRAME);
    EXPECT_TRUE(GetWindowLongPtrA(dialog.Handle(), GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
    EXPECT_EQ(dialog.ClientWidth(), 426);
    EXPECT_EQ(dialog.ClientHeight(), 121);
}

TEST(DisplayScale, DesignPixelsBecomeScreenPixelsRoundedHalvesAwayFromZero) {
    for (int value : {0, 1, 2, 8, 12, 16, 24, 25, 32, 217, 492, -12, -19}) EXPECT_EQ(ScalePixels(value, 96), value);
    // 125 %: 2.5 -> 3, 30.0 -> 30, 31.25 -> 31, -15.0, -23.75 -> -24.
    EXPECT_EQ(ScalePixels(2, 120), 3);
    EXPECT_EQ(ScalePixels(24, 120), 30);
    EXPECT_EQ(ScalePixels(25, 120), 31);
    EXPECT_EQ(ScalePixels(-12, 120), -15);
    EXPECT_EQ(ScalePixels(-19, 120), -24);
    // 150 %: 1.5 -> 2, 25.5 -> 26, -28.5 -> -29, -24.0.
    EXPECT_EQ(ScalePixels(1, 144), 2);
    EXPECT_EQ(ScalePixels(17, 144), 26);
    EXPECT_EQ(ScalePixels(-19, 144), -29);
    EXPECT_EQ(ScalePixels(-16, 144), -24);
    // The same rule as MulDiv, the system's own.
    for (int dpi : {120, 144, 168, 192})
        for (int value = -40; value <= 40; ++value) EXPECT_EQ(ScalePixels(value, dpi), MulDiv(value, dpi, 96)) << value << " at " << dpi;
}

TEST_F(FormTest, FirstShowBringsOneResize) {
    TestForm form;
    form.AfterConstruction();
    EXPECT_EQ(form.resizes, 0);  // the sizes set while building do not count
    form.Show();
    EXPECT_EQ(form.resizes, 1);
    EXPECT_TRUE(form.Visible());
    form.SetClientSize(300, 150);
    EXPECT_EQ(form.resizes, 2);
    form.Hide();
    form.Show();
    EXPECT_EQ(form.resizes, 2);
}

TEST_F(FormTest, ShowModalEndsOnModalResultAfterTheCloseQuery) {
    TestForm form;
    form.AfterConstruction();
    bool visibleWhileModal = false, modalFlag = false;
    int resultAfterRefusal = -1;
    ScriptedSteps steps({
        [&] {
            visibleWhileModal = form.Visible();
            modalFlag = form.IsModal();
            form.allowClose = false;
            form.SetModalResult(mrOk);  // refused: the loop goes on
        },
        [&] {
            resultAfterRefusal = form.ModalResult();
            form.allowClose = true;
            form.SetModalResult(7);
        },
    });
    int result = form.ShowModal();
    EXPECT_EQ(result, 7);
    EXPECT_TRUE(visibleWhileModal);
    EXPECT_TRUE(modalFlag);
    EXPECT_EQ(resultAfterRefusal, mrNone);
    EXPECT_EQ(form.closeQueries, 2);
    EXPECT_EQ(form.closes, 1);
    EXPECT_GE(form.activations, 1);
    EXPECT_FALSE(form.Visible());
    EXPECT_FALSE(form.IsModal());
    EXPECT_FALSE(steps.TimedOut());
}

TEST_F(FormTest, CloseOfAModalFormIsCancel) {
    TestForm form;
    ScriptedSteps steps({[&] { form.Close(); }});
    EXPECT_EQ(form.ShowModal(), mrCancel);
    EXPECT_EQ(form.closeQueries, 1);
    EXPECT_EQ(form.closes, 1);
}

TEST_F(FormTest, FailingCloseQueryRefusesAndIsReported) {
    TestForm form;
    ScriptedSteps steps({
        [&] {
            form.throwInCloseQuery = true;
            form.SetModalResult(mrOk);
        },
        [&] {
            form.throwInCloseQuery = false;
            form.SetModalResult(mrOk);
        },
    });
    EXPECT_EQ(form.ShowModal(), mrOk);
    EXPECT_EQ(form.closeQueries, 2);
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0], "close query failed");
}

TEST_F(FormTest, ShowModalDisablesTheOtherWindowsAndEnablesExactlyThoseAgain) {
    TestForm other("TfrmOther");
    TestForm alreadyDisabled("TfrmOther");
    TestForm hidden("TfrmOther");
    TestForm dialog;
    other.Show();
    alreadyDisabled.Show();
    alreadyDisabled.SetEnabled(false);
    bool otherDuring = true, disabledDuring = true, hiddenDuring = false, dialogDuring = false;
    ScriptedSteps steps({[&] {
        otherDuring = other.Enabled();
        disabledDuring = alreadyDisabled.Enabled();
        hiddenDuring = hidden.Enabled();
        dialogDuring = dialog.Enabled();
        dialog.SetModalResult(mrOk);
    }});
    EXPECT_EQ(dialog.ShowModal(), mrOk);
    EXPECT_FALSE(otherDuring);
    EXPECT_FALSE(disabledDuring);
    EXPECT_TRUE(hiddenDuring);
    EXPECT_TRUE(dialogDuring);
    EXPECT_TRUE(other.Enabled());
    EXPECT_FALSE(alreadyDisabled.Enabled());  // it was disabled before: it stays so
    EXPECT_TRUE(hidden.Enabled());
}

TEST_F(FormTest, NestedModalForms) {
    TestForm outer("TfrmMain");
    TestForm inner("TfrmCustomDlg");
    outer.AfterConstruction();
    inner.AfterConstruction();
    int innerResult = -1;
    bool outerEnabledDuringInner = true;
    ScriptedSteps steps({
        [&] { innerResult = inner.ShowModal(); },  // runs the following steps inside
        [&] {
            outerEnabledDuringInner = outer.Enabled();
            inner.SetModalResult(6);
        },
        [&] { outer.SetModalResult(mrOk); },
    });
    EXPECT_EQ(outer.ShowModal(), mrOk);
    EXPECT_EQ(innerResult, 6);
    EXPECT_FALSE(outerEnabledDuringInner);
}

TEST_F(FormTest, QuitDuringAModalLoopEndsItAndIsRemembered) {
    TestForm form;
    ScriptedSteps steps({[&] { PostQuitMessage(3); }});
    EXPECT_EQ(form.ShowModal(), mrCancel);
    EXPECT_TRUE(Application::Terminated());
    EXPECT_EQ(Application::ExitCode(), 3);
    EXPECT_EQ(form.closeQueries, 0);
}

TEST_F(FormTest, ProcessMessagesRemembersQuitAndIsReentrant) {
    TestForm form;
    Button button;
    button.Create(form, 10, 10, 80, 25, "OK");
    form.Show();
    int clicks = 0, depth = 0, maxDepth = 0;
    button.OnClick = [&] {
        ++clicks;
        ++depth;
        maxDepth = std::max(maxDepth, depth);
        ProcessMessages();  // handles the second click inside the first
        --depth;
    };
    PostMessageA(button.Handle(), BM_CLICK, 0, 0);
    PostMessageA(button.Handle(), BM_CLICK, 0, 0);
    ProcessMessages();
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(maxDepth, 2);

    EXPECT_FALSE(Application::Terminated());
    PostQuitMessage(5);
    ProcessMessages();
    EXPECT_TRUE(Application::Terminated());
    EXPECT_EQ(Application::ExitCode(), 5);
}

TEST_F(FormTest, RunShowsTheMainFormAndEndsWhenItCloses) {
    TestForm main("TfrmBack");
    app_.SetMainForm(&main);
    main.AfterConstruction();
    bool shown = false;
    main.onActivate = [&] {
        shown = main.Visible();
        main.Close();  // the main form's close ends the application
    };
    ScriptedSteps guard({});
    app_.Run();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(Application::Terminated());
    EXPECT_FALSE(guard.TimedOut());
    EXPECT_EQ(main.closes, 1);
}

TEST_F(FormTest, ActivateRunsOnEveryActivationButNeverInsideItself) {
    TestForm a("TfrmMain");
    TestForm b("TfrmStatus");
    a.AfterConstruction();
    b.AfterConstruction();
    int nestedSeen = -1;
    a.onActivate = [&] {
        if (a.activations != 1) return;
        // Activation changes while the handler runs do not call it again inside.
        SetActiveWindow(b.Handle());
        SetActiveWindow(a.Handle());
        PumpFor(100);
        nestedSeen = a.activations;
    };
    b.Show();
    PumpFor(50);
    a.Show();
    ASSERT_TRUE(PumpUntil([&] { return a.activations >= 1 && nestedSeen != -1; }));
    EXPECT_EQ(nestedSeen, 1);
    int before = a.activations;
    SetActiveWindow(b.Handle());
    PumpFor(50);
    SetActiveWindow(a.Handle());
    ASSERT_TRUE(PumpUntil([&] { return a.activations == before + 1; }));
    EXPECT_GE(b.activations, 1);
}

TEST_F(FormTest, SystemCloseDisabled) {
    TestForm form;
    form.DisableSystemClose();
    form.Show();
    HMENU menu = GetSystemMenu(form.Handle(), FALSE);
    ASSERT_NE(menu, nullptr);
    UINT state = GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND);
    EXPECT_TRUE(state & MF_GRAYED);
    EXPECT_TRUE(state & MF_DISABLED);
    // The close box, Alt+F4 and the menu all arrive as SC_CLOSE.
    SendMessageA(form.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    PumpFor(50);
    EXPECT_TRUE(form.Visible());
    EXPECT_EQ(form.closeQueries, 0);

    // Without it the same command closes the form.
    TestForm normal;
    normal.Show();
    SendMessageA(normal.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    PumpFor(50);
    EXPECT_FALSE(normal.Visible());
    EXPECT_EQ(normal.closes, 1);
}

TEST_F(FormTest, SystemCloseDisabledKeepsAModalFormOpen) {
    TestForm form;
    form.DisableSystemClose();
    bool stillModal = false;
    ScriptedSteps steps({
        [&] { PostMessageA(form.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); },
        [&] {
            stillModal = form.IsModal() && form.ModalResult() == mrNone;
            form.SetModalResult(mrOk);
        },
    });
    EXPECT_EQ(form.ShowModal(), mrOk);
    EXPECT_TRUE(stillModal);
}

// A four-button question without a default or cancel button, like the delete confirmation.
class QuestionForm : public Form {
public:
    QuestionForm() : Form("TfrmCustomDlg") {
        SetBorderStyle(BorderStyle::Dialog, false);
        SetClientSize(426, 121);
        const char* captions[] = {"はい(&Y)", "いいえ(&N)", "すべて削除(&D)", "すべて保存(&A)"};
        for (int i = 0; i < 4; ++i) {
            buttons[i].Create(*this, 8 + 104 * i, 88, 97, 25, captions[i]);
            buttons[i].OnClick = [this, i] {
                pressed = i;
                SetModalResult(mrOk);
            };
        }
    }
    Button buttons[4];
    int pressed = -1;
};

TEST_F(FormTest, EscapeDoesNotCloseADialogWithoutCancelButton) {
    QuestionForm form;
    bool openAfterEscape = false;
    ScriptedSteps steps({
        [&] { form.buttons[1].SetFocus(); },
        [&] { PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0x00010001); },
        [&] { PostMessageA(form.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); },  // Alt+F4: no close box
        [&] {
            openAfterEscape = form.Visible() && form.ModalResult() == mrNone && form.pressed == -1;
            PostMessageA(form.buttons[3].Handle(), BM_CLICK, 0, 0);
        },
    });
    EXPECT_EQ(form.ShowModal(), mrOk);
    EXPECT_TRUE(openAfterEscape);
    EXPECT_EQ(form.pressed, 3);
}

TEST_F(FormTest, EscapeClicksTheCancelButtonAndEnterTheDefaultOrFocusedOne) {
    QuestionForm form;
    form.SetCancelButton(&form.buttons[1]);
    form.SetDefaultButton(&form.buttons[0]);
    CheckBox check;
    check.Create(form, 8, 8, 200, 17, "check");
    ScriptedSteps steps({
        [&] { form.buttons[2].SetFocus(); },
        [&] { PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0x00010001); },
    });
    EXPECT_EQ(form.ShowModal(), mrOk);
    EXPECT_EQ(form.pressed, 1);

    form.pressed = -1;
    ScriptedSteps enterOnButton({
        [&] { form.buttons[2].SetFocus(); },
        [&] { PostMessageA(GetFocus(), WM_KEYDOWN, VK_RETURN, 0x001C0001); },
    });
    EXPECT_EQ(form.ShowModal(), mrOk);
    EXPECT_EQ(form.pressed, 2);  // the focused button

    form.pressed = -1;
    ScriptedSteps enterOnCheckBox({
        [&] { check.SetFocus(); },
        [&] { PostMessageA(GetFocus(), WM_KEYDOWN, VK_RETURN, 0x001C0001); },
    });
    EXPECT_EQ(form.ShowModal(), mrOk);
    EXPECT_EQ(form.pressed, 0);  // the default button
}

TEST_F(FormTest, ExceptionsInHandlersGoToTheErrorHook) {
    TestForm form;
    Button button;
    button.Create(form, 10, 10, 80, 25, "Go");
    button.OnClick = [] { throw std::runtime_error("エラーです"); };
    form.Show();
    SendMessageA(button.Handle(), BM_CLICK, 0, 0);
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0], "エラーです");
    EXPECT_TRUE(IsWindow(form.Handle()));
}

BOOL CALLBACK FindIcon(HWND child, LPARAM data) {
    if (_stricmp(ClassOf(child).c_str(), "Static") == 0 &&
        (GetWindowLongPtrA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && IsWindowVisible(child)) {
        *reinterpret_cast<HICON*>(data) = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
        return FALSE;
    }
    return TRUE;
}

HICON ShownIcon(HWND box) {
    HICON icon = nullptr;
    EnumChildWindows(box, FindIcon, reinterpret_cast<LPARAM>(&icon));
    return icon;
}

// The standard error box: the error text, titled with the application title, error icon.
TEST_F(FormTest, StandardErrorBox) {
    app_.OnException = nullptr;
    std::string boxText, boxTitle;
    HICON boxIcon = nullptr;
    ScriptedSteps steps({[&] {
        HWND box = FindThreadWindow("#32770");
        if (!box) return false;
        boxTitle = ShownText(box);
        HWND text = GetDlgItem(box, 0xFFFF);
        if (text) boxText = ShownText(text);
        boxIcon = ShownIcon(box);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        return true;
    }});
    app_.HandleException(std::runtime_error("レジストリに書き込めません。"));
    EXPECT_EQ(boxTitle, "Orvant Setup Nova");
    EXPECT_EQ(boxText, "レジストリに書き込めません。");
    EXPECT_EQ(boxIcon, LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_HAND)));
    EXPECT_FALSE(steps.TimedOut());
}

}  // namespace
