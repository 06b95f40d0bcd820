// The distribution builder run as a distributor runs it (the program SETUP_MAKE_EXE names: setupmak
// natively, SETUPMAK.EXE under Wine): a starting script for an application folder, the single
// file made from it after the checks, what it lists and extracts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "base/test_pe_image.h"
#include "make/test_files.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

namespace fs = std::filesystem;

namespace {

// Every file below the folder by its relative path ("/" between folders), with its bytes.
std::map<std::string, std::string> Tree(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file()) files[fs::relative(entry.path(), folder).generic_string()] = Get(entry.path());
    return files;
}

std::string Program(bool version) {
    test_pe::ImageRecipe recipe;
    if (version) recipe.strings = {{"ProductName", "Single App"}, {"CompanyName", "Orvant"}, {"ProductVersion", "1.5"}};
    return test_pe::MakeImage(recipe).bytes;
}

struct Outcome {
    int exitCode = -1;
    std::string output;  // stdout and stderr
};

// Runs the builder with the arguments and waits for it.
Outcome Builder(const std::vector<std::string>& arguments, const fs::path& scratch) {
    std::string tool = std::getenv("SETUP_MAKE_EXE") ? std::getenv("SETUP_MAKE_EXE") : "";
    // A file of its own for each run, beside the scratch folder and removed once read: under Wine
    // it may stay open a while after the builder ended, and a folder holding it cannot be removed.
    static int runs = 0;
    fs::path log = scratch.string() + "_output" + std::to_string(++runs) + ".txt";
    Outcome run;
#ifdef _WIN32
    // The build tree's path is a Linux one: Wine shows the root as drive Z:.
    if (!tool.empty() && tool[0] == '/') tool = "Z:" + tool;
    std::wstring line = L"\"" + fs::path(tool).make_preferred().wstring() + L"\"";
    for (const std::string& argument : arguments) line += L" \"" + fs::path(argument).wstring() + L"\"";
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE out = CreateFileW(log.wstring().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             &inherit, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = out;
    PROCESS_INFORMATION process{};
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        run.exitCode = static_cast<int>(code);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    CloseHandle(out);
#else
    std::vector<char*> argv = {tool.data()};
    std::vector<std::string> copies = arguments;
    for (std::string& argument : copies) argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t child = 0;
    int status = 0;
    if (posix_spawn(&child, tool.c_str(), &actions, nullptr, argv.data(), environ) == 0 && waitpid(child, &status, 0) == child &&
        WIFEXITED(status))
        run.exitCode = WEXITSTATUS(status);
    posix_spawn_file_actions_destroy(&actions);
#endif
    // Lines as written, whatever the system's line ends.
    for (char c : Get(log))
        if (c != '\r') run.output += c;
    std::error_code ignored;
    fs::remove(log, ignored);
    return run;
}

class SingleFile : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(std::getenv("SETUP_MAKE_EXE"), nullptr);
        // A name of this process's own: other build trees may run the same test meanwhile.
#ifdef _WIN32
        unsigned long id = GetCurrentProcessId();
#else
        unsigned long id = static_cast<unsigned long>(getpid());
#endif
        root_ = fs::temp_directory_path() / ("setupmak_single_file_test_" + std::to_string(id));
        fs::remove_all(root_);
        fs::create_directories(root_);
    }
    void TearDown() override { fs::remove_all(root_); }
    std::string In(const char* name) const { return (root_ / name).string(); }

    fs::path root_;
};

TEST_F(SingleFile, MadeFromAStartingScriptListsAndExtractsTheFolder) {
    fs::path app = root_ / "Single App";
    Put(app / "SINGLE.EXE", Program(true));
    Put(app / "README.TXT", "read me\r\n");
    Put(app / "Data" / "SETTINGS.INI", "[Settings]\r\nLevel=1\r\n");
    Put(root_ / "SETUP.EXE", Program(false));
    Outcome made = Builder({"/NEW", app.string()}, root_);
    ASSERT_EQ(made.exitCode, 0) << made.output;
    // The files under the names SETUP.EXE looks for: a source below the install folder beside it.
    std::map<std::string, std::string> folder = Tree(app);
    folder["SETTINGS.INI"] = folder["Data/SETTINGS.INI"];
    folder.erase("Data/SETTINGS.INI");
    folder["SETUP.EXE"] = Program(false);  // the plain program given

    Outcome built = Builder({app.string(), "/OUT=" + In("first.exe"), "/PLAIN=" + In("SETUP.EXE"), "/EN"}, root_);
    EXPECT_EQ(built.exitCode, 0) << "the starting script is clean under the checks:\n" << built.output;
    Outcome again = Builder({app.string(), "/OUT=" + In("second.exe"), "/PLAIN=" + In("SETUP.EXE")}, root_);
    EXPECT_EQ(again.exitCode, 0) << again.output;
    EXPECT_EQ(Get(In("first.exe")), Get(In("second.exe"))) << "the same folder gives the same bytes";

    Outcome list = Builder({"/LIST", In("first.exe"), "/EN"}, root_);
    EXPECT_EQ(list.exitCode, 0) << list.output;
    for (const auto& [name, bytes] : folder)
        EXPECT_NE(list.output.find(std::to_string(bytes.size()) + "  " + name + "\n"), std::string::npos)
            << name << " in\n" << list.output;

    Outcome extracted = Builder({"/X=" + In("out"), In("first.exe")}, root_);
    ASSERT_EQ(extracted.exitCode, 0) << extracted.output;
    EXPECT_EQ(Tree(root_ / "out"), folder);
}

TEST_F(SingleFile, AScriptWithErrorsStopsTheBuild) {
    fs::path dist = root_ / "dist";
    Put(dist / "SETUP.EXE", Program(false));
    Put(dist / "APP.EXE", Program(true));
    Put(dist / "SETUP.INI", "[Title]\r\nUnSetupKey=App\r\n[ProgramID]\r\nID=App\r\n[CopyFile]\r\nFile1=(App)APP.EXE\r\n"
                            "File2=(App)MISSING.DLL\r\n");
    Outcome run = Builder({dist.string(), "/OUT=" + In("app.exe"), "/EN"}, root_);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.output.find("File2: source file MISSING.DLL not found in the distribution"), std::string::npos)
        << run.output;
    EXPECT_FALSE(fs::exists(In("app.exe")));
}

}  // namespace
