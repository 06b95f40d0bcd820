#include "install/shortcut_entry.h"

#include "script/folders.h"
#include "base/text.h"

const char* const kUserNotSelected = "User Not Selected.";

ShortcutBox GoverningBox(const std::string& nameValue) {
    if (FindNoCase("Dsk)", nameValue) != 0) return ShortcutBox::Desktop;
    if (FindNoCase("Sta)", nameValue) != 0) return ShortcutBox::StartMenu;
    if (nameValue == "Default") return ShortcutBox::StartMenu;
    if (FindNoCase("Sup)", nameValue) != 0) return ShortcutBox::StartUp;
    if (FindNoCase("Sen)", nameValue) != 0) return ShortcutBox::SendTo;
    return ShortcutBox::None;
}

bool ShortcutSelected(const std::string& nameValue, const ShortcutBoxes& boxes) {
    switch (GoverningBox(nameValue)) {
    case ShortcutBox::Desktop: return boxes.desktop;
    case ShortcutBox::StartMenu: return boxes.startMenu;
    case ShortcutBox::StartUp: return boxes.startUp;
    case ShortcutBox::SendTo: return boxes.sendTo;
    case ShortcutBox::None: break;
    }
    return true;
}

ShortcutPlan PlanShortcut(const std::string& makeValue, const std::string& nameValue) {
    ShortcutPlan plan;
    std::string make = ExpandMacros(makeValue);
    plan.target = GetField(make, ",", 1);
    plan.arguments = GetField(make, ",", 2);

    std::string name = nameValue == "Default" ? FileNamePart(plan.target) : nameValue;
    // Only the link part decides: a macro in the working folder does not place the link.
    std::string link = GetField(name, ",", 1);
    if (FindMbcs("(", link) == 0 && FindMbcs(")", link) == 0) name = "(Sta)" + name;
    name = ExpandMacros(name);
    plan.linkPath = GetField(name, ",", 1);
    plan.workFolder = GetField(name, ",", 2);
    return plan;
}

std::string ShortcutDisplayPath(const std::string& linkPath) { return RemoveDelimiter(linkPath, "T"); }
