#pragma once
// The end of an install as data for the wizard: the failure question, the completion text, the
// completion page with its restart or launch choice, and what is carried out afterwards.
#include <string>

// [ExecuteFile] "File": "WINDOWS_REBOOT", or program [, arguments [, mode]].
struct ExecuteFileSpec {
    bool reboot = false;        // exactly "WINDOWS_REBOOT"
    std::string program;        // empty: nothing to start
    std::string arguments;
    std::string mode;
    bool createProcess = false; // mode exactly "CreateProcess": RunProgram, else OpenProgram
};

// Macros expanded; split only when the value holds a comma.
ExecuteFileSpec ParseExecuteFile(const std::string& scriptValue);

// The question before the failure details (flags 52, title "警告").
extern const char* const kFailureQuestionText;
extern const char* const kFailureQuestionTitle;
extern const unsigned kFailureQuestionFlags;
// The failure-details page: the caption of the event button and of the frame.
extern const char* const kFailureDetailsButtonCaption;  // "続行(&C)"
extern const char* const kFailureDetailsFrameCaption;   // "作成・コピー処理失敗　詳細表示"

// The lines appended to the status text when the run is done (the Add/Remove line only when an
// uninstall entry was made).
std::string CompletionStatusLines(const std::string& setupWord, const std::string& unSetupWord, bool setupOnly);
// The caption the abort button gets for the final wait.
extern const char* const kNextButtonCaption;  // "次へ(&N)"

struct InstallCompletionPage {
    bool restartOffered = false;   // a locked file, or "WINDOWS_REBOOT"
    ExecuteFileSpec execute;       // with "WINDOWS_REBOOT" taken as empty
    std::string text;              // lblSelectTypeMsg
    std::string option1Caption;    // optSelectType1 (checked at first)
    std::string option2Caption;    // optSelectType2; empty when it is hidden
    bool option2Visible = false;   // shown and enabled only when a restart is offered
    std::string finishCaption;     // btnEvent: SetupWord + "完了(&E)"
};

InstallCompletionPage BuildInstallCompletionPage(const std::string& executeFileValue, bool lockedFileFound,
                                   const std::string& setupWord);

enum class FinalAction { None, Restart, RunProgram, OpenProgram };
// What follows the completion page; option2Checked is the state of optSelectType2.
FinalAction DecideFinalAction(const InstallCompletionPage& page, bool option2Checked);

// The second message after a failed RunProgram (result 1 or more): flags 48, title "警告".
extern const char* const kLaunchFailedText;
extern const char* const kLaunchFailedTitle;
