// Start-up as the user meets it: one instance only, the background window, and the first page of
// the wizard (title page, fatal-error page or uninstall page) with the pre-checks' messages.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "scenario.h"

namespace {

using wiz::Lines;

// The caption shows the version as major.minor-and-release(Build:build): 1.3.2.890 reads
// 1.32(Build:0890).
std::string VersionCaption() {
    int major = 0, minor = 0, release = 0, build = 0;
    std::sscanf(SETUP_E2E_PROJECT_VERSION, "%d.%d.%d.%d", &major, &minor, &release, &build);
    const int minorRelease = std::atoi((std::to_string(minor) + std::to_string(release)).c_str());
    char text[64];
    std::snprintf(text, sizeof text, "%d.%02d(Build:%04d)", major, minorRelease, build);
    return std::string("Orvant Setup Nova Version") + text;
}
const std::string kVersionCaption = VersionCaption();
const char kSetupTitle[] = "起動検査 セットアップ";
const char kProgram[] = "起動検査アプリ 2.5";

class Startup : public wiz::Scenario {
protected:
    // A plain script: titles, banner, and a proposed folder of the scenario's own; "extend" holds
    // further lines of the [Extend] section (a second section of the same name would not be read).
    std::string BasicScript(const std::string& folder, const std::string& extend = {}) {
        return Lines({"[Title]", std::string("Setup=") + kSetupTitle, "UnSetup=起動検査 アンインストール",
                      std::string("Program=") + kProgram, "CopyRight1=Copyright (C) 2026 Orvant Test Works",
                      "CopyRight2=起動検査パッケージ 第二版", "[Extend]", "SetupSpeed=1"}) +
               extend + Lines({"[DefaultFolder]", "Folder=" + folder});
    }

    // The design state of the options page's controls, which the fatal-error page leaves alone.
    void ExpectOptionsInDesignState() {
        EXPECT_SOON_EQ(TextOf(IDC_TXT_FOLDER), "");
        EXPECT_SOON(Control(IDC_TXT_FOLDER), Enabled, false);
        EXPECT_SOON(Control(IDC_BTN_REFER), Enabled, false);
        EXPECT_SOON_EQ(TextOf(IDC_GRP_OPTION), "インストールオプション");
        EXPECT_SOON(Control(IDC_CHK_OVERWRITE), Checked, true);
        EXPECT_SOON(Control(IDC_CHK_OVERWRITE), Enabled, false);
        for (int id : {IDC_CHK_SCUT_DESKTOP, IDC_CHK_SCUT_STARTMENU, IDC_CHK_SCUT_STARTUP, IDC_CHK_SCUT_SENDTO}) {
            EXPECT_SOON(Control(id), Checked, false) << id;
            EXPECT_SOON(Control(id), Enabled, false) << id;
        }
    }

    void ExpectFatalPage(const std::string& lines) {
        e2e::Window message = Control(IDC_LBL_MESSAGE);
        ASSERT_TRUE(message.WaitText(lines + "\r\n" + "処理は続行できません。"));
        // The page is shown right after its message is set.
        EXPECT_TRUE(Control(IDC_GRP_MESSAGE).WaitVisible());
        EXPECT_TRUE(Control(IDC_GRP_SETUP_FOLDER).WaitVisible());
        EXPECT_TRUE(Control(IDC_GRP_OPTION).WaitVisible());
        EXPECT_TRUE(Control(IDC_BTN_END).WaitEnabled());
        EXPECT_SOON(Control(IDC_FRA_TITLE), Visible, false);
        EXPECT_SOON(Control(IDC_FRA_README), Visible, false);
        EXPECT_SOON_EQ(TextOf(IDC_BTN_EVENT), "処理開始(&S)");
        EXPECT_SOON(Control(IDC_BTN_EVENT), Enabled, false);
        EXPECT_SOON_EQ(TextOf(IDC_BTN_END), "終了(&E)");
        EXPECT_SOON(Control(IDC_BTN_END), Enabled, true);
        EXPECT_SOON(wizard_, Text, "Orvant Setup Nova");
        ExpectOptionsInDesignState();
    }
};

}  // namespace

