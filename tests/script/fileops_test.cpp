// Folder tests and creation, and the overwriting copy onto protected and open files.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <vector>

#include "edge/fileops.h"
#include "edge/wide.h"
#include "support/test_env.h"

class FileOpsTest : public ::testing::Test {
protected:
    void SetUp() override { folder_ = ScratchFolder("fileops"); }
    std::string folder_;
};

TEST_F(FileOpsTest, FolderExistsForFoldersOnly) {
    EXPECT_TRUE(FolderExists(folder_));
    EXPECT_TRUE(FolderExists(folder_.substr(0, folder_.size() - 1)));
    EXPECT_FALSE(FolderExists(folder_ + "missing\\"));
    ASSERT_TRUE(WriteTextFile(folder_ + "file.txt", "x"));
    EXPECT_FALSE(FolderExists(folder_ + "file.txt"));
    EXPECT_TRUE(FileExists(folder_ + "file.txt"));
    EXPECT_FALSE(FileExists(folder_));
}

TEST_F(FileOpsTest, EmptyDriveRootDoesNotCountAsExisting) {
    // The test prefix maps Q: to an empty folder of the build tree.
    ASSERT_NE(GetFileAttributesA("Q:\\"), INVALID_FILE_ATTRIBUTES) << "drive Q: missing from the test prefix";
    EXPECT_FALSE(FolderExists("Q:\\")) << "an empty root has no '.' entry";
    ASSERT_TRUE(WriteTextFile("Q:\\a.txt", "x"));
    EXPECT_TRUE(FolderExists("Q:\\"));
    EXPECT_TRUE(FolderExists("Q:"));
    DeleteFileA("Q:\\a.txt");
}

TEST_F(FileOpsTest, ForceFoldersCreatesOnlyMissingLevels) {
    ASSERT_TRUE(CreateDirectoryA((folder_ + "A").c_str(), nullptr));
    HANDLE marker = CreateFileA((folder_ + "A\\keep.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    CloseHandle(marker);
    EXPECT_TRUE(ForceFolders(folder_ + "A\\B\\"));
    EXPECT_TRUE(FolderExists(folder_ + "A\\B\\"));
    EXPECT_TRUE(FileExists(folder_ + "A\\keep.txt"));
    EXPECT_TRUE(ForceFolders(folder_ + "A\\B")) << "nothing to create is success";
    // Folder names whose characters end in the byte 0x5C in code page 932 must not be cut there.
    std::string deep = folder_ + "表示\\ソフト\\データ";
    EXPECT_TRUE(ForceFolders(deep));
    EXPECT_TRUE(FolderExists(deep));
    // Exactly the two top-level folders, no stray one cut at a 0x5C trail byte.
    std::vector<std::string> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(Wide(folder_ + "*").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    do {
        if (data.cFileName[0] != L'.') names.push_back(Narrow(data.cFileName));
    } while (FindNextFileW(find, &data));
    FindClose(find);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"A", "表示"}));
    EXPECT_TRUE(FolderExists(folder_ + "表示\\ソフト\\"));
}

