// The driver against a small window program of its own: starting it, finding its windows and
// controls, reading Japanese texts and states, typing, clicking, answering its question, the
// time-outs and their messages, killing on destruction, and screenshots.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>

#include "driver/e2e_driver.h"
#include "edge/wide.h"
#include "selftest/png_reader.h"

namespace {

// Control ids of the demo program.
enum DemoId {
    kPrompt = 101,
    kName = 102,
    kConfirmed = 103,
    kAsk = 104,
    kClose = 105,
    kEcho = 106,
    kProgress = 107,
    kParameter = 108,
    kFolder = 109,
    kAnswer = 110,
    kLater = 111,
    kHidden = 112,
};

std::string DemoPath() {
    const char* path = std::getenv("SETUP_E2E_DEMO");
    return path ? e2e::WindowsPath(path) : std::string();
}

struct Captured {
    std::vector<std::string> messages;
    std::vector<std::string> files;
    bool Contains(const std::string& part) const {
        for (const std::string& message : messages)
            if (message.find(part) != std::string::npos) return true;
        return false;
    }
};

// Runs an action with the gtest failures it reports captured instead of counted.
template <class Action>
Captured CaptureFailures(Action&& action) {
    ::testing::TestPartResultArray results;
    {
        ::testing::ScopedFakeTestPartResultReporter reporter(
            ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &results);
        action();
    }
    Captured captured;
    for (int i = 0; i < results.size(); ++i) {
        captured.messages.push_back(results.GetTestPartResult(i).message());
        const char* file = results.GetTestPartResult(i).file_name();
        captured.files.push_back(file ? file : "");
    }
    return captured;
}

class DemoTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(DemoPath().empty()) << "SETUP_E2E_DEMO is not set";
        folder_ = e2e::ScratchFolder("demo");
        ASSERT_TRUE(demo_.Start(DemoPath(), "引数 あり", folder_));
        window_ = demo_.WaitWindow("TDemoMain", "デモ画面");
        ASSERT_TRUE(window_);
    }
    void TearDown() override {
        demo_.Kill();
        e2e::RemoveFolder(folder_);
    }
    // Ticks the box and asks: the question is on screen afterwards.
    e2e::MsgBox Ask() {
        window_.ControlById(kConfirmed).SetChecked(true);
        window_.ControlById(kAsk).Click();
        return demo_.WaitMessageBox();
    }

    std::string folder_;
    e2e::TargetProcess demo_;
    e2e::Window window_;
};

TEST_F(DemoTest, FindsWindowsAndControlsAndReadsTheirJapaneseTexts) {
    EXPECT_EQ(demo_.FindTopWindow("TDemoMain").Handle(), window_.Handle());
    EXPECT_EQ(demo_.FindTopWindow("", "デモ画面").Handle(), window_.Handle());
    EXPECT_FALSE(demo_.FindTopWindow("TDemoMain", "別の画面"));
    EXPECT_SOON(window_, Text, "デモ画面");

    e2e::Window prompt = window_.ControlById(kPrompt);
    ASSERT_TRUE(prompt);
    EXPECT_EQ(prompt.ClassName(), "Static");
    EXPECT_SOON(prompt, Text, "お名前を入力してください：");
    EXPECT_EQ(window_.Control("Static", "お名前を入力してください：").Handle(), prompt.Handle());
    EXPECT_EQ(window_.Control("Button", "閉じる(&C)").Id(), kClose);
    // Buttons in creation order: check box, question, close, later.
    EXPECT_EQ(window_.ControlByIndex("Button", 0).Id(), kConfirmed);
    EXPECT_EQ(window_.ControlByIndex("Button", 2).Id(), kClose);
    EXPECT_EQ(window_.ControlByIndex("Edit", 0).Id(), kName);
    EXPECT_FALSE(window_.FindControlByIndex("Button", 4));
    EXPECT_FALSE(window_.FindControlById(999));

    // The parameter arrived whole although it holds a blank; the working folder is the one given.
    EXPECT_SOON(window_.ControlById(kParameter), Text, "引数：引数 あり");
    std::string folder = folder_.substr(0, folder_.size() - 1);
    EXPECT_SOON(window_.ControlById(kFolder), Text, "作業フォルダ：" + folder);

    EXPECT_SOON(prompt, Visible, true);
    EXPECT_SOON(window_.ControlById(kHidden), Visible, false);
    EXPECT_SOON(window_.ControlById(kHidden), Text, "隠しラベル");
    EXPECT_SOON(window_.ControlById(kClose), Enabled, true);
    EXPECT_SOON(window_.ControlById(kAsk), Enabled, false);
    EXPECT_SOON(window_.ControlById(kConfirmed), Checked, false);
    EXPECT_SOON(window_.ControlById(kProgress), ProgressPos, 0);
    EXPECT_EQ(window_.ControlById(kProgress).ClassName(), "msctls_progress32");
    EXPECT_EQ(window_.ControlById(kClose).TopLevel().Handle(), window_.Handle());
}