TEST_F(Startup, SecondInstanceQuitsSilentlyWhileTheFirstRuns) {
    std::string folder = Scratch("startup-second-app");
    ASSERT_FALSE(Distribution("startup-second", BasicScript(folder)).empty());
    int workFoldersBefore = wiz::CountWorkFolders();
    ASSERT_TRUE(StartWizard(kSetupTitle));
    ASSERT_TRUE(Control(IDC_BTN_EVENT).WaitText("インストール続行(&C)"));
    EXPECT_EQ(wiz::CountWorkFolders(), workFoldersBefore + 1);

    // In either mode the second start leaves at once, without a window and without a work folder.
    for (const std::string& parameter : {std::string(), folder + "UNSETUP.INI"}) {
        e2e::TargetProcess second;
        ASSERT_TRUE(second.Start(dist_ + "SETUP.EXE", parameter));
        std::string seen;
        EXPECT_TRUE(e2e::PollUntil(
            [&] {
                if (seen.empty() && !second.TopWindows(true).empty()) seen = second.DescribeWindows();
                return !second.Running();
            },
            10000))
            << "the second instance still runs";
        EXPECT_TRUE(seen.empty()) << "the second instance showed windows:" << seen;
        EXPECT_EQ(second.ExitCode(), static_cast<DWORD>(kExitAlreadyRunning));
    }
    EXPECT_EQ(wiz::CountWorkFolders(), workFoldersBefore + 1);

    // The first one is untouched and still works.
    EXPECT_SOON(wizard_, Visible, true);
    EXPECT_SOON(Control(IDC_FRA_TITLE), Visible, true);
    EndWithConfirmation();
    EXPECT_EQ(wiz::CountWorkFolders(), 0);
}

// A close of the background window (as the task manager's "End task" sends it) goes through the
// wizard's close rules: asked, kept on No; on Yes the program ends with its clean-up. The temporary folder here
// is a drive root (the build tree's empty drive Q:), where the work folder lies directly.
TEST_F(Startup, ClosingTheBackgroundAsksAndCleansUpAlsoWithTempAtARoot) {
    ASSERT_FALSE(Distribution("startup-backclose", BasicScript(Scratch("startup-backclose-app"))).empty());
    const std::string work = "Q:\\OVTMP1\\";
    folders_.push_back(work);  // removed at the end also when the scenario fails
    ASSERT_FALSE(wiz::FolderExists(work));
    {
        e2e::ScopedEnvironment temp("TEMP", "Q:\\"), tmp("TMP", "Q:\\");
        ASSERT_TRUE(StartWizard(kSetupTitle));
    }
    ASSERT_TRUE(Control(IDC_BTN_EVENT).WaitText("インストール続行(&C)"));
    EXPECT_SOON_EQ(wiz::FolderExists(work), true);
    e2e::Window back = setup_.WaitWindow("TfrmBack", kVersionCaption);
    ASSERT_TRUE(back);

    ASSERT_TRUE(back.PostClose());
    e2e::MsgBox box = setup_.WaitMessageBox();
    ASSERT_TRUE(box);
    EXPECT_TRUE(e2e::SameText(box.Title(), "終了確認"));
    ASSERT_TRUE(box.Answer(IDNO));
    EXPECT_TRUE(setup_.ExpectNoMessageBox(500));
    EXPECT_SOON(wizard_, Visible, true);
    EXPECT_SOON(back, Visible, true);

    ASSERT_TRUE(back.PostClose());
    box = setup_.WaitMessageBox();
    ASSERT_TRUE(box);
    ASSERT_TRUE(box.Answer(IDYES));
    ASSERT_TRUE(setup_.WaitForExit());
    EXPECT_EQ(setup_.ExitCode(), static_cast<DWORD>(kExitStopped));
    EXPECT_FALSE(wiz::FolderExists(work)) << "the work folder at the drive root goes";
    EXPECT_TRUE(wiz::FolderExists("Q:\\")) << "the root itself stays";
}

