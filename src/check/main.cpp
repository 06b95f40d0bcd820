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
#include "check/console.h"
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

}  // namespace

int main() {
    Options options = ParseOptions(Narrow(GetCommandLineW()));
    UseEnglish(options.english);
    UseCodePage932Output(options.cp932);
    if (options.help) {
        PrintOut(Say(Msg::Usage));
        return 0;
    }
    if (options.wrong || options.path.empty()) {
        PrintError(Say(Msg::Usage));
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
        PrintOut(shown + ": error: " + Say(FileExists(full) ? Msg::ScriptUnreadable : Msg::ScriptMissing) + "\n");
        return 2;
    }
    RunChecks(context);
    int exitCode = ReportFindings(context, shown);
    if (options.plan) PrintOut("\n" + BuildPlan(context, shown));
    return exitCode;
}
