#pragma once
// A [ShortCut] entry of the install script: which check box governs it and where the link goes.
#include <string>

#include "core/shortcut_boxes.h"

enum class ShortcutBox { None, Desktop, StartMenu, StartUp, SendTo };

// The marker that replaces the "Make" value of an entry the user did not select.
extern const char* const kUserNotSelected;  // "User Not Selected."

// The box that governs an entry, from its "Name" value as read ("Default" when absent).
ShortcutBox GoverningBox(const std::string& nameValue);
// Whether the entry is made: its box is checked, or no box governs it.
bool ShortcutSelected(const std::string& nameValue, const ShortcutBoxes& boxes);

struct ShortcutPlan {
    std::string target;      // expanded "Make" field 1
    std::string arguments;   // "Make" field 2
    std::string linkPath;    // the link's path without extension
    std::string workFolder;  // "Name" field 2
};

// Expands and splits the entry. A "Default" name is the target's file name; a name without any
// folder macro goes into the Programs folder of the Start menu.
ShortcutPlan PlanShortcut(const std::string& makeValue, const std::string& nameValue);

// The link path as the progress window shows it: one leading backslash removed.
std::string ShortcutDisplayPath(const std::string& linkPath);