TEST_F(Startup, BackgroundShowsVersionTitlesBannerAndGradient) {
    ASSERT_FALSE(Distribution("startup-back", BasicScript(Scratch("startup-back-app"))).empty());
    ASSERT_TRUE(StartWizard(kSetupTitle));
    e2e::Window back = setup_.WaitWindow("TfrmBack", kVersionCaption);
    ASSERT_TRUE(back);
    EXPECT_SOON_EQ(IsZoomed(back.Handle()) != FALSE, true);
    EXPECT_SOON(back, Enabled, false) << "the background cannot be activated while the work goes on";

    // Title and its shadow: the mode's title, 2 pixels apart, as wide as the window less 24 (pixels
    // at 96 dpi, scaled to the screen).
    RECT outer = back.ScreenRect();
    const int outerWidth = outer.right - outer.left, outerHeight = outer.bottom - outer.top;
    e2e::Window title = back.ControlById(IDC_BACK_LBL_BACK_TITLE1);
    e2e::Window titleShadow = back.ControlById(IDC_BACK_LBL_BACK_TITLE2);
    ASSERT_TRUE(title.WaitText(kSetupTitle));
    EXPECT_SOON(titleShadow, Text, kSetupTitle);
    EXPECT_SOON(title, Visible, true);
    EXPECT_SOON(titleShadow, Visible, true);
    // The background places its labels after it has been maximised: wait for the final layout.
    EXPECT_SOON_EQ(wiz::RectInParent(title).right - wiz::RectInParent(title).left, outerWidth - e2e::Scaled(24));
    EXPECT_SOON_EQ(wiz::RectInParent(titleShadow).right - wiz::RectInParent(titleShadow).left,
                   outerWidth - e2e::Scaled(24));
    RECT t1 = wiz::RectInParent(title), t2 = wiz::RectInParent(titleShadow);
    EXPECT_EQ(t1.left, e2e::Scaled(16));
    EXPECT_EQ(t1.top, e2e::Scaled(16));
    EXPECT_EQ(t2.left, t1.left + e2e::Scaled(2));
    EXPECT_EQ(t2.top, t1.top + e2e::Scaled(2));

    // Banner and its shadow: the two copyright lines, bottom right, 24 and 48 pixels inside.
    const std::string banner = "Copyright (C) 2026 Orvant Test Works\r\n起動検査パッケージ 第二版";
    e2e::Window prg = back.ControlById(IDC_BACK_LBL_PRG_TITLE1);
    e2e::Window prgShadow = back.ControlById(IDC_BACK_LBL_PRG_TITLE2);
    EXPECT_TRUE(prg.WaitText(banner));
    EXPECT_SOON(prgShadow, Text, banner);
    EXPECT_SOON(prg, Visible, true);
    EXPECT_SOON(prgShadow, Visible, true);
    EXPECT_SOON_EQ(wiz::RectInParent(prg).right, outerWidth - e2e::Scaled(24));
    EXPECT_SOON_EQ(wiz::RectInParent(prg).bottom, outerHeight - e2e::Scaled(48));
    EXPECT_SOON_EQ(wiz::RectInParent(prgShadow).left, wiz::RectInParent(prg).left + e2e::Scaled(2));
    EXPECT_SOON_EQ(wiz::RectInParent(prgShadow).top, wiz::RectInParent(prg).top + e2e::Scaled(2));
    e2e::Screenshot("background");

    // The gradient: 129 colour steps from blue to black in bands of round(height / 129) pixels,
    // the rest filled black. A column at the left edge is covered by nothing.
    e2e::Image client;
    ASSERT_TRUE(e2e::CaptureSettledClient(back.Handle(), client));
    const int height = client.height;
    ASSERT_GT(height, 300);
    const int steps = 129;
    int band = static_cast<int>(std::nearbyint(static_cast<double>(height) / steps));
    if (band == 0) band = 1;
    auto pixel = [&](int x, int y) {
        const size_t at = (static_cast<size_t>(y) * client.width + x) * 3;
        return RGB(client.rgb[at], client.rgb[at + 1], client.rgb[at + 2]);
    };
    auto expected = [&](int y) {
        int i = y / band;
        if (i > steps) return RGB(0, 0, 0);
        return RGB(0, 0, 255 + static_cast<int>(std::nearbyint(-255.0 / steps * i)));
    };
    // Wine 10's virtual desktop shows a maximised window from the corner of its frame instead of
    // letting the frame hang over the screen's edges: the last rows of the client area, as many as
    // the frame hangs over, are then off the screen. Only the rows on the screen are compared.
    const int shown = height - std::max(0, -static_cast<int>(outer.top));
    EXPECT_EQ(pixel(4, 0), RGB(0, 0, 255)) << "top of the background";
    int wrong = 0;
    std::string first;
    for (int x : {2, 4, 6}) {
        for (int y = 0; y < shown; ++y) {
            if (pixel(x, y) == expected(y)) continue;
            if (wrong++ == 0)
                first = "(" + std::to_string(x) + "," + std::to_string(y) + ") is blue " +
                        std::to_string(GetBValue(pixel(x, y))) + ", expected " + std::to_string(GetBValue(expected(y)));
        }
    }
    EXPECT_EQ(wrong, 0) << "pixels off the gradient, first " << first;
    EndWithConfirmation();
}

