#pragma once
// Paths handed to the test by CTest, and scratch folders inside the Wine prefix.
#include <string>

#include "driver/common.h"

namespace e2e {

// A variable of the test's environment (UTF-8), or "" when it is not set.
std::string EnvironmentVariable(const std::string& name);

// A Linux path ("/a/b") as its drive Z: path ("Z:\a\b"); a Windows path is returned unchanged.
std::string WindowsPath(const std::string& path);
// The folder part of a path, with its trailing backslash.
std::string FolderOf(const std::string& path);

// The build's SETUP.EXE (SETUP_E2E_EXE); a failure when the variable is missing.
std::string SetupExePath(Where where = Where::current());
// The examples folder of the source tree (SETUP_E2E_EXAMPLES), with a trailing backslash.
std::string ExamplesFolder(Where where = Where::current());
// Where screenshots go (SETUP_E2E_SCREENSHOTS, inside the build tree), with a trailing backslash;
// created when missing.
std::string ScreenshotFolder(Where where = Where::current());

// A distribution as a user gets it: a fresh folder %TEMP%\e2e\<name>\ holding the build's SETUP.EXE
// and, unless "example" is empty, a copy of the files of examples\<example>\. Returns the folder
// (with a trailing backslash), or an empty text and a failure.
std::string MakeDistribution(const std::string& name, const std::string& example = {},
                             Where where = Where::current());

// The built sample distribution (SETUP_E2E_SAMPLE_DIST: SETUP.EXE, SETUP.INI and the sample's
// files, one of them compressed) copied into a fresh folder %TEMP%\e2e\<name>\; its path with a
// trailing backslash, or an empty text and a failure.
std::string SampleDistribution(const std::string& name, Where where = Where::current());
// The temporary folder (%TEMP%) with a trailing backslash.
std::string TempFolder();
// A fresh, empty folder %TEMP%\e2e\<name>\ inside the prefix, with a trailing backslash.
std::string ScratchFolder(const std::string& name);
// Copies a folder tree into another (created when missing). Returns whether every file was copied.
bool CopyFolder(const std::string& from, const std::string& to);
// Copies one file into a folder under its own name.
bool CopyInto(const std::string& file, const std::string& folder);
// Deletes a folder tree (best effort).
void RemoveFolder(const std::string& folder);
// Creates a folder with all missing parents.
bool MakeFolders(const std::string& folder);

// An environment variable of the test process (and so of the programs it starts meanwhile), set
// for the object's life and restored afterwards.
class ScopedEnvironment {
public:
    ScopedEnvironment(const std::string& name, const std::string& value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
    // The value before the object set it ("" when there was none).
    const std::string& Previous() const { return previous_; }

private:
    std::string name_;
    std::string previous_;
    bool existed_ = false;
};

}  // namespace e2e
