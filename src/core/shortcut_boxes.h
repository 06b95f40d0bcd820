#pragma once
// Which of the options page's four shortcut boxes a script's [ShortCut] names concern: the page
// offers them, the install run creates the shortcuts of the ticked ones.

struct ShortcutBoxes {
    bool desktop = false;
    bool startMenu = false;
    bool startUp = false;
    bool sendTo = false;
};
