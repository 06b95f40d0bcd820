// Walking through the wizard's pages as a user: title, agreement, readme, options, and the ways
// out (declining the agreement, the end button's question, the closed title bar).
#include <cstdlib>

#include "edge/wide.h"
#include "scenario.h"

namespace {

using wiz::Lines;

const char kTitle[] = "ページ検査 セットアップ";
const std::string kEula = "第1条　この契約は検査のためのものです。\r\n第2条　以上に同意する方のみお使いください。\r\n";
const std::string kReadme = "はじめに\r\nこれは検査用の説明書です。\r\n\r\n最後の行。\r\n";

class Pages : public wiz::Scenario {
protected:
    void SetUp() override { folder_ = Scratch("pages-app"); }

    // The script with further lines of its [EULA] and [Readme] sections.
    std::string Script(const std::string& eula = {}, const std::string& readme = {}) {
        return Lines({"[Title]", std::string("Setup=") + kTitle, "Program=ページ検査アプリ", "[Extend]",
                      "SetupSpeed=1", "[DefaultFolder]", "Folder=" + folder_, "[EULA]", "File=\\EULA.TXT"}) +
               eula +
               Lines({"[Readme]", "File=DOC\\README.TXT", "Title=はじめにお読みください"}) + readme +
               Lines({"[TopMessage]",
                      "Message1=一行目のお知らせ", "Message3=三行目のお知らせ", "[ShortCut]",
                      "Name1=(Sta)ページ検査\\ページ検査", "Make1=(App)PAGES.EXE"});
    }

    // A distribution with the agreement and the readme files beside the program.
    void MakeDistribution(const std::string& name, const std::string& script) {
        ASSERT_FALSE(Distribution(name, script).empty());
        ASSERT_TRUE(wiz::WriteText(dist_ + "EULA.TXT", kEula));
        ASSERT_TRUE(e2e::MakeFolders(dist_ + "DOC"));
        ASSERT_TRUE(wiz::WriteText(dist_ + "DOC\\README.TXT", kReadme));
    }

    // From the title page to the agreement page.
    void OpenAgreement() {
        ASSERT_TRUE(StartWizard(kTitle));
        ASSERT_TRUE(Press(IDC_BTN_EVENT, "インストール続行(&C)"));
        ASSERT_TRUE(Control(IDC_BTN_EVENT).WaitText("同意する(&A)", 10000));
        ASSERT_TRUE(Control(IDC_FRA_README).WaitVisible());
    }

    int ReadmeHeight() {
        RECT rect = wiz::RectInParent(Control(IDC_TXT_README));
        return rect.bottom - rect.top;
    }

    // The text's height as designed (top 16, 217 high at 96 dpi), its edges scaled to the screen.
    static int DesignReadmeHeight() { return e2e::Scaled(16 + 217) - e2e::Scaled(16); }

    std::string folder_;
};

// "インストールフォルダ(空き容量：1,234,567Byte)" → 1234567; -1 when the caption has another form.
long long FreeBytesOf(const std::string& caption) {
    const std::string head = "インストールフォルダ(空き容量：", tail = "Byte)";
    if (caption.compare(0, head.size(), head) != 0 || caption.size() < head.size() + tail.size() ||
        caption.compare(caption.size() - tail.size(), tail.size(), tail) != 0)
        return -1;
    std::string number = caption.substr(head.size(), caption.size() - head.size() - tail.size());
    // Groups of three digits separated by commas, the first group of one to three.
    size_t firstComma = number.find(',');
    size_t firstGroup = firstComma == std::string::npos ? number.size() : firstComma;
    if (firstGroup == 0 || firstGroup > 3) return -1;
    std::string digits;
    for (size_t i = 0; i < number.size(); ++i) {
        if (i >= firstGroup && (i - firstGroup) % 4 == 0) {
            if (number[i] != ',') return -1;
            continue;
        }
        if (number[i] < '0' || number[i] > '9') return -1;
        digits += number[i];
    }
    if (firstComma != std::string::npos && (number.size() - firstGroup) % 4 != 0) return -1;
    return std::atoll(digits.c_str());
}

long long DriveFreeBytes(const std::string& root) {
    ULARGE_INTEGER available{}, total{}, free{};
    if (!GetDiskFreeSpaceExW(Wide(root).c_str(), &available, &total, &free)) return -1;
    return static_cast<long long>(available.QuadPart);
}

// Free space changes while other programs work on the same disk: compare within 256 MB, exactly on
// a drive that nothing writes.
::testing::AssertionResult NearlyTheFreeSpaceOf(const std::string& caption, const std::string& root,
                                               long long tolerance = 256LL << 20) {
    long long shown = FreeBytesOf(caption), measured = DriveFreeBytes(root);
    if (shown < 0) return ::testing::AssertionFailure() << "not a free-space caption: " << caption;
    if (std::llabs(shown - measured) > tolerance)
        return ::testing::AssertionFailure() << caption << " is far from " << measured << " bytes free on " << root;
    return ::testing::AssertionSuccess();
}

}  // namespace

