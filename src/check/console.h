#pragma once
// What the console programs print (SETUPCHK, SETUPMAK): to a console through its own wide API,
// whatever its code page; to a file or a pipe as UTF-8, or as code page 932 when asked, so that
// editors and build logs show it right.
#include <string>

#include "check/script_context.h"

void UseCodePage932Output(bool cp932);
void PrintOut(const std::string& text);
void PrintError(const std::string& text);

// The findings in the order of their lines, each as "<shown>(<line>): error: <text>", then a
// summary line; returns the checker's exit code (0 clean, 1 warnings only, 2 errors).
int ReportFindings(const ScriptContext& context, const std::string& shown);
