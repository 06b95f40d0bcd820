#pragma once
// The scene of an install run under Wine: a distribution folder, a work folder with the script
// copy, an install folder, and Windows, system, temporary and shell folders of its own, all under
// the prefix's temporary folder; registry scratch keys; message boxes and the progress window
// recorded.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "install/install_engine.h"
#include "support/recording_run_ui.h"
#include "support/test_env.h"

// The Add/Remove Programs key the test scripts name, under HKEY_LOCAL_MACHINE.
extern const char* const kTestUninstallKey;
// The registry scratch key of the tests, under HKEY_CURRENT_USER.
extern const char* const kTestRegistryKey;
// The extension the association tests register.
extern const char* const kTestExtension;

class InstallRunTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes the script copy: "[Extend] SetupSpeed=1" and more Extend lines, "[Title] UnSetupKey"
    // and more Title lines, then the given sections; in code page 932, as a distributor's script is.
    void Script(const std::string& sections, const std::string& titleLines = "", const std::string& extendLines = "");
    // A file of the distribution.
    void Source(const std::string& name, const std::string& bytes = "data");
    // A file of the build-time test data copied into the distribution under a name.
    void SourceFromData(const std::string& dataName, const std::string& asName);
    InstallResult Run();

    // A file's last-write time set to a day of 2020 plus the given hours.
    static void SetFileHour(const std::string& path, int hours);

    RecordingRunUi ui_;
    MessageBoxRecorder boxes_{IDYES};
    InstallOptions options_;
    DiskFreeMeasures measures_;
    long long freeBytes_ = 1LL << 40;  // what the test's free-space measure answers
    std::string root_, dist_, work_, win_, sys_, temp_, shell_, app_;
};

// The status lines of a clean run, phases 2 to 8 and the finishing line.
std::string CleanRunStatus(bool withFreeSpaceLine = true);

// A registry value read back through the system calls: its type and its bytes, strings as UTF-8
// without their terminating zero; false when absent.
bool ReadRegistryValue(HKEY root, const std::string& path, const std::string& name, DWORD& type, std::string& data);
// A REG_SZ value, or "<absent>" / "<type n>".
std::string RegistryText(HKEY root, const std::string& path, const std::string& name);