TEST_F(Startup, BannerDefaultsToTheToolsOwnLines) {
    // Neither copyright line: the tool's own two lines.
    ASSERT_FALSE(Distribution("startup-banner", Lines({"[Title]", std::string("Setup=") + kSetupTitle})).empty());
    ASSERT_TRUE(StartWizard(kSetupTitle));
    e2e::Window back = setup_.WaitWindow("TfrmBack", kVersionCaption);
    ASSERT_TRUE(back);
    e2e::Window prg = back.ControlById(IDC_BACK_LBL_PRG_TITLE1);
    ASSERT_TRUE(prg.WaitVisible());
    const std::string head = "Orvant Setup Nova\r\n";
    ASSERT_SOON_EQ(prg.Text().substr(0, head.size()), head);
    std::string text = prg.Text();
    EXPECT_GT(text.size(), head.size()) << "a second line of the tool's own";
    EXPECT_SOON(back.ControlById(IDC_BACK_LBL_PRG_TITLE2), Text, text);
    EndWithConfirmation();

    // Only the second line: an empty first line.
    ASSERT_TRUE(wiz::WriteText(dist_ + "SETUP.INI",
                               Lines({"[Title]", std::string("Setup=") + kSetupTitle, "CopyRight2=二行目だけ"})));
    ASSERT_TRUE(StartWizard(kSetupTitle));
    back = setup_.WaitWindow("TfrmBack", kVersionCaption);
    ASSERT_TRUE(back);
    EXPECT_TRUE(back.ControlById(IDC_BACK_LBL_PRG_TITLE1).WaitText("\r\n二行目だけ"));
    EndWithConfirmation();
}

TEST_F(Startup, TitlePageGreetsWithTheProgramsName) {
    std::string folder = Scratch("startup-title-app");
    ASSERT_FALSE(Distribution("startup-title", BasicScript(folder)).empty());
    ASSERT_TRUE(StartWizard(kSetupTitle));
    e2e::Window event = Control(IDC_BTN_EVENT);
    ASSERT_TRUE(event.WaitText("インストール続行(&C)"));
    EXPECT_SOON(event, Enabled, true);
    EXPECT_SOON_EQ(TextOf(IDC_BTN_END), "インストール終了(&E)");
    EXPECT_SOON(Control(IDC_BTN_END), Enabled, true);
    EXPECT_SOON_EQ(wiz::FocusedControl(wizard_), event.Handle()) << "the event button has the focus";

    EXPECT_SOON(Control(IDC_FRA_TITLE), Visible, true);
    for (int id : {IDC_FRA_README, IDC_GRP_MESSAGE, IDC_GRP_SETUP_FOLDER, IDC_GRP_OPTION, IDC_FRA_SELECT_TYPE})
        EXPECT_SOON(Control(id), Visible, false) << id;
    EXPECT_SOON_EQ(TextOf(IDC_LBL_TITLE_A1), "汎用インストーラ");
    EXPECT_SOON_EQ(TextOf(IDC_LBL_TITLE_A2), "Orvant Setup Nova(on " + wiz::ExpectedOsName() + ")");
    EXPECT_SOON_EQ(TextOf(IDC_LBL_TITLE_MESSAGE), wiz::TitleText(kProgram, "インストール"));
    EXPECT_SOON(Control(IDC_IMG_TITLE1), Visible, true);

    // Start-up has filled the options page already; it is shown later.
    EXPECT_SOON_EQ(TextOf(IDC_TXT_FOLDER), folder);
    EXPECT_SOON_EQ(TextOf(IDC_LBL_MESSAGE), "インストールを行います。\r\n");
    EXPECT_SOON_EQ(TextOf(IDC_GRP_OPTION), "インストールオプション");
    e2e::Screenshot("title-page");
    EndWithConfirmation();
}