TEST_F(Pages, TitleAgreementReadmeOptions) {
    // The page shows the free space of the folder's drive: S:, which nothing else fills meanwhile.
    folder_ = "S:\\OrvantPages\\";
    ASSERT_NO_FATAL_FAILURE(MakeDistribution("pages-walk", Script()));
    // A work folder that an interrupted earlier run left behind goes too when the program ends.
    const std::string stale = wiz::TempFolder() + "OVTMP42\\";
    ASSERT_TRUE(e2e::MakeFolders(stale + "SUB"));
    ASSERT_TRUE(wiz::WriteBytes(stale + "SUB\\SETUP.INI", "[Title]\r\n"));
    ASSERT_TRUE(StartWizard(kTitle));
    ASSERT_TRUE(Control(IDC_BTN_EVENT).WaitText("インストール続行(&C)"));
    e2e::Screenshot("1-title");
    ASSERT_TRUE(Press(IDC_BTN_EVENT, "インストール続行(&C)"));

    // Agreement: the box must be ticked before the agree button works.
    e2e::Window event = Control(IDC_BTN_EVENT), end = Control(IDC_BTN_END), box = Control(IDC_CHK_EULA_READ);
    ASSERT_TRUE(event.WaitText("同意する(&A)", 10000));
    ASSERT_TRUE(Control(IDC_FRA_README).WaitVisible());
    EXPECT_SOON(Control(IDC_FRA_TITLE), Visible, false);
    EXPECT_SOON(Control(IDC_GRP_OPTION), Visible, false);
    EXPECT_SOON_EQ(TextOf(IDC_FRA_README), "使用許諾契約書");
    EXPECT_SOON_EQ(TextOf(IDC_TXT_README), kEula);
    EXPECT_SOON(event, Enabled, false);
    EXPECT_SOON(end, Text, "同意しない(&N)");
    EXPECT_SOON(end, Enabled, true);
    EXPECT_SOON(box, Visible, true);
    EXPECT_SOON(box, Checked, false);
    EXPECT_SOON(box, Text, "上記「使用許諾契約書」を確認のうえ、");
    EXPECT_SOON_EQ(ReadmeHeight(), DesignReadmeHeight() - e2e::Scaled(24)) << "the text makes room for the box";
    EXPECT_SOON_EQ(GetWindowLongPtrW(Control(IDC_TXT_README).Handle(), GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL), WS_VSCROLL);
    e2e::Screenshot("2-agreement");
    ASSERT_TRUE(box.SetChecked(true));
    EXPECT_TRUE(event.WaitEnabled(true));
    ASSERT_TRUE(box.SetChecked(false));
    EXPECT_TRUE(event.WaitEnabled(false));
    ASSERT_TRUE(box.SetChecked(true));
    EXPECT_TRUE(event.WaitEnabled(true));
    e2e::Screenshot("3-agreement-ticked");
    ASSERT_TRUE(Press(IDC_BTN_EVENT, "同意する(&A)"));

    // Readme, in the same frame, titled by the script.
    ASSERT_TRUE(event.WaitText("インストール続行(&C)"));
    ASSERT_TRUE(Control(IDC_FRA_README).WaitText("はじめにお読みください"));
    EXPECT_SOON_EQ(TextOf(IDC_TXT_README), kReadme);
    EXPECT_SOON(end, Text, "インストール終了(&E)");
    EXPECT_SOON(event, Enabled, true);
    EXPECT_SOON(end, Enabled, true);
    EXPECT_SOON(box, Visible, false);
    EXPECT_SOON_EQ(ReadmeHeight(), DesignReadmeHeight());
    e2e::Screenshot("4-readme");
    ASSERT_TRUE(Press(IDC_BTN_EVENT, "インストール続行(&C)"));

    // Options.
    ASSERT_TRUE(event.WaitText("インストール開始(&S)"));
    ASSERT_TRUE(Control(IDC_GRP_OPTION).WaitVisible());
    EXPECT_SOON(Control(IDC_GRP_MESSAGE), Visible, true);
    EXPECT_SOON(Control(IDC_GRP_SETUP_FOLDER), Visible, true);
    EXPECT_SOON(Control(IDC_FRA_README), Visible, false);
    EXPECT_SOON(Control(IDC_FRA_TITLE), Visible, false);
    EXPECT_SOON(end, Text, "インストール終了(&E)");
    EXPECT_SOON(event, Enabled, true);
    EXPECT_SOON_EQ(TextOf(IDC_LBL_MESSAGE), "一行目のお知らせ\r\n\r\n三行目のお知らせ\r\n\r\n\r\n");
    EXPECT_SOON_EQ(TextOf(IDC_TXT_FOLDER), folder_);
    EXPECT_SOON(Control(IDC_TXT_FOLDER), Enabled, true);
    EXPECT_SOON(Control(IDC_BTN_REFER), Enabled, true);
    EXPECT_SOON_EQ(TextOf(IDC_BTN_REFER), "参照(&R)");
    EXPECT_SOON_TRUE(NearlyTheFreeSpaceOf(TextOf(IDC_GRP_SETUP_FOLDER), folder_.substr(0, 3), 0));
    EXPECT_SOON_EQ(TextOf(IDC_GRP_OPTION), "インストールオプション");
    EXPECT_SOON(Control(IDC_CHK_OVERWRITE), Checked, true);
    EXPECT_SOON(Control(IDC_CHK_OVERWRITE), Enabled, true);
    EXPECT_SOON_EQ(TextOf(IDC_FRA_SHORTCUT), "ショートカットの作成");
    // Only the start menu is named by the script's shortcuts.
    EXPECT_SOON(Control(IDC_CHK_SCUT_STARTMENU), Checked, true);
    EXPECT_SOON(Control(IDC_CHK_SCUT_STARTMENU), Enabled, true);
    for (int id : {IDC_CHK_SCUT_DESKTOP, IDC_CHK_SCUT_STARTUP, IDC_CHK_SCUT_SENDTO}) {
        EXPECT_SOON(Control(id), Checked, false) << id;
        EXPECT_SOON(Control(id), Enabled, false) << id;
    }
    e2e::Screenshot("5-options");

    // The end button asks; No keeps the page, Yes ends the program and its work folder.
    ASSERT_TRUE(end.Click());
    e2e::MsgBox question = setup_.WaitMessageBox();
    ASSERT_TRUE(question);
    EXPECT_TRUE(e2e::SameText(question.Title(), "終了確認"));
    EXPECT_TRUE(e2e::SameText(question.Text(), "インストール/アンインストールは終了していません。\r\n終了してもよろしいですか？"));
    EXPECT_EQ(question.ButtonIds(), (std::vector<int>{IDYES, IDNO}));
    e2e::Screenshot("6-end-question");
    ASSERT_TRUE(question.Answer(IDNO));
    EXPECT_TRUE(setup_.ExpectNoMessageBox(300));
    EXPECT_SOON(wizard_, Visible, true);
    EXPECT_SOON(Control(IDC_GRP_OPTION), Visible, true);
    EXPECT_SOON(event, Text, "インストール開始(&S)");
    EXPECT_SOON(event, Enabled, true);
    EndWithConfirmation();
    EXPECT_EQ(wiz::CountWorkFolders(), 0) << "every work folder is removed at the end";
    EXPECT_FALSE(wiz::FolderExists(stale));
}

