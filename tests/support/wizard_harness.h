#pragma once
// The program's four windows in the test process, as the program entry creates them, with a
// distribution folder of the test's own. The wizard is shown without the background window's
// modal loop, so a test drives it directly and reads its controls.
#include <memory>
#include <string>

#include "ui/application.h"

class WizardHarness {
public:
    WizardHarness();
    ~WizardHarness();
    WizardHarness(const WizardHarness&) = delete;
    WizardHarness& operator=(const WizardHarness&) = delete;

    // The distribution folder (with a trailing backslash); the test writes SETUP.INI and files there.
    const std::string& Dist() const { return dist_; }
    // Writes the distribution's SETUP.INI: the text in code page 932, as a distributor's script is.
    void WriteScript(const std::string& text);
    // Shows the wizard, which runs start-up on its activation; true once start-up is done.
    bool Start(const std::string& parameter = "");
    // Lets messages run for a while.
    static void Pump(int milliseconds);

private:
    std::string dist_;
    std::unique_ptr<Application> application_;
};