TEST_F(Startup, TitlePageUsesTheScriptsWordForTheOperation) {
    ASSERT_FALSE(Distribution("startup-word", BasicScript(Scratch("startup-word-app"),
                                                          Lines({"SetupString=セットアップ", "UnSetupString=削除"})))
                     .empty());
    ASSERT_TRUE(StartWizard(kSetupTitle));
    ASSERT_TRUE(Control(IDC_BTN_EVENT).WaitText("セットアップ続行(&C)"));
    EXPECT_SOON_EQ(TextOf(IDC_BTN_END), "セットアップ終了(&E)");
    EXPECT_SOON_EQ(TextOf(IDC_LBL_TITLE_MESSAGE), wiz::TitleText(kProgram, "セットアップ"));
    EXPECT_SOON_EQ(TextOf(IDC_GRP_OPTION), "セットアップオプション");
    EXPECT_SOON_EQ(TextOf(IDC_LBL_MESSAGE), "セットアップを行います。\r\n");

    ASSERT_TRUE(Control(IDC_BTN_END).Click());
    e2e::MsgBox box = setup_.WaitMessageBox();
    ASSERT_TRUE(box);
    EXPECT_TRUE(e2e::SameText(box.Title(), "終了確認"));
    EXPECT_TRUE(e2e::SameText(box.Text(), "セットアップ/削除は終了していません。\r\n終了してもよろしいですか？"));
    ASSERT_TRUE(box.Answer(IDYES));
    ASSERT_TRUE(setup_.WaitForExit());
}

TEST_F(Startup, WithoutScriptTheFatalErrorPageOnlyLetsTheUserLeave) {
    ASSERT_FALSE(Distribution("startup-fatal", "").empty());
    ASSERT_TRUE(StartWizard("Orvant Setup Nova"));
    ASSERT_NO_FATAL_FAILURE(ExpectFatalPage("【致命的エラー → iniファイル読み込み失敗】\r\n"));
    // Titles and banner stay as designed.
    e2e::Window back = setup_.WaitWindow("TfrmBack", kVersionCaption);
    ASSERT_TRUE(back);
    EXPECT_SOON(back.ControlById(IDC_BACK_LBL_BACK_TITLE1), Text, "");
    EXPECT_SOON(back.ControlById(IDC_BACK_LBL_PRG_TITLE1), Visible, false);
    EXPECT_SOON_EQ(wiz::FocusedControl(wizard_), Control(IDC_BTN_END).Handle());
    e2e::Screenshot("fatal-error-page");

    // The end button leaves at once, and the work folder goes with the program.
    ASSERT_TRUE(Control(IDC_BTN_END).Click());
    ASSERT_TRUE(setup_.WaitForExit());
    EXPECT_EQ(setup_.ExitCode(), static_cast<DWORD>(kExitFailed));
    EXPECT_EQ(wiz::CountWorkFolders(), 0);
}

TEST_F(Startup, MissingUninstallLogGivesTheFatalErrorPage) {
    std::string folder = Scratch("startup-nolog-app");
    ASSERT_FALSE(Distribution("startup-nolog", BasicScript(folder)).empty());
    ASSERT_TRUE(StartWizard("Orvant Setup Nova", folder + "UNSETUP.INI"));
    ASSERT_NO_FATAL_FAILURE(ExpectFatalPage("【致命的エラー → iniファイル読み込み失敗】\r\n"));
    ASSERT_TRUE(Control(IDC_BTN_END).Click());
    ASSERT_TRUE(setup_.WaitForExit());
}

TEST_F(Startup, OnlyTheUpperCaseLogNameSelectsUninstallMode) {
    std::string folder = Scratch("startup-case-app");
    ASSERT_FALSE(Distribution("startup-case", BasicScript(folder)).empty());
    ASSERT_TRUE(wiz::WriteText(folder + "unsetup.ini", Lines({"[Title]", "UnSetup=小文字の記録"})));
    ASSERT_TRUE(StartWizard(kSetupTitle, folder + "unsetup.ini"));
    ASSERT_TRUE(Control(IDC_BTN_EVENT).WaitText("インストール続行(&C)"));
    EXPECT_SOON(Control(IDC_FRA_TITLE), Visible, true);
    EndWithConfirmation();
}

