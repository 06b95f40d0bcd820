// The libraries SETUP.EXE loads. It is usually started from a download folder, where Windows
// looks first for any library that it does not always take from its own folder: the program
// imports only libraries that it does, and a library planted beside it under a system library's
// name is never loaded.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <set>

#include "runs/runs_support.h"

using namespace runs;

namespace {

// The libraries Windows always takes from the system folder (its known libraries). Not even
// COMCTL32 is imported: a system's copy of it may need libraries of other names, which the loader
// would look for beside the program before the program could restrict the search.
const std::set<std::string> kSystemOnly = {"ADVAPI32.DLL", "COMDLG32.DLL", "GDI32.DLL",    "KERNEL32.DLL",
                                           "MSVCRT.DLL",   "OLE32.DLL",    "OLEAUT32.DLL", "SHELL32.DLL",
                                           "SHLWAPI.DLL",  "USER32.DLL"};

template <class T>
bool ReadAt(const std::string& bytes, size_t offset, T& value) {
    if (offset > bytes.size() || bytes.size() - offset < sizeof(T)) return false;
    std::memcpy(&value, bytes.data() + offset, sizeof(T));
    return true;
}

// The names of the libraries a program imports (its import and delay-import directories), in
// upper case; a failure when the file is no program of either width.
::testing::AssertionResult ImportedLibraries(const std::string& path, std::vector<std::string>& names) {
    std::string bytes = ReadBytes(path);
    IMAGE_DOS_HEADER dos{};
    DWORD signature = 0;
    IMAGE_FILE_HEADER file{};
    WORD magic = 0;
    if (!ReadAt(bytes, 0, dos) || !ReadAt(bytes, dos.e_lfanew, signature) || signature != IMAGE_NT_SIGNATURE ||
        !ReadAt(bytes, dos.e_lfanew + 4, file) || !ReadAt(bytes, dos.e_lfanew + 4 + sizeof(file), magic))
        return ::testing::AssertionFailure() << path << " is no program";
    size_t optional = dos.e_lfanew + 4 + sizeof(file);
    size_t directories = optional + (magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC
                                         ? offsetof(IMAGE_OPTIONAL_HEADER64, DataDirectory)
                                         : offsetof(IMAGE_OPTIONAL_HEADER32, DataDirectory));
    size_t sections = optional + file.SizeOfOptionalHeader;
    auto offsetOf = [&](DWORD rva, size_t& offset) {
        for (WORD i = 0; i < file.NumberOfSections; ++i) {
            IMAGE_SECTION_HEADER section{};
            if (!ReadAt(bytes, sections + i * sizeof(section), section)) return false;
            DWORD size = std::max(section.Misc.VirtualSize, section.SizeOfRawData);
            if (rva >= section.VirtualAddress && rva < section.VirtualAddress + size) {
                offset = section.PointerToRawData + (rva - section.VirtualAddress);
                return true;
            }
        }
        return false;
    };
    auto nameAt = [&](DWORD rva) {
        size_t offset = 0;
        if (!offsetOf(rva, offset) || offset >= bytes.size()) return std::string("?");
        std::string name(bytes.c_str() + offset);
        std::transform(name.begin(), name.end(), name.begin(), [](char c) { return static_cast<char>(toupper(c)); });
        return name;
    };
    // Each directory is a row of descriptors ended by an empty one; the name is the 4th field of
    // an import descriptor and the 2nd of a delay-import descriptor.
    for (auto [index, size, nameField] : {std::tuple<int, size_t, size_t>{IMAGE_DIRECTORY_ENTRY_IMPORT, 20, 12},
                                          std::tuple<int, size_t, size_t>{IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT, 32, 4}}) {
        IMAGE_DATA_DIRECTORY directory{};
        if (!ReadAt(bytes, directories + index * sizeof(directory), directory) || directory.VirtualAddress == 0)
            continue;
        size_t offset = 0;
        if (!offsetOf(directory.VirtualAddress, offset))
            return ::testing::AssertionFailure() << "import directory outside the sections";
        for (;; offset += size) {
            DWORD name = 0;
            if (!ReadAt(bytes, offset + nameField, name)) return ::testing::AssertionFailure() << "cut import directory";
            if (name == 0) break;
            names.push_back(nameAt(name));
        }
    }
    return ::testing::AssertionSuccess();
}

}  // namespace

// Both builds: the tested 64-bit one and the 32-bit release.
TEST(Loading, ImportsOnlyLibrariesWindowsTakesFromItsOwnFolder) {
    const char* release32 = std::getenv("SETUP_E2E_EXE32");
    ASSERT_NE(release32, nullptr) << "SETUP_E2E_EXE32 is not set: run the test through CTest";
    for (const std::string& program : {e2e::SetupExePath(), e2e::WindowsPath(release32)}) {
        std::vector<std::string> names;
        ASSERT_TRUE(ImportedLibraries(program, names)) << "build the 32-bit release first: " << program;
        EXPECT_FALSE(names.empty()) << program;
        for (const std::string& name : names)
            EXPECT_TRUE(kSystemOnly.count(name)) << program << " imports " << name;
    }
}

// A copy of a library that notes every load is planted as LZ32.DLL beside SETUP.EXE, and Wine is
// told to prefer such copies to its own for SETUP.EXE: a program that searched its own folder
// would now load it. The install expands a compressed file with the system's LZ32, and the planted
// copy notes nothing. (VERSION.DLL cannot be shown this way: Wine's own ADVAPI32, which every
// program loads at start, imports it and would take a planted copy whatever the program does.)
TEST_F(RunsTest, LibraryPlantedBesideTheProgramIsNeverLoaded) {
    const std::string folder = ProgramFilesFolder() + "OrvantRuns Planted\\";
    RemoveFolderLater(folder);
    std::string dist = Distribution("planted", "[Title]\nSetup=Runs 植え込み\nUnSetup=Setup Only.\n[Extend]\nSetupSpeed=1\n"
                                               "[CopyFile]\nFile1=(App)MANUAL.TX_|MANUAL.TXT\n");
    ASSERT_FALSE(dist.empty());
    std::string sample = e2e::WindowsPath(e2e::EnvironmentVariable("SETUP_E2E_SAMPLE_DIST")) + "\\";
    ASSERT_TRUE(e2e::CopyInto(sample + "MANUAL.TX_", dist));
    ASSERT_TRUE(AddSysBinFile(dist, "planted.dll", "LZ32.DLL"));
    // Wine's per-program library settings.
    DeleteKeyLater(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\SETUP.EXE");
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\SETUP.EXE\\DllOverrides", "lz32",
                         "native,builtin"));
    ASSERT_TRUE(InstallThroughWizard(dist, "Runs 植え込み", folder));
    EXPECT_EQ(ReadBytes(folder + "MANUAL.TXT"), ReadBytes(e2e::ExamplesFolder() + "sample\\MANUAL.TXT"));
    EXPECT_FALSE(FileExists(dist + "PLANTED.TXT")) << "loaded: " << ReadBytes(dist + "PLANTED.TXT");
}