TEST_F(FileOpsTest, CopyOverReadOnlyDestinationLeavesArchiveOnly) {
    std::string source = folder_ + "src.txt", destination = folder_ + "dst.txt";
    ASSERT_TRUE(WriteTextFile(source, "new"));
    ASSERT_TRUE(WriteTextFile(destination, "old"));
    SetFileAttributesA(destination.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    SetFileAttributesA(source.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(CopyFileOver(source, destination), 0u);
    EXPECT_EQ(ReadTextFile(destination), "new");
    EXPECT_EQ(GetFileAttributesA(destination.c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
    SetFileAttributesA(source.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FileOpsTest, CopyOntoOpenFileReportsSharingViolation) {
    std::string source = folder_ + "src.dll", destination = folder_ + "busy.dll";
    ASSERT_TRUE(WriteTextFile(source, "new"));
    ASSERT_TRUE(WriteTextFile(destination, "old"));
    HANDLE held = CreateFileA(destination.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(CopyFileOver(source, destination), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    CloseHandle(held);
    EXPECT_EQ(ReadTextFile(destination), "old");
}

TEST_F(FileOpsTest, CopyOfMissingSourceReportsFileNotFound) {
    EXPECT_EQ(CopyFileOver(folder_ + "none.txt", folder_ + "out.txt"), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(FileExists(folder_ + "out.txt"));
}

TEST_F(FileOpsTest, DosDateTimeAndSize) {
    std::string file = folder_ + "dated.txt";
    EXPECT_EQ(FileDosDateTime(file), -1);
    ASSERT_TRUE(WriteTextFile(file, "12345"));
    HANDLE handle = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SYSTEMTIME when{2001, 2, 0, 3, 4, 5, 6, 0};  // 2001-02-03 04:05:06 local
    FILETIME local, utc;
    SystemTimeToFileTime(&when, &local);
    LocalFileTimeToFileTime(&local, &utc);
    SetFileTime(handle, nullptr, nullptr, &utc);
    CloseHandle(handle);
    long expected = static_cast<long>(((2001 - 1980) << 25) | (2 << 21) | (3 << 16) | (4 << 11) | (5 << 5) | 3);
    EXPECT_EQ(FileDosDateTime(file), expected);
    long long size = 0;
    ASSERT_TRUE(FileSizeOf(file, size));
    EXPECT_EQ(size, 5);
    EXPECT_FALSE(FileSizeOf(folder_ + "none", size));
}

// One place, many spellings: the canonical form is the same for all of them.
TEST_F(FileOpsTest, CanonicalPathNamesThePlaceNotTheSpelling) {
    ASSERT_TRUE(ForceFolders(folder_ + "Long Folder Name\\Sub\\"));
    const std::string place = CanonicalPath(folder_ + "Long Folder Name\\Sub");
    DWORD size = GetShortPathNameA((folder_ + "Long Folder Name").c_str(), nullptr, 0);
    std::string shortName(size, '\0');
    shortName.resize(GetShortPathNameA((folder_ + "Long Folder Name").c_str(), shortName.data(), size));
    ASSERT_FALSE(shortName.empty());
    for (const std::string& spelling :
         {folder_ + "long folder name\\sub\\", folder_ + "Long Folder Name\\\\Sub", folder_ + "Long Folder Name/Sub/",
          folder_ + "Long Folder Name\\.\\Sub", folder_ + "Long Folder Name\\Sub\\Other\\..", shortName + "\\Sub"})
        EXPECT_EQ(CanonicalPath(spelling), place) << spelling;
    // A tail that does not exist stays as written (in upper case) behind the expanded part.
    EXPECT_EQ(CanonicalPath(shortName + "\\New\\"), place.substr(0, place.size() - 4) + "\\NEW");
    EXPECT_EQ(CanonicalPath("c:\\"), "C:\\");
    EXPECT_EQ(CanonicalPath("C:\\Windows\\..\\.."), "C:\\");
    EXPECT_TRUE(IsSameOrInside(folder_ + "Long Folder Name\\Sub\\", shortName));
    EXPECT_FALSE(IsSameOrInside(shortName + "\\..", folder_ + "Long Folder Name"));
    EXPECT_FALSE(IsSameOrInside(folder_ + "Long Folder Name2", folder_ + "Long Folder Name"));
}

TEST(MessageBoxTest, ResponderSeesTextTitleAndFlags) {
    MessageBoxRecorder recorder(IDNO);
    recorder.Queue(IDYES);
    EXPECT_EQ(ShowMessageBox("本文", "題名", 36), IDYES);
    EXPECT_EQ(ShowMessageBox("二回目", "題名", 52), IDNO);
    ASSERT_EQ(recorder.Boxes().size(), 2u);
    EXPECT_EQ(recorder.Boxes()[0].text, "本文");
    EXPECT_EQ(recorder.Boxes()[0].title, "題名");
    EXPECT_EQ(recorder.Boxes()[1].flags, 52u);
}
