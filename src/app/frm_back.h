#pragma once
// TfrmBack: the program's main window. Maximised behind the wizard, painted with a blue-to-black
// gradient, the setup title in large shadowed letters at the top left and a two-line banner at
// the bottom right. Its first normal-state resize shows the wizard modally and then closes the
// window, which ends the program.
#include <string>

#include "app/grad_box.h"
#include "ui/controls.h"
#include "ui/form.h"

// The text after "Orvant Setup Nova Version" in the caption, from a file version "a.b.c.d":
// a + "." + the digits of b followed by those of c as one number of at least two digits +
// "(Build:" + d in at least four digits + ")". Missing or non-numeric parts count as 0.
// "1.3.2.890" -> "1.32(Build:0890)", "2.0.5.12" -> "2.05(Build:0012)", "" -> "0.00(Build:0000)".
std::string FormatVersionText(const std::string& fileVersion);

// The string "StringFileInfo\041103a4\FileVersion" of a file's version record; empty when the
// file has none.
std::string ReadFileVersionString(const std::string& path);


class TfrmBack : public Form {
public:
    TfrmBack();

    // The form shown modally on the first resize (the wizard).
    void SetWizard(Form* wizard) { wizard_ = wizard; }

    // Read once from the program file's version record.
    const std::string& VersionText();

    // The banner: both banner labels get the text; the banner sits with its right edge 24 and
    // its bottom edge 48 pixels (at 96 dpi) inside the window, its shadow 2 pixels right and
    // down; both are shown and painted at once.
    void SetBanner(const std::string& text);
    // The title: both title labels get the text, stop sizing themselves and become as wide as
    // the window less 24 pixels (at 96 dpi).
    void SetTitles(const std::string& text);

    TGradBox GradBox;
    Label lblBackTitle2;
    Label lblPrgTitle2;
    Label lblPrgTitle1;
    Label lblBackTitle1;

protected:
    void FormCreate() override;
    void FormResize() override;
    // Closing the background (the task bar's "Close window", Alt+F4 once the work is over) while
    // the wizard is up closes the wizard instead, through its own close rules and clean-up; the
    // background follows when the wizard has gone.
    void FormCloseQuery(bool& canClose) override;

private:
    Form* wizard_ = nullptr;
    std::string versionText_;
    bool versionRead_ = false;
    bool started_ = false;
};