TEST_F(Pages, DecliningTheAgreementEndsWithoutAQuestion) {
    ASSERT_NO_FATAL_FAILURE(MakeDistribution("pages-decline", Script()));
    ASSERT_NO_FATAL_FAILURE(OpenAgreement());
    ASSERT_TRUE(Control(IDC_BTN_END).Click());
    // A question would keep the program running.
    ASSERT_TRUE(setup_.WaitForExit());
    EXPECT_EQ(setup_.ExitCode(), static_cast<DWORD>(kExitStopped));
    EXPECT_EQ(wiz::CountWorkFolders(), 0);
}

TEST_F(Pages, AgreementWithHiddenBoxCanBeAcceptedAtOnce) {
    // Both scroll bars on the agreement; an unknown value on the readme keeps them.
    ASSERT_NO_FATAL_FAILURE(MakeDistribution(
        "pages-hide", Script(Lines({"CheckBox=Hide", "ScrollBars=ssBoth"}), Lines({"ScrollBars=ssNone"}))));
    ASSERT_NO_FATAL_FAILURE(OpenAgreement());
    e2e::Window event = Control(IDC_BTN_EVENT), text = Control(IDC_TXT_README);
    EXPECT_SOON(event, Enabled, true);
    EXPECT_SOON(Control(IDC_CHK_EULA_READ), Visible, false);
    EXPECT_SOON_EQ(ReadmeHeight(), DesignReadmeHeight());
    EXPECT_SOON_EQ(wiz::FocusedControl(wizard_), event.Handle());
    const LONG_PTR bothBars = WS_HSCROLL | WS_VSCROLL;
    EXPECT_SOON_EQ(GetWindowLongPtrW(text.Handle(), GWL_STYLE) & bothBars, bothBars);
    ASSERT_TRUE(Press(IDC_BTN_EVENT, "同意する(&A)"));
    ASSERT_TRUE(Control(IDC_FRA_README).WaitText("はじめにお読みください"));
    EXPECT_SOON(text, Text, kReadme);
    EXPECT_SOON_EQ(GetWindowLongPtrW(text.Handle(), GWL_STYLE) & bothBars, bothBars);
    EndWithConfirmation();
}

