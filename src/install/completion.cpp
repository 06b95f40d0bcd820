#include "install/completion.h"

#include "script/folders.h"
#include "base/text.h"

const char* const kFailureQuestionText =
    "フォルダの作成・ファイルのコピーで、一部の処理が失敗しました。\r\n詳細を表示しますか？";
const char* const kFailureQuestionTitle = "警告";
const unsigned kFailureQuestionFlags = 52;
const char* const kFailureDetailsButtonCaption = "続行(&C)";
const char* const kFailureDetailsFrameCaption = "作成・コピー処理失敗　詳細表示";
const char* const kNextButtonCaption = "次へ(&N)";
const char* const kLaunchFailedText =
    "終了後プログラムの起動に失敗しました。\r\niniファイルの記述ミスの可能性があります。\r\n"
    "プログラム提供者へご報告ください。";
const char* const kLaunchFailedTitle = "警告";

namespace {
const char kReboot[] = "WINDOWS_REBOOT";
}

ExecuteFileSpec ParseExecuteFile(const std::string& scriptValue) {
    ExecuteFileSpec item;
    if (scriptValue == kReboot) {
        item.reboot = true;
        return item;
    }
    std::string value = ExpandMacros(scriptValue);
    if (FindMbcs(",", value) != 0) {
        item.program = GetField(value, ",", 1);
        item.arguments = GetField(value, ",", 2);
        item.mode = GetField(value, ",", 3);
    } else {
        item.program = value;
    }
    item.createProcess = item.mode == "CreateProcess";
    return item;
}

std::string CompletionStatusLines(const std::string& setupWord, const std::string& unSetupWord, bool setupOnly) {
    std::string text = "\r\n【処理完了】\r\n";
    if (!setupOnly)
        text += "　プログラムの" + unSetupWord +
                "は、「プログラム(アプリケーション)の追加と削除」から行うことができます。\r\n";
    text += "　「次へ(N)」をクリックして、" + setupWord + "を完了してください。\r\n";
    return text;
}

InstallCompletionPage BuildInstallCompletionPage(const std::string& executeFileValue, bool lockedFileFound,
                                   const std::string& setupWord) {
    InstallCompletionPage page;
    ExecuteFileSpec item = ParseExecuteFile(executeFileValue);
    page.restartOffered = lockedFileFound || item.reboot;
    if (page.restartOffered)
        page.text = "　" + setupWord + "を完了するには、Windowsを再起動する必要があります。\r\n\r\n" +
                    "　Windowsの再起動を選択した場合、現在稼動している他のプログラムは強制的に終了され、" +
                    "かつ、終了後プログラムは実行されませんので、十分にご注意ください。";
    else
        page.text = setupWord + "を完了しました。";
    // "WINDOWS_REBOOT" names no program.
    if (item.reboot) item = ExecuteFileSpec{};
    page.execute = item;
    bool programNamed = !item.program.empty();
    if (programNamed)
        page.text += "\r\n\r\n【インストーラ終了後、以下のプログラムが実行されます。】\r\n" + item.program + item.arguments;

    if (page.restartOffered) {
        page.option1Caption = "はい、Windowsを再起動します。(&Y)";
        page.option2Caption = programNamed ? "いいえ、Windowsは再起動せずに、プログラムを実行します。(&N)"
                                           : "いいえ、Windowsは再起動せずに、インストーラーを終了します。(&N)";
        page.option2Visible = true;
    } else {
        page.option1Caption = programNamed ? "インストーラを終了して、プログラムを実行します。(&Y)"
                                           : "インストーラを終了します。(&Y)";
    }
    page.finishCaption = setupWord + "完了(&E)";
    return page;
}

FinalAction DecideFinalAction(const InstallCompletionPage& page, bool option2Checked) {
    if (page.restartOffered && !option2Checked) return FinalAction::Restart;
    if (page.execute.program.empty()) return FinalAction::None;
    return page.execute.createProcess ? FinalAction::RunProgram : FinalAction::OpenProgram;
}
