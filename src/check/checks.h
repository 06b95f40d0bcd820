#pragma once
// The checks of an install script; each adds its findings to the context.
#include "check/script_context.h"

// The text itself: code page 932, not UTF-8 or UTF-16.
void CheckEncoding(ScriptContext& context);
// Sections and keys SETUP.EXE never reads: unknown, repeated, outside a section, without "=".
void CheckNames(ScriptContext& context);
// Numbered lists: gaps that end a list early, numbers past the last one read, keys without their
// leading key.
void CheckNumbering(ScriptContext& context);
// Macros that are unknown or cannot be used where they stand.
void CheckMacros(ScriptContext& context);
// The entries of the install run's sections: [MakeFolder] to [ExecuteFile].
void CheckEntries(ScriptContext& context);
// The single keys of start-up and of the end of the install: [Title] to [Caution].
void CheckSettings(ScriptContext& context);

// All of them, in this order.
void RunChecks(ScriptContext& context);