TEST_F(Pages, EndButtonOnTheTitlePageAsksAndTheTitleBarCannotClose) {
    ASSERT_NO_FATAL_FAILURE(MakeDistribution("pages-end", Script()));
    ASSERT_TRUE(StartWizard(kTitle));
    e2e::Window event = Control(IDC_BTN_EVENT);
    ASSERT_TRUE(event.WaitText("インストール続行(&C)"));

    // The title bar's close and Alt+F4 do nothing: the user leaves through the end button.
    ASSERT_TRUE(wizard_.SystemClose());
    ASSERT_TRUE(wizard_.PressAltF4());
    EXPECT_TRUE(setup_.ExpectNoMessageBox(1000));
    EXPECT_SOON(wizard_, Visible, true);
    EXPECT_TRUE(setup_.Running());

    ASSERT_TRUE(Control(IDC_BTN_END).Click());
    e2e::MsgBox question = setup_.WaitMessageBox();
    ASSERT_TRUE(question);
    EXPECT_TRUE(e2e::SameText(question.Title(), "終了確認"));
    ASSERT_TRUE(question.Answer(IDNO));
    EXPECT_SOON(Control(IDC_FRA_TITLE), Visible, true);
    EXPECT_SOON(event, Text, "インストール続行(&C)");
    EXPECT_TRUE(setup_.Running());
    EndWithConfirmation();
}

TEST_F(Pages, FreeSpaceCaptionFollowsTheFolder) {
    // The caption's word is fixed, whatever the script calls the operation.
    ASSERT_NO_FATAL_FAILURE(MakeDistribution("pages-space", Lines({"[Title]", std::string("Setup=") + kTitle, "[Extend]",
                                                                   "SetupSpeed=1", "SetupString=セットアップ",
                                                                   "[DefaultFolder]", "Folder=" + folder_})));
    ASSERT_TRUE(StartWizard(kTitle));
    ASSERT_TRUE(Press(IDC_BTN_EVENT, "セットアップ続行(&C)"));
    ASSERT_TRUE(Control(IDC_BTN_EVENT).WaitText("セットアップ開始(&S)"));
    e2e::Window group = Control(IDC_GRP_SETUP_FOLDER), edit = Control(IDC_TXT_FOLDER);
    ASSERT_TRUE(group.WaitVisible());
    EXPECT_SOON_TRUE(NearlyTheFreeSpaceOf(group.Text(), folder_.substr(0, 3)));

    // A drive letter that names no drive.
    DWORD drives = GetLogicalDrives();
    char missing = 0;
    for (char letter = 'Y'; letter >= 'F' && !missing; --letter)
        if (!(drives & (1u << (letter - 'A')))) missing = letter;
    ASSERT_NE(missing, 0) << "no free drive letter";
    ASSERT_TRUE(edit.Type(std::string(1, missing) + ":\\ないドライブ\\アプリ\\"));
    EXPECT_TRUE(group.WaitText("インストールフォルダ(空き容量：不明)"));
    e2e::Screenshot("missing-drive");

    // Another drive that exists (Wine's drive Z: when there is one), then back to drive C:.
    std::string other = (drives & (1u << ('Z' - 'A'))) ? "Z:\\" : "C:\\";
    for (const std::string& root : {other, std::string("C:\\")}) {
        ASSERT_TRUE(edit.Type(root + "別のフォルダ\\"));
        // The caption follows every edit: wait until it tells this drive's free space.
        EXPECT_SOON_TRUE(NearlyTheFreeSpaceOf(group.Text(), root));
    }
    e2e::Screenshot("other-drive");
    EndWithConfirmation();
}