TEST_F(DemoTest, TypedTextReachesTheProgramsChangeHandler) {
    e2e::Window name = window_.ControlById(kName);
    ASSERT_TRUE(name.Type("山田 太郎"));
    // Read back from the edit field of the other process, not its stored caption.
    EXPECT_SOON(name, Text, "山田 太郎");
    EXPECT_TRUE(window_.ControlById(kEcho).WaitText("入力：山田 太郎"));
    EXPECT_TRUE(window_.ControlById(kProgress).WaitProgress(50));
    ASSERT_TRUE(name.Type(""));
    EXPECT_TRUE(window_.ControlById(kEcho).WaitText("入力："));
    EXPECT_TRUE(window_.ControlById(kProgress).WaitProgress(0));
}

TEST_F(DemoTest, CheckBoxClicksToggleAndEnableTheQuestionButton) {
    e2e::Window box = window_.ControlById(kConfirmed);
    e2e::Window ask = window_.ControlById(kAsk);
    ASSERT_TRUE(box.Click());
    EXPECT_TRUE(box.WaitChecked(true));
    EXPECT_TRUE(ask.WaitEnabled());
    ASSERT_TRUE(box.Click());
    EXPECT_TRUE(box.WaitChecked(false));
    EXPECT_TRUE(ask.WaitEnabled(false));
    EXPECT_TRUE(box.SetChecked(true));
    EXPECT_TRUE(box.SetChecked(true));
    EXPECT_TRUE(box.Checked());
    EXPECT_TRUE(ask.WaitEnabled());
}

TEST_F(DemoTest, QuestionIsReadAndAnsweredAndTheExitCodeTellsTheAnswer) {
    e2e::MsgBox box = Ask();
    ASSERT_TRUE(box);
    EXPECT_TRUE(e2e::SameText(box.Title(), "保存の確認"));
    EXPECT_TRUE(e2e::SameText(box.Text(), "変更を保存しますか？\r\n「いいえ」を選ぶと保存しません。"));
    std::vector<e2e::BoxButton> buttons = box.Buttons();
    ASSERT_EQ(buttons.size(), 2u);
    EXPECT_EQ(buttons[0].id, IDYES);
    EXPECT_TRUE(e2e::SameText(buttons[0].caption, "はい(&Y)"));
    EXPECT_EQ(buttons[1].id, IDNO);
    EXPECT_TRUE(e2e::SameText(buttons[1].caption, "いいえ(&N)"));
    // The box is modal: its owner is disabled until it is answered.
    EXPECT_SOON(window_, Enabled, false);
    e2e::Screenshot("question");
    ASSERT_TRUE(box.Answer(IDNO));
    EXPECT_TRUE(window_.ControlById(kAnswer).WaitText("回答：いいえ"));
    EXPECT_TRUE(window_.WaitEnabled());

    box = Ask();
    ASSERT_TRUE(box);
    ASSERT_TRUE(box.Answer(IDYES));
    EXPECT_TRUE(window_.ControlById(kAnswer).WaitText("回答：はい"));
    ASSERT_TRUE(window_.ControlById(kClose).Click());
    ASSERT_TRUE(demo_.WaitForExit());
    EXPECT_EQ(demo_.ExitCode(), static_cast<DWORD>(IDYES));
}

