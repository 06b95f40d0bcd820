// SETUPCHK.EXE: checks an install script and its distribution folder before it is shipped, in the
// form compilers report ("SETUP.INI(42): error: …"), and prints the plan of the install on request.
// Exit code: 0 no findings, 1 warnings only, 2 errors (or no script to check).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/startup_rules.h"
#include "base/cp932.h"
#include "check/checks.h"
#include "check/messages.h"
#include "edge/wide.h"
#include "check/plan.h"
#include "check/script_context.h"
#include "edge/fileops.h"
#include "base/text.h"

namespace {

struct Options {
    bool english = false;
    bool cp932 = false;  // redirected output in code page 932 instead of UTF-8
    bool plan = false;
    bool help = false;
    bool wrong = false;
    std::string installFolder;
    std::string path;
};

// Read as SETUP.EXE reads its own command line, so that a quoted folder may end in a backslash.
Options ParseOptions(const std::string& commandLine) {
    Options options;
    std::vector<std::string> arguments = CommandLineParameters(commandLine);
    if (!arguments.empty()) arguments.erase(arguments.begin());  // the program itself
    for (const std::string& argument : arguments) {
        if (EqualsNoCase(argument, "/EN"))
            options.english = true;
        else if (EqualsNoCase(argument, "/CP932"))
            options.cp932 = true;
        else if (EqualsNoCase(argument, "/PLAN"))
            options.plan = true;
        else if (argument == "/?" || EqualsNoCase(argument, "/HELP"))
            options.help = true;
        else if (EqualsNoCase(CopyHead(argument, 3), "/D=") && argument.size() > 3)
            options.installFolder = argument.substr(3);
        else if (argument.empty() || argument[0] == '/' || !options.path.empty())
            options.wrong = true;
        else
            options.path = argument;
    }
    return options;
}

bool g_cp932 = false;

// A console shows the text through its own wide API, whatever its code page; a file or pipe gets
// UTF-8 (or code page 932 with /CP932), so that editors and build logs show it right.
void Write(DWORD which, FILE* stream, const std::string& text) {
    HANDLE handle = GetStdHandle(which);
    DWORD mode = 0;
    if (handle && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode)) {
        std::wstring wide = Wide(text);
        DWORD written = 0;
        WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    std::string bytes = Utf8Of(text);
    if (g_cp932) {
        std::string cp932;
        Utf8ToCp932(bytes, cp932);  // a character without a code page 932 form shows as "?"
        bytes = cp932;
    }
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
    std::fflush(stream);
}

void Print(const std::string& text) { Write(STD_OUTPUT_HANDLE, stdout, text); }

// The findings in the order of their lines, then a summary; returns the exit code.
int Report(const ScriptContext& context, const std::string& shown) {
    std::vector<Finding> findings = context.Findings();
    std::stable_sort(findings.begin(), findings.end(),
                     [](const Finding& a, const Finding& b) { return a.line < b.line; });
    long errors = 0, warnings = 0;
    for (const Finding& finding : findings) {
        (finding.error ? errors : warnings) += 1;
        Print(shown + "(" + IntToStr(finding.line) + "): " + (finding.error ? "error: " : "warning: ") + finding.text +
              "\n");
    }
    if (findings.empty())
        Print(Say(Msg::Clean, {shown}) + "\n");
    else
        Print(Say(Msg::Summary, {shown, IntToStr(errors), IntToStr(warnings)}) + "\n");
    return errors > 0 ? 2 : warnings > 0 ? 1 : 0;
}

}  // namespace

int main() {
    Options options = ParseOptions(Narrow(GetCommandLineW()));
    UseEnglish(options.english);
    g_cp932 = options.cp932;
    if (options.help) {
        Print(Say(Msg::Usage));
        return 0;
    }
    if (options.wrong || options.path.empty()) {
        Write(STD_ERROR_HANDLE, stderr, Say(Msg::Usage));
        return 2;
    }

    // A folder is the distribution; its script is SETUP.INI, the one SETUP.EXE reads.
    std::string shown = options.path;
    std::string full = FullPath(options.path);
    if (PathExists(full) && !FileExists(full)) {
        shown = AddDelimiter(shown, "B") + "SETUP.INI";
        full = AddDelimiter(full, "B") + "SETUP.INI";
    }
    std::string installFolder = options.installFolder.empty() ? "" : AddDelimiter(FullPath(options.installFolder), "B");

    ScriptContext context;
    if (!context.Load(full, installFolder)) {
        Print(shown + ": error: " + Say(FileExists(full) ? Msg::ScriptUnreadable : Msg::ScriptMissing) + "\n");
        return 2;
    }
    RunChecks(context);
    int exitCode = Report(context, shown);
    if (options.plan) Print("\n" + BuildPlan(context, shown));
    return exitCode;
}
