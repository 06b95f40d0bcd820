#pragma once
// What the start-up and wizard scenarios share: a fresh distribution with a script of the
// scenario's own, the files and INI sections it leaves to clean up, and small readers of what a
// user would see on disk.
#include <gtest/gtest.h>
#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "app/exit_codes.h"
#include "driver/e2e_driver.h"

namespace wiz {

// Lines joined, each ended by CR LF (the form a distributor's script has).
std::string Lines(std::initializer_list<std::string> lines);
// Writes the bytes as they are.
bool WriteBytes(const std::string& path, const std::string& bytes);
// Writes the text as code page 932 bytes, as a distributor's editor saves a script, an agreement
// or a readme, and as the program keeps its logs and INI files.
bool WriteText(const std::string& path, const std::string& text);
std::string ReadBytes(const std::string& path);
bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);

// System folders as the program sees them, with a trailing backslash.
std::string WindowsFolder();
std::string TempFolder();
std::string OvSet98Path();   // WindowsFolder() + "OVSET98.INI"
std::string OvResultPath();  // WindowsFolder() + "OVRESULT.INI"
// The program's work folders OVTMP1 … OVTMP99 in the temporary folder that exist now.
int CountWorkFolders();

// A value of a code page 932 INI file as stored (e2e::IniValue), or the fallback when it is absent.
std::string IniValue(const std::string& file, const std::string& section, const std::string& key,
                     const std::string& fallback = "<absent>");
void RemoveIniSection(const std::string& file, const std::string& section);

// The control of the wizard's thread that has the keyboard focus.
HWND FocusedControl(const e2e::Window& top);

// The name the program gives this system on its title page (by the version the prefix reports),
// and whether it is of the NT family.
std::string ExpectedOsName();
bool IsNtFamily();

// The title page's text for program P and the word S.
std::string TitleText(const std::string& P, const std::string& S);

// Position of a control inside its parent's client area.
RECT RectInParent(const e2e::Window& control);
// Position of a control relative to another window's client area.
RECT RectIn(const e2e::Window& control, const e2e::Window& reference);

// One scenario: its distribution (SETUP.EXE and SETUP.INI), the program under test, and what it
// leaves to clean up.
class Scenario : public ::testing::Test {
protected:
    void TearDown() override;

    // A fresh distribution %TEMP%\e2e\<name>\ holding SETUP.EXE and, unless the script is empty,
    // a SETUP.INI with that text (written as code page 932).
    std::string Distribution(const std::string& name, const std::string& script);
    // A fresh scratch folder removed again at the end.
    std::string Scratch(const std::string& name);
    // An OVSET98.INI section that the scenario adds and that goes again at the end.
    void AddProgramRecord(const std::string& id, const std::string& folder);
    // Starts SETUP.EXE of the distribution and waits for its wizard with that caption.
    e2e::Window StartWizard(const std::string& caption, const std::string& parameter = {},
                            e2e::Where where = e2e::Where::current());
    // Waits until the event button carries the caption and can be used, then clicks it.
    bool Press(int id, const std::string& caption, DWORD timeoutMs = 10000,
               e2e::Where where = e2e::Where::current());
    // Ends the program from a wizard page with the end button and the "終了確認" question.
    void EndWithConfirmation(e2e::Where where = e2e::Where::current());
    // The stopped state after a refusal: page unchanged, event button disabled, focus on the end
    // button, which closes the program without a question.
    void ExpectStoppedAndLeave(e2e::Where where = e2e::Where::current());

    e2e::Window Control(int id) const { return wizard_.ControlById(id); }
    std::string TextOf(int id) const { return wizard_.ControlById(id).Text(); }

    std::string dist_;
    e2e::TargetProcess setup_;
    e2e::Window wizard_;
    std::vector<std::string> folders_;
    std::vector<std::string> sections_;
};

}  // namespace wiz