TEST_F(DemoTest, KeysAndTheCloseCommandReachTheProgram) {
    ASSERT_TRUE(window_.PressKey(VK_ESCAPE));
    ASSERT_TRUE(demo_.WaitForExit());
    EXPECT_EQ(demo_.ExitCode(), static_cast<DWORD>(IDCANCEL));

    ASSERT_TRUE(demo_.Start(DemoPath()));
    e2e::Window second = demo_.WaitWindow("TDemoMain");
    ASSERT_TRUE(second);
    // Started without a parameter, from its own folder.
    EXPECT_SOON(second.ControlById(kParameter), Text, "引数：");
    std::string programFolder = e2e::FolderOf(DemoPath());
    EXPECT_SOON(second.ControlById(kFolder), Text, "作業フォルダ：" + programFolder.substr(0, programFolder.size() - 1));
    ASSERT_TRUE(second.SystemClose());
    ASSERT_TRUE(demo_.WaitForExit());
    EXPECT_EQ(demo_.ExitCode(), 0u);

    // A whole command line as an uninstall entry holds it.
    std::string commandLine = "\"";
    commandLine += DemoPath();
    commandLine += "\" \"C:\\Program Files\\製品\\UNSETUP.INI\"";
    ASSERT_TRUE(demo_.StartCommandLine(commandLine, folder_));
    e2e::Window third = demo_.WaitWindow("TDemoMain");
    ASSERT_TRUE(third);
    EXPECT_SOON(third.ControlById(kParameter), Text, "引数：C:\\Program Files\\製品\\UNSETUP.INI");
    ASSERT_TRUE(third.PressAltF4());
    ASSERT_TRUE(demo_.WaitForExit());
    EXPECT_EQ(demo_.ExitCode(), 0u);
}

TEST_F(DemoTest, WindowsThatComeAndGoAreAwaited) {
    ASSERT_TRUE(window_.ControlById(kLater).Click());
    e2e::Window later = demo_.WaitWindow("TDemoLater", "後から開いた画面");
    ASSERT_TRUE(later);
    EXPECT_SOON(later.ControlByIndex("Static", 0), Text, "しばらくすると閉じます。");
    EXPECT_TRUE(later.WaitGone());
    EXPECT_TRUE(demo_.WaitNoWindow("TDemoLater"));
    EXPECT_TRUE(demo_.Running());
}

