// SETUPCHK.EXE: checks an install script and its distribution folder before it is shipped, in the
// form compilers report ("SETUP.INI(42): error: …"), and prints the plan of the install on request.
// Exit code: 0 no findings, 1 warnings only, 2 errors (or no script to check).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/startup_rules.h"
#include "check/checks.h"
#include "check/messages.h"
#include "check/plan.h"
#include "check/script_context.h"
#include "script/fileops.h"
#include "script/text.h"

namespace {

struct Options {
    bool english = false;
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

std::string FullPathOf(const std::string& path) {
    DWORD length = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    if (length == 0) return path;
    std::vector<char> buffer(length + 1, '\0');
    length = GetFullPathNameA(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    return length == 0 || length >= buffer.size() ? path : std::string(buffer.data(), length);
}

void Print(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stdout); }

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
    Options options = ParseOptions(GetCommandLineA());
    UseEnglish(options.english);
    if (options.help) {
        Print(Say(Msg::Usage));
        return 0;
    }
    if (options.wrong || options.path.empty()) {
        std::fputs(Say(Msg::Usage).c_str(), stderr);
        return 2;
    }

    // A folder is the distribution; its script is SETUP.INI, the one SETUP.EXE reads.
    std::string shown = options.path;
    std::string full = FullPathOf(options.path);
    if (PathExists(full) && !FileExists(full)) {
        shown = AddDelimiter(shown, "B") + "SETUP.INI";
        full = AddDelimiter(full, "B") + "SETUP.INI";
    }
    std::string installFolder = options.installFolder.empty() ? "" : AddDelimiter(FullPathOf(options.installFolder), "B");

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