TEST_F(Startup, UninstallLogShowsTheUninstallPage) {
    std::string folder = Scratch("startup-uninstall-app");
    ASSERT_FALSE(Distribution("startup-uninstall", BasicScript(folder)).empty());
    ASSERT_TRUE(wiz::WriteText(folder + "UNSETUP.INI",
                               Lines({"[Information]", "Message1=Orvant Setup Nova UnSetup(UnInstall) Initialize File",
                                      "[Title]", "UnSetup=起動検査 アンインストール", "[SetupFolder]",
                                      "Folder=" + folder.substr(0, folder.size() - 1), "[DeleteFile]",
                                      "File1=" + folder + "UNSETUP.INI", "[UnSetupOption]", "CheckBox=1,0,1,0",
                                      "[Extend]", "SetupString=インストール", "UnSetupString=アンインストール"})));
    ASSERT_TRUE(StartWizard("起動検査 アンインストール", folder + "UNSETUP.INI"));
    e2e::Window event = Control(IDC_BTN_EVENT);
    ASSERT_TRUE(event.WaitText("アンインストール開始(&S)"));
    EXPECT_SOON(event, Enabled, true);
    EXPECT_SOON_EQ(TextOf(IDC_BTN_END), "アンインストール終了(&E)");
    EXPECT_SOON(Control(IDC_BTN_END), Enabled, true);

    // Only the options page, in its uninstall layout.
    EXPECT_SOON(Control(IDC_GRP_MESSAGE), Visible, true);
    EXPECT_SOON(Control(IDC_GRP_SETUP_FOLDER), Visible, true);
    EXPECT_SOON(Control(IDC_GRP_OPTION), Visible, true);
    EXPECT_SOON(Control(IDC_FRA_TITLE), Visible, false);
    EXPECT_SOON(Control(IDC_FRA_README), Visible, false);
    EXPECT_SOON_EQ(TextOf(IDC_LBL_MESSAGE), "アンインストールを行います。\r\n\r\n開始するには、「アンインストール開始(S)」を選択してください。\r\n");
    EXPECT_SOON_EQ(TextOf(IDC_GRP_SETUP_FOLDER), "アンインストールフォルダ");
    e2e::Window txtFolder = Control(IDC_TXT_FOLDER);
    EXPECT_SOON(txtFolder, Text, folder) << "the recorded folder with a trailing backslash";
    EXPECT_SOON(txtFolder, Enabled, true);
    EXPECT_SOON_EQ(GetWindowLongPtrW(txtFolder.Handle(), GWL_STYLE) & ES_READONLY, ES_READONLY) << "shown, not changeable";
    EXPECT_SOON(Control(IDC_BTN_REFER), Enabled, false);
    EXPECT_SOON_EQ(TextOf(IDC_GRP_OPTION), "アンインストールオプション");
    EXPECT_SOON(Control(IDC_CHK_OVERWRITE), Visible, false);

    e2e::Window frame = Control(IDC_FRA_SHORTCUT);
    EXPECT_SOON(frame, Text, "ファイルの追加削除");
    EXPECT_SOON_EQ(wiz::RectInParent(frame).top, e2e::Scaled(16)) << "moved up to where the overwrite box was";
    auto heightOf = [](const e2e::Window& control) {
        RECT rect = wiz::RectInParent(control);
        return rect.bottom - rect.top;
    };
    EXPECT_SOON_EQ(heightOf(frame), heightOf(Control(IDC_GRP_OPTION)) - e2e::Scaled(24))
        << "24 pixels (at 96 dpi) less than the options frame";
    struct Box {
        int id;
        const char* caption;
        bool checked, enabled;
    };
    for (const Box& box : {Box{IDC_CHK_SCUT_DESKTOP, "*.INIファイル", true, true},
                           Box{IDC_CHK_SCUT_STARTMENU, "*.GIDファイル", false, true},
                           Box{IDC_CHK_SCUT_STARTUP, "", true, false}, Box{IDC_CHK_SCUT_SENDTO, "", false, false}}) {
        e2e::Window check = Control(box.id);
        EXPECT_SOON(check, Text, box.caption) << box.id;
        EXPECT_SOON(check, Checked, box.checked) << box.id;
        EXPECT_SOON(check, Enabled, box.enabled) << box.id;
        EXPECT_SOON(check, Visible, true) << box.id;
    }
    e2e::Window info = Control(IDC_LBL_UNSETUP_INFO);
    EXPECT_SOON(info, Visible, true);
    EXPECT_SOON(info, Text, "　アンインストールフォルダの中で、コピーされたファイル以外に追加削除するファイルをチェック(選択)してください。");
    EXPECT_SOON_EQ(wiz::RectInParent(info).top, wiz::RectInParent(Control(IDC_CHK_SCUT_DESKTOP)).bottom + e2e::Scaled(2));

    // Titles follow the log.
    e2e::Window back = setup_.WaitWindow("TfrmBack", kVersionCaption);
    ASSERT_TRUE(back);
    EXPECT_SOON(back.ControlById(IDC_BACK_LBL_BACK_TITLE1), Text, "起動検査 アンインストール");
    e2e::Screenshot("uninstall-page");

    // Leaving asks, and nothing is removed.
    ASSERT_TRUE(Control(IDC_BTN_END).Click());
    e2e::MsgBox box = setup_.WaitMessageBox();
    ASSERT_TRUE(box);
    EXPECT_TRUE(e2e::SameText(box.Title(), "終了確認"));
    EXPECT_TRUE(e2e::SameText(box.Text(), "インストール/アンインストールは終了していません。\r\n終了してもよろしいですか？"));
    ASSERT_TRUE(box.Answer(IDYES));
    ASSERT_TRUE(setup_.WaitForExit());
    EXPECT_TRUE(wiz::FileExists(folder + "UNSETUP.INI"));
}

