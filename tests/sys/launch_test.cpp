// Starting programs and the restart request.
#include "sys/launch.h"

#include <gtest/gtest.h>

#include "core/state.h"
#include "edge/fileops.h"
#include "support/test_env.h"
#include "sys/error_text.h"
#include "sys/win_reboot.h"
#include "sys_helpers.h"

namespace {

class LaunchTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        folder_ = ScratchFolder("sys_launch");
        probe_ = folder_ + "Probe Folder\\PROBE.EXE";
        ASSERT_TRUE(ForceFolders(folder_ + "Probe Folder\\"));
        ASSERT_EQ(CopyFileOver(SysBinary("launch_probe.exe"), probe_), 0u);
        output_ = folder_ + "probe.txt";
        SetEnvironmentVariableA("ORVANT_PROBE_OUT", output_.c_str());
    }
    void TearDown() override {
        SetEnvironmentVariableA("ORVANT_PROBE_OUT", nullptr);
        RemoveTree(folder_);
    }
    // The probe's record, waiting for it when the program was not awaited.
    std::string ProbeOutput(DWORD timeoutMs = 0) {
        for (DWORD waited = 0; !FileExists(output_) && waited < timeoutMs; waited += 50) Sleep(50);
        Sleep(timeoutMs ? 100 : 0);  // let the probe finish writing
        return FileBytes(output_);
    }
    std::string folder_, probe_, output_;
};

TEST_F(LaunchTest, RunProgramGivesTheArgumentsAloneAsCommandLine) {
    MessageBoxRecorder boxes;
    EXPECT_EQ(RunProgram(probe_, "alpha \"b c\"", SW_SHOWMINIMIZED, true), 0u);
    // Awaited: the record is complete when the call returns.
    EXPECT_EQ(ProbeOutput(), "alpha \"b c\"\n2\n");
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(LaunchTest, RunProgramWithoutArgumentsPassesNoCommandLine) {
    EXPECT_EQ(RunProgram(probe_, "", SW_SHOWNORMAL, true), 0u);
    // Without a command line the system gives the program its own name, quoted, and nothing else.
    EXPECT_EQ(ProbeOutput(), "\"" + probe_ + "\"\n1\n");
}

TEST_F(LaunchTest, RunProgramWithoutWaitReturnsAtOnce) {
    EXPECT_EQ(RunProgram(probe_, "later", SW_SHOWNORMAL, false), 0u);
    EXPECT_EQ(ProbeOutput(10000), "later\n1\n");
}

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP) {
        auto* count = reinterpret_cast<int*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        ++*count;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(LaunchTest, RunProgramKeepsMessagesFlowingWhileItWaits) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = CountingProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "OrvantSysPumpTest";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowA("OrvantSysPumpTest", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    int count = 0;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&count));
    PostMessageA(window, WM_APP, 0, 0);
    EXPECT_EQ(RunProgram(probe_, "x", SW_SHOWNORMAL, true), 0u);
    EXPECT_EQ(count, 1);
    DestroyWindow(window);
}

TEST_F(LaunchTest, RunProgramOfAMissingProgramShowsTheSystemText) {
    MessageBoxRecorder boxes;
    std::string missing = folder_ + "CHECKER.EXE";
    EXPECT_EQ(RunProgram(missing, "", SW_SHOWMINIMIZED, true), 2u);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "プログラム実行失敗\r\n" + missing + " \r\n\r\n" + SystemErrorText(2));
    EXPECT_EQ(boxes.Boxes()[0].title, "警告");
    EXPECT_EQ(boxes.Boxes()[0].flags, 48u);

    boxes.Clear();
    EXPECT_EQ(RunProgram(missing, "/q", SW_SHOWNORMAL, false), 2u);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "プログラム実行失敗\r\n" + missing + " /q\r\n\r\n" + SystemErrorText(2));
}

