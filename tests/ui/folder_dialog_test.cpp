// The folder browser: its flags, and Execute answered by cancel and by a chosen folder.
#include <gtest/gtest.h>

#include <objbase.h>
#include <shlobj.h>

#include <algorithm>

#include "ui/application.h"
#include "ui/folder_dialog.h"
#include "ui/form.h"
#include "ui_test_util.h"

namespace {

TEST(FolderDialogFlagsTest, MapsEachOptionToItsShellFlag) {
    EXPECT_EQ(FolderDialogFlags({}), 0u);
    EXPECT_EQ(FolderDialogFlags({bifReturnOnlyFSDirs}), 0x1u);
    EXPECT_EQ(FolderDialogFlags({bifBrowseForComputer}), 0x1000u);
    EXPECT_EQ(FolderDialogFlags({bifBrowseForPrinter}), 0x2000u);
    EXPECT_EQ(FolderDialogFlags({bifDontGoBelowDomain}), 0x2u);
    EXPECT_EQ(FolderDialogFlags({bifReturnFSAncestors}), 0x8u);
    EXPECT_EQ(FolderDialogFlags({bifStatusText}), 0x4u);
    EXPECT_EQ(FolderDialogFlags({bifBrowseForComputer, bifBrowseForPrinter, bifDontGoBelowDomain,
                                 bifReturnFSAncestors, bifReturnOnlyFSDirs, bifStatusText}),
              0x300Fu);
    TFolderDialog dialog;
    EXPECT_EQ(dialog.Option(), TFolderDlgOptions{bifReturnOnlyFSDirs});
    EXPECT_EQ(dialog.Directory(), "");
}

class FolderDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        owner_ = std::make_unique<Form>("TfrmMain");
        owner_->SetClientSize(492, 298);
        owner_->Show();
    }
    void TearDown() override {
        owner_.reset();
        CoUninitialize();
    }
    // The browser of this thread, once it is on the screen.
    static HWND Browser() { return FindThreadWindow("#32770"); }

    Application app_;
    std::unique_ptr<Form> owner_;
};

TEST_F(FolderDialogTest, CancelKeepsTheDirectory) {
    TFolderDialog dialog(owner_.get());
    dialog.SetTitle("セットアップフォルダを選択してください．");
    HWND browserOwner = nullptr;
    std::vector<std::string> texts;
    ScriptedSteps steps({[&] {
        HWND browser = Browser();
        if (!browser) return false;
        browserOwner = GetWindow(browser, GW_OWNER);
        texts = ChildTexts(browser);
        PostMessageA(browser, WM_COMMAND, IDCANCEL, 0);
        return true;
    }});
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(dialog.Directory(), "");
    EXPECT_EQ(browserOwner, owner_->Handle());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "セットアップフォルダを選択してください．"),
              texts.end());
    EXPECT_FALSE(steps.TimedOut());
}

TEST_F(FolderDialogTest, ConfirmedFolderBecomesTheDirectory) {
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    TFolderDialog dialog(owner_.get());
    auto choose = [&](const std::string& path) {
        return std::vector<Step>{
            [path] {
                HWND browser = Browser();
                if (!browser) return false;
                SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(path.c_str()));
                return true;
            },
            [] {
                PostMessageA(Browser(), WM_COMMAND, IDOK, 0);
            },
        };
    };
    {
        ScriptedSteps steps(choose(windows));
        ASSERT_TRUE(dialog.Execute());
        EXPECT_EQ(_stricmp(dialog.Directory().c_str(), windows), 0) << dialog.Directory();
    }
    {
        // A drive root keeps its backslash.
        ScriptedSteps steps(choose("C:\\"));
        ASSERT_TRUE(dialog.Execute());
        EXPECT_EQ(dialog.Directory(), "C:\\");
    }
    {
        // Cancelling afterwards leaves the last confirmed folder.
        ScriptedSteps steps({[&] {
            HWND browser = Browser();
            if (!browser) return false;
            PostMessageA(browser, WM_COMMAND, IDCANCEL, 0);
            return true;
        }});
        EXPECT_FALSE(dialog.Execute());
        EXPECT_EQ(dialog.Directory(), "C:\\");
    }
}

}  // namespace
