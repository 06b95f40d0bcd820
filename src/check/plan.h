#pragma once
// The plan of an install: every effect of the script in the order the install run has them, and
// the uninstall log it leaves with what the uninstall will remove. Lines end in "\n".
//
// Effect lines are "  <tag> <what>", where a registry value reads
// "<root>\<key> [<name>] <type> <data>", a file "<source> -> <destination>", a shortcut
// "<link> -> <target>" and an INI entry "<file> [<section>] <key>=<value>"; notes follow two
// blanks in parentheses. Uninstall lines are "  [<section>] <key>=<value>  -- <what happens>".
#include <string>

#include "check/script_context.h"

// scriptName is the script as the user named it.
std::string BuildPlan(const ScriptContext& context, const std::string& scriptName);