TEST_F(Startup, UninstallPageWithDeleteAllOffersOneBox) {
    std::string folder = Scratch("startup-deleteall-app");
    ASSERT_FALSE(Distribution("startup-deleteall", BasicScript(folder)).empty());
    ASSERT_TRUE(wiz::WriteText(folder + "UNSETUP.INI",
                               Lines({"[Title]", "UnSetup=全削除 アンインストール", "[SetupFolder]", "Folder=" + folder,
                                      "[UnSetupOption]", "CheckBox=DeleteAll", "[Extend]", "SetupString=導入",
                                      "UnSetupString=削除"})));
    ASSERT_TRUE(StartWizard("全削除 アンインストール", folder + "UNSETUP.INI"));
    ASSERT_TRUE(Control(IDC_BTN_EVENT).WaitText("削除開始(&S)"));
    EXPECT_SOON_EQ(TextOf(IDC_BTN_END), "削除終了(&E)");
    EXPECT_SOON_EQ(TextOf(IDC_GRP_SETUP_FOLDER), "削除フォルダ");
    EXPECT_SOON_EQ(TextOf(IDC_GRP_OPTION), "削除オプション");
    e2e::Window all = Control(IDC_CHK_SCUT_DESKTOP);
    EXPECT_SOON(all, Text, "削除フォルダ以下の全ファイル・フォルダ");
    EXPECT_SOON(all, Checked, true);
    EXPECT_SOON(all, Enabled, true);
    auto widthOf = [](const e2e::Window& control) {
        RECT rect = wiz::RectInParent(control);
        return rect.right - rect.left;
    };
    EXPECT_SOON_EQ(widthOf(all), widthOf(Control(IDC_FRA_SHORTCUT)) - e2e::Scaled(16));
    for (int id : {IDC_CHK_SCUT_STARTMENU, IDC_CHK_SCUT_STARTUP, IDC_CHK_SCUT_SENDTO}) {
        EXPECT_SOON(Control(id), Visible, false) << id;
        EXPECT_SOON(Control(id), Checked, false) << id;
    }
    e2e::Screenshot("uninstall-page-delete-all");
    ASSERT_TRUE(Control(IDC_BTN_END).Click());
    e2e::MsgBox box = setup_.WaitMessageBox();
    ASSERT_TRUE(box);
    EXPECT_TRUE(e2e::SameText(box.Text(), "導入/削除は終了していません。\r\n終了してもよろしいですか？"));
    ASSERT_TRUE(box.Answer(IDYES));
    ASSERT_TRUE(setup_.WaitForExit());
}