TEST_F(DemoTest, TimeOutsFailAtTheTestLineAndSayWhatWasSeen) {
    DWORD start = GetTickCount();
    e2e::Window missing;
    Captured failures = CaptureFailures([&] { missing = demo_.WaitWindow("TNoSuchWindow", "", 300); });
    EXPECT_GE(GetTickCount() - start, 300u);
    EXPECT_FALSE(missing);
    ASSERT_EQ(failures.messages.size(), 1u);
    EXPECT_TRUE(failures.Contains("TNoSuchWindow")) << failures.messages[0];
    EXPECT_TRUE(failures.Contains("TDemoMain \"デモ画面\"")) << failures.messages[0];
    EXPECT_NE(failures.files[0].find("driver_test.cpp"), std::string::npos) << failures.files[0];

    failures = CaptureFailures([&] { window_.ControlById(kEcho).WaitText("入力：誰か", 200); });
    ASSERT_EQ(failures.messages.size(), 1u);
    EXPECT_TRUE(failures.Contains("last seen: \"入力：\"")) << failures.messages[0];

    failures = CaptureFailures([&] { window_.ControlById(999, 100); });
    ASSERT_EQ(failures.messages.size(), 1u);
    EXPECT_TRUE(failures.Contains("id 999")) << failures.messages[0];
    EXPECT_TRUE(failures.Contains("\"閉じる(&C)\"")) << failures.messages[0];

    // A user cannot press a disabled button.
    failures = CaptureFailures([&] { window_.ControlById(kAsk).Click(200); });
    ASSERT_EQ(failures.messages.size(), 1u);
    EXPECT_TRUE(failures.Contains("enabled no")) << failures.messages[0];

    failures = CaptureFailures([&] { demo_.WaitMessageBox(200); });
    EXPECT_EQ(failures.messages.size(), 1u);
    failures = CaptureFailures([&] { demo_.WaitForExit(200); });
    ASSERT_EQ(failures.messages.size(), 1u);
    EXPECT_TRUE(failures.Contains("still runs")) << failures.messages[0];

    // Actions on a window that was never found fail instead of crashing.
    failures = CaptureFailures([&] { missing.Click(100); });
    EXPECT_EQ(failures.messages.size(), 1u);
}

// The assertions that wait: a value that comes only after the first look passes; one that never
// comes fails with what was seen last.
TEST(SoonTest, WaitsForALaterValueAndReportsTheLastOneSeen) {
    const DWORD start = GetTickCount();
    auto state = [&] { return std::string(GetTickCount() - start >= 300 ? "ready" : "busy"); };
    EXPECT_SOON_EQ(state(), "ready");
    EXPECT_GE(GetTickCount() - start, 300u);

    Captured failures = CaptureFailures([] { EXPECT_TRUE(e2e::Soon([] { return std::string("busy"); }, "ready", "state()", 200)); });
    ASSERT_EQ(failures.messages.size(), 1u);
    EXPECT_TRUE(failures.Contains("state() is \"busy\", expected \"ready\" (waited 200 ms)")) << failures.messages[0];

    failures = CaptureFailures([] { EXPECT_TRUE(e2e::SoonTrue([] { return e2e::Contains("abc", "x"); }, "check", 100)); });
    ASSERT_EQ(failures.messages.size(), 1u);
    EXPECT_TRUE(failures.Contains("check did not hold within 100 ms: \"x\" is not in \"abc\"")) << failures.messages[0];
}

TEST_F(DemoTest, AnUnexpectedMessageBoxIsReportedWithItsText) {
    EXPECT_TRUE(demo_.ExpectNoMessageBox(300));
    e2e::MsgBox box;
    Captured failures = CaptureFailures([&] {
        window_.ControlById(kConfirmed).SetChecked(true);
        window_.ControlById(kAsk).Click();
        demo_.ExpectNoMessageBox(e2e::kWait);
    });
    ASSERT_EQ(failures.messages.size(), 1u);
    EXPECT_TRUE(failures.Contains("\"保存の確認\"")) << failures.messages[0];
    box = demo_.FindMessageBox();
    ASSERT_TRUE(box);
    // A button the box does not have is a failure, not a click elsewhere.
    failures = CaptureFailures([&] { box.Answer(IDOK, 200); });
    ASSERT_EQ(failures.messages.size(), 1u);
    EXPECT_TRUE(failures.Contains("\"いいえ(&N)\"")) << failures.messages[0];
    EXPECT_TRUE(box.Answer(IDNO));
}