TEST_F(LaunchTest, OpenProgramStartsThroughTheShell) {
    MessageBoxRecorder boxes;
    EXPECT_EQ(OpenProgram(probe_, "opened"), 0u);
    std::string output = ProbeOutput(10000);
    EXPECT_NE(output.find("opened"), std::string::npos) << output;
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(LaunchTest, OpenProgramOfADocumentWithoutAProgramShowsTheMessageAndStillReturnsZero) {
    std::string document = folder_ + "DATA.ORVNOASSOC";
    ASSERT_TRUE(MakeFile(document));
    MessageBoxRecorder boxes;
    EXPECT_EQ(OpenProgram(document, ""), 0u);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text,
              "プログラム実行失敗\r\n" + document + " \r\n\r\n" + SystemErrorText(SE_ERR_NOASSOC));
    EXPECT_EQ(boxes.Boxes()[0].title, "警告");
    EXPECT_EQ(boxes.Boxes()[0].flags, 48u);
}

// ---- Restart ----

bool ShutdownPrivilegeEnabled() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    LUID luid;
    bool enabled = false;
    if (LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &luid)) {
        DWORD size = 0;
        GetTokenInformation(token, TokenPrivileges, nullptr, 0, &size);
        std::vector<BYTE> buffer(size);
        if (GetTokenInformation(token, TokenPrivileges, buffer.data(), size, &size)) {
            auto* privileges = reinterpret_cast<TOKEN_PRIVILEGES*>(buffer.data());
            for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
                const LUID_AND_ATTRIBUTES& entry = privileges->Privileges[i];
                if (entry.Luid.LowPart == luid.LowPart && entry.Luid.HighPart == luid.HighPart)
                    enabled = (entry.Attributes & SE_PRIVILEGE_ENABLED) != 0;
            }
        }
    }
    CloseHandle(token);
    return enabled;
}

class RestartTest : public ::testing::Test {
protected:
    void TearDown() override { SetExitWindowsCall(nullptr); }
    struct Call {
        UINT flags;
        DWORD reason;
        bool privilegeEnabled;
    };
    std::vector<Call> calls_;
    void Answer(BOOL answer) {
        SetExitWindowsCall([this, answer](UINT flags, DWORD reason) {
            calls_.push_back({flags, reason, ShutdownPrivilegeEnabled()});
            return answer;
        });
    }
};

TEST_F(RestartTest, AsksWindowsWithThePrivilegeHeldOnlyDuringTheRequest) {
    Answer(TRUE);
    MessageBoxRecorder boxes;
    TWinReboot reboot;
    EXPECT_TRUE(reboot.RestartWindows(EWX_REBOOT));
    ASSERT_EQ(calls_.size(), 1u);
    EXPECT_EQ(calls_[0].flags, static_cast<UINT>(EWX_REBOOT));  // not forced
    EXPECT_EQ(calls_[0].reason, 0u);
    EXPECT_TRUE(calls_[0].privilegeEnabled);
    EXPECT_FALSE(ShutdownPrivilegeEnabled());
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(RestartTest, RefusedRequestIsFalseWithoutMessage) {
    Answer(FALSE);
    MessageBoxRecorder boxes;
    TWinReboot reboot;
    EXPECT_FALSE(reboot.RestartWindows(EWX_REBOOT));
    EXPECT_EQ(calls_.size(), 1u);
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_FALSE(ShutdownPrivilegeEnabled());
}

TEST_F(RestartTest, PrivilegeSwitchesOnAndOff) {
    TWinReboot reboot;
    EXPECT_TRUE(reboot.SetShutdownPrivilege("SeShutdownPrivilege", true));
    EXPECT_TRUE(ShutdownPrivilegeEnabled());
    EXPECT_TRUE(reboot.SetShutdownPrivilege("SeShutdownPrivilege", false));
    EXPECT_FALSE(ShutdownPrivilegeEnabled());
    EXPECT_FALSE(reboot.SetShutdownPrivilege("SeNoSuchPrivilege", true));
}

}  // namespace
