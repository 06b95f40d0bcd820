#include "check/console.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "base/cp932.h"
#include "base/text.h"
#include "check/messages.h"

#ifdef _WIN32
#include <windows.h>

#include "edge/wide.h"
#endif

namespace {

bool g_cp932 = false;

void Write(bool error, const std::string& text) {
    std::FILE* stream = error ? stderr : stdout;
#ifdef _WIN32
    HANDLE handle = GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (handle && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode)) {
        std::wstring wide = Wide(text);
        DWORD written = 0;
        WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
#endif
    std::string bytes = text;
    if (g_cp932) Utf8ToCp932(text, bytes);  // a character without a code page 932 form shows as "?"
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
    std::fflush(stream);
}

}  // namespace

void UseCodePage932Output(bool cp932) { g_cp932 = cp932; }

void PrintOut(const std::string& text) { Write(false, text); }

void PrintError(const std::string& text) { Write(true, text); }

int ReportFindings(const ScriptContext& context, const std::string& shown) {
    std::vector<Finding> findings = context.Findings();
    std::stable_sort(findings.begin(), findings.end(),
                     [](const Finding& a, const Finding& b) { return a.line < b.line; });
    long errors = 0, warnings = 0;
    for (const Finding& finding : findings) {
        (finding.error ? errors : warnings) += 1;
        PrintOut(shown + "(" + IntToStr(finding.line) + "): " + (finding.error ? "error: " : "warning: ") +
                 finding.text + "\n");
    }
    if (findings.empty())
        PrintOut(Say(Msg::Clean, {shown}) + "\n");
    else
        PrintOut(Say(Msg::Summary, {shown, IntToStr(errors), IntToStr(warnings)}) + "\n");
    return errors > 0 ? 2 : warnings > 0 ? 1 : 0;
}