TEST_F(DemoTest, ScreenshotIsAPngOfTheWholeScreenShowingTheWindow) {
    ASSERT_TRUE(window_.ControlById(kName).Type("スクリーンショット"));
    ASSERT_TRUE(window_.ControlById(kEcho).WaitText("入力：スクリーンショット"));
    std::string path = e2e::Screenshot("demo-window");
    ASSERT_FALSE(path.empty());
    EXPECT_NE(path.find("DemoTest.ScreenshotIsAPngOfTheWholeScreenShowingTheWindow-demo-window.png"),
              std::string::npos)
        << path;
    e2e::Image image;
    std::string error;
    ASSERT_TRUE(ReadPngWithSystemCodec(path, image, error)) << error;
    EXPECT_EQ(image.width, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(image.height, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(image.width, 1024);
    EXPECT_EQ(image.height, 768);

    // The window's face colour shows inside its client area, right of the buttons and labels.
    RECT client{};
    GetClientRect(window_.Handle(), &client);
    POINT inside{client.right - 4, client.bottom - 4};
    ClientToScreen(window_.Handle(), &inside);
    const std::uint8_t* pixel = &image.rgb[(static_cast<size_t>(inside.y) * image.width + inside.x) * 3];
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    EXPECT_EQ(pixel[0], GetRValue(face));
    EXPECT_EQ(pixel[1], GetGValue(face));
    EXPECT_EQ(pixel[2], GetBValue(face));
}

TEST(TargetProcessTest, KillsTheProgramWhenTheTestIsDone) {
    HANDLE watched = nullptr;
    {
        e2e::TargetProcess demo;
        ASSERT_TRUE(demo.Start(DemoPath()));
        ASSERT_TRUE(demo.WaitWindow("TDemoMain"));
        watched = OpenProcess(SYNCHRONIZE, FALSE, demo.Id());
        ASSERT_NE(watched, nullptr);
        EXPECT_TRUE(demo.Running());
    }
    EXPECT_EQ(WaitForSingleObject(watched, 0), WAIT_OBJECT_0);
    CloseHandle(watched);
}

TEST(EnvironmentTest, DistributionsHoldTheBuildsProgramAndTheExample) {
    std::string program = e2e::SetupExePath();
    ASSERT_FALSE(program.empty());
    std::string folder = e2e::MakeDistribution("distribution");
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '\\');
    HANDLE copy =
        CreateFileW(Wide(folder + "SETUP.EXE").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(copy, INVALID_HANDLE_VALUE);
    LARGE_INTEGER copySize{};
    GetFileSizeEx(copy, &copySize);
    CloseHandle(copy);
    WIN32_FILE_ATTRIBUTE_DATA original{};
    ASSERT_TRUE(GetFileAttributesExW(Wide(program).c_str(), GetFileExInfoStandard, &original));
    EXPECT_EQ(static_cast<DWORD>(copySize.QuadPart), original.nFileSizeLow);

    Captured failures = CaptureFailures([] { e2e::MakeDistribution("distribution", "no-such-example"); });
    ASSERT_EQ(failures.messages.size(), 1u);
    EXPECT_TRUE(failures.Contains("no-such-example")) << failures.messages[0];
    e2e::RemoveFolder(folder);
}

TEST(EnvironmentTest, LinuxPathsBecomeDriveZPaths) {
    EXPECT_EQ(e2e::WindowsPath("/work/build/SETUP.EXE"), "Z:\\work\\build\\SETUP.EXE");
    EXPECT_EQ(e2e::WindowsPath("C:\\x\\y"), "C:\\x\\y");
    EXPECT_EQ(e2e::FolderOf("C:\\製品\\表\\SETUP.EXE"), "C:\\製品\\表\\");
    EXPECT_EQ(e2e::FolderOf("SETUP.EXE"), "");
}

TEST(TargetProcessTest, AProgramThatCannotStartIsAFailure) {
    e2e::TargetProcess missing;
    Captured failures = CaptureFailures([&] { missing.Start("C:\\no\\such\\program.exe"); });
    ASSERT_EQ(failures.messages.size(), 1u);
    EXPECT_TRUE(failures.Contains("could not be started")) << failures.messages[0];
    EXPECT_FALSE(missing.Running());
}

}  // namespace
