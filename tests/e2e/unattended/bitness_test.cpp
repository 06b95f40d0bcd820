// An install is removed by a program of its own bitness. Only the 32-bit tree runs this: its WoW64
// Wine runs the 64-bit build beside the 32-bit one, as 64-bit Windows does.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>

#include "app/exit_codes.h"
#include "edge/wide.h"
#include "runs/runs_support.h"
#include "support/places.h"

#ifndef _WIN64

using namespace runs;

namespace {

class Bitness : public RunsTest {
protected:
    DWORD Run(const std::string& commandLine) {
        e2e::TargetProcess process;
        if (!process.StartCommandLine(commandLine, WindowsFolder())) return 0xFFFFFFFF;
        if (!process.WaitForExit(120000)) return 0xFFFFFFFE;
        return process.ExitCode();
    }
    std::string Quoted(const std::string& text) { return "\"" + text + "\""; }
};

}  // namespace

// Installed by one build, started from the other's uninstaller: the run goes to the uninstaller of
// the install's own bitness, which removes everything from the places that bitness used; without
// that uninstaller the run refuses and removes nothing.
TEST_F(Bitness, TheUninstallIsHandedToTheInstallsOwnBitness) {
    const char* other = std::getenv("SETUP_E2E_EXE64");
    ASSERT_TRUE(other && *other) << "SETUP_E2E_EXE64 is not set (run the test through CTest)";
    const std::string exe64 = e2e::WindowsPath(other), exe32 = e2e::SetupExePath();
    const std::string folder = "C:\\OrvantBits\\App\\", key = "SOFTWARE\\OrvantBits";
    const std::string entry = std::string(kUninstallRoot) + "\\OrvantBits";
    RemoveFolderLater("C:\\OrvantBits\\");
    DeleteKeyLater(HKEY_LOCAL_MACHINE, places::ThirtyTwoBitName(entry));
    DeleteKeyLater(HKEY_LOCAL_MACHINE, places::ThirtyTwoBitName(key));
    RemoveRecordedProgramLater("ORVBITS");
    std::string dist = Distribution("bits", "[Title]\nSetup=Bits\nUnSetupKey=OrvantBits\n[ProgramID]\nID=ORVBITS\n"
                                            "[DefaultFolder]\nFolder=" + folder + "\n[CopyFile]\nFile1=(App)APP.TXT\n"
                                            "[Registry]\nKey1=(Local)SOFTWARE\\OrvantBits\nName1=V\nValue1=(Str)1\n"
                                            "[DeleteRegistry]\nKey1=(Local)SOFTWARE\\OrvantBits\n");
    ASSERT_FALSE(dist.empty());
    ASSERT_TRUE(AddFile(dist, "APP.TXT", "app\r\n"));
    for (const auto& [installer, remover, view] :
         {std::tuple{exe64, exe32, key}, std::tuple{exe32, exe64, places::ThirtyTwoBitName(key)}}) {
        ASSERT_TRUE(CopyFileW(Wide(installer).c_str(), Wide(dist + "SETUP.EXE").c_str(), FALSE));
        ASSERT_EQ(Run(Quoted(dist + "SETUP.EXE") + " /S"), static_cast<DWORD>(kExitSuccess)) << installer;
        EXPECT_EQ(places::StoredAs(HKEY_LOCAL_MACHINE, key, "V"), view) << installer;
        EXPECT_EQ(Run(Quoted(remover) + " /S " + Quoted(folder + "UNSETUP.INI")), static_cast<DWORD>(kExitSuccess))
            << remover;
        EXPECT_FALSE(FolderExists(folder)) << remover;
        EXPECT_EQ(places::StoredAs(HKEY_LOCAL_MACHINE, key, "V"), "<nowhere>") << remover;
        EXPECT_EQ(places::StoredAs(HKEY_LOCAL_MACHINE, entry), "<nowhere>") << remover;
    }

    // The 64-bit install, and no 64-bit uninstaller: refused, nothing removed.
    ASSERT_TRUE(CopyFileW(Wide(exe64).c_str(), Wide(dist + "SETUP.EXE").c_str(), FALSE));
    ASSERT_EQ(Run(Quoted(dist + "SETUP.EXE") + " /S"), static_cast<DWORD>(kExitSuccess));
    const std::string uninstaller64 = WindowsFolder() + "UNOVNOVA64.EXE", aside = uninstaller64 + ".aside";
    ASSERT_TRUE(MoveFileW(Wide(uninstaller64).c_str(), Wide(aside).c_str()));
    std::string log = e2e::ScratchFolder("bits-log") + "refused.log";
    EXPECT_EQ(Run(Quoted(exe32) + " /S /LOG=" + Quoted(log) + " " + Quoted(folder + "UNSETUP.INI")),
              static_cast<DWORD>(kExitFailed));
    MoveFileW(Wide(aside).c_str(), Wide(uninstaller64).c_str());
    EXPECT_TRUE(FileExists(folder + "APP.TXT"));
    EXPECT_TRUE(e2e::Contains(ReadBytes(log), "64ビット版のアンインストーラでしか正しく削除できません"));
    EXPECT_EQ(Run(Quoted(uninstaller64) + " /S " + Quoted(folder + "UNSETUP.INI")), static_cast<DWORD>(kExitSuccess));
}

#endif
