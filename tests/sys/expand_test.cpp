// Expansion of compressed files (made by Debian's mscompress), replacement at restart, free space.
#include "sys/expand.h"

#include <gtest/gtest.h>

#include "core/state.h"
#include "edge/fileops.h"
#include "script/ini.h"
#include "support/test_env.h"
#include "sys/disk_space.h"
#include "sys/removal.h"
#include "sys_helpers.h"

namespace {

class ExpandTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        folder_ = ScratchFolder("sys_expand");
        g_state.TempFolder = folder_ + "TEMP\\";
        ForceFolders(g_state.TempFolder);
        source_ = folder_ + "SRC\\";
        ForceFolders(source_);
        original_ = FileBytes(SysData("README.TXT"));
        ASSERT_GT(original_.size(), 10000u);
    }
    void TearDown() override { RemoveTree(folder_); }
    // A copy of a data file in the scratch source folder.
    std::string Source(const std::string& dataName, const std::string& asName) {
        std::string path = source_ + asName;
        EXPECT_EQ(CopyFileOver(SysData(dataName), path), 0u);
        return path;
    }
    std::string Temp() const { return g_state.TempFolder + "EXPAND.OVT"; }

    std::string folder_, source_, original_;
};

TEST_F(ExpandTest, ExpandsACompressedFileByteForByte) {
    std::string compressed = Source("README.TX_", "README.TX_");
    ASSERT_NE(FileBytes(compressed), original_);
    std::string destination = folder_ + "APP\\README.TXT";
    EXPECT_EQ(ExpandCompressedFile(compressed, destination), Temp() + "," + destination);
    EXPECT_EQ(FileBytes(Temp()), original_);
    EXPECT_TRUE(FileExists(compressed));  // the source stays
}

TEST_F(ExpandTest, PlaceholderTakesTheNameRecordedInTheHeader) {
    std::string compressed = Source("NAMED.TX_", "named.tx_");
    std::string result = ExpandCompressedFile(compressed, folder_ + "APP\\AUTO.EXT");
    EXPECT_EQ(result, Temp() + "," + folder_ + "APP\\NAMED.TXT");
    EXPECT_EQ(FileBytes(Temp()), original_);
}

TEST_F(ExpandTest, PlaceholderWithoutARecordedNameTakesTheLibrarysNameInUpperCase) {
    // mscompress records no last character; Wine's library then drops the underscore.
    std::string compressed = Source("README.TX_", "readme.tx_");
    std::string result = ExpandCompressedFile(compressed, folder_ + "APP\\AUTO.EXT");
    EXPECT_EQ(result, Temp() + "," + folder_ + "APP\\README.TX");
    EXPECT_EQ(FileBytes(Temp()), original_);
}

TEST_F(ExpandTest, PlaceholderIsMatchedExactly) {
    std::string compressed = Source("NAMED.TX_", "NAMED.TX_");
    std::string lower = folder_ + "APP\\auto.ext";
    EXPECT_EQ(ExpandCompressedFile(compressed, lower), Temp() + "," + lower);
}

TEST_F(ExpandTest, UncompressedFileEndingInUnderscoreIsCopiedUnchanged) {
    std::string plain = Source("PLAIN.DA_", "PLAIN.DA_");
    std::string destination = folder_ + "APP\\PLAIN.DAT";
    EXPECT_EQ(ExpandCompressedFile(plain, destination), Temp() + "," + destination);
    EXPECT_EQ(FileBytes(Temp()), original_);
    EXPECT_EQ(ExpandCompressedFile(plain, folder_ + "APP\\AUTO.EXT"), Temp() + "," + folder_ + "APP\\PLAIN.DA_");
}

TEST_F(ExpandTest, AnEarlierTemporaryFileIsReplaced) {
    ASSERT_TRUE(MakeFile(Temp(), std::string(50000, 'z')));
    std::string compressed = Source("README.TX_", "README.TX_");
    ExpandCompressedFile(compressed, folder_ + "APP\\README.TXT");
    EXPECT_EQ(FileBytes(Temp()), original_);
}

TEST_F(ExpandTest, UnreadableSourceLeavesNoTemporaryFile) {
    ASSERT_TRUE(MakeFile(Temp(), "stale"));
    std::string destination = folder_ + "APP\\GONE.TXT";
    EXPECT_EQ(ExpandCompressedFile(source_ + "GONE.TX_", destination), Temp() + "," + destination);
    EXPECT_FALSE(PathExists(Temp()));
    // So the caller's copy fails and is reported instead of installing an empty file.
    EXPECT_EQ(CopyFileOver(Temp(), destination), 2u);
}

TEST_F(ExpandTest, SourceHeldOpenByAnotherProgramLeavesNoTemporaryFile) {
    std::string compressed = Source("README.TX_", "README.TX_");
    LockedFile lock(compressed);
    ASSERT_TRUE(lock.IsLocked());
    ExpandCompressedFile(compressed, folder_ + "APP\\README.TXT");
    EXPECT_FALSE(PathExists(Temp()));
}

// ---- Replacement at restart ----

class ReplaceTest : public ExpandTest {
protected:
    void SetUp() override {
        ExpandTest::SetUp();
        g_state.WindowsFolder = folder_ + "WIN\\";
        ForceFolders(g_state.WindowsFolder);
        newFile_ = folder_ + "NEW.DLL";
        ASSERT_TRUE(MakeFile(newFile_, "new contents"));
    }
    void TearDown() override {
        RemovePendingRenames("sys_expand");
        ExpandTest::TearDown();
    }
    bool HasPair(const std::string& from, const std::string& to) {
        std::vector<std::string> pending = PendingRenames();
        for (size_t i = 0; i + 1 < pending.size(); i += 2)
            if (pending[i] == "\\??\\" + from && pending[i + 1] == "!\\??\\" + to) return true;
        return false;
    }
    std::string newFile_;
};

TEST_F(ReplaceTest, NTSchedulesTwoFilesWithNumberedTemporaries) {
    g_state.PlatformKind = "NT";
    std::string first = folder_ + "APP\\IN USE 1.DLL";
    std::string second = folder_ + "APP\\INUSE2.DLL";
    ASSERT_TRUE(ForceFolders(folder_ + "APP\\"));
    ASSERT_TRUE(MakeFile(first, "old"));
    ASSERT_TRUE(MakeFile(second, "old"));
    LockedFile lock1(first), lock2(second);
    MessageBoxRecorder boxes;
    EXPECT_TRUE(ReplaceFileAtRestart(newFile_, first));
    EXPECT_TRUE(ReplaceFileAtRestart(newFile_, second));
    std::string temp1 = g_state.WindowsFolder + "OVTMP1.TMP", temp2 = g_state.WindowsFolder + "OVTMP2.TMP";
    EXPECT_EQ(FileBytes(temp1), "new contents");
    EXPECT_EQ(FileBytes(temp2), "new contents");
    EXPECT_TRUE(HasPair(temp1, first));
    EXPECT_TRUE(HasPair(temp2, second));
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_FALSE(PathExists(g_state.WindowsFolder + "WININIT.INI"));
}

TEST_F(ReplaceTest, TakesTheFirstFreeNumber) {
    g_state.PlatformKind = "";
    ASSERT_TRUE(MakeFile(g_state.WindowsFolder + "OVTMP1.TMP", "someone else's"));
    ASSERT_TRUE(ForceFolders(g_state.WindowsFolder + "OVTMP2.TMP\\"));
    EXPECT_EQ(NextReplacementName(), g_state.WindowsFolder + "OVTMP3.TMP");
    EXPECT_TRUE(ReplaceFileAtRestart(newFile_, folder_ + "X.DLL"));
    EXPECT_EQ(FileBytes(g_state.WindowsFolder + "OVTMP1.TMP"), "someone else's");
    EXPECT_EQ(FileBytes(g_state.WindowsFolder + "OVTMP3.TMP"), "new contents");
}

TEST_F(ReplaceTest, EmptyPlatformKindCopiesButSchedulesNothing) {
    g_state.PlatformKind = "";
    std::vector<std::string> before = PendingRenames();
    EXPECT_TRUE(ReplaceFileAtRestart(newFile_, folder_ + "X.DLL"));
    EXPECT_EQ(FileBytes(g_state.WindowsFolder + "OVTMP1.TMP"), "new contents");
    EXPECT_EQ(PendingRenames(), before);
    EXPECT_FALSE(PathExists(g_state.WindowsFolder + "WININIT.INI"));
}

TEST_F(ReplaceTest, Windows9xWritesARenameEntryWithShortNames) {
    g_state.PlatformKind = "notNT";
    std::string destination = folder_ + "Long Folder Name\\Shared Library.dll";
    ASSERT_TRUE(ForceFolders(folder_ + "Long Folder Name\\"));
    ASSERT_TRUE(MakeFile(destination, "old"));
    std::vector<std::string> before = PendingRenames();
    EXPECT_TRUE(ReplaceFileAtRestart(newFile_, destination));
    std::string temp = g_state.WindowsFolder + "OVTMP1.TMP";
    std::string shortDestination = ShortPathOf(destination);
    ASSERT_NE(shortDestination, destination);
    EXPECT_EQ(ReadIniValue("Rename", shortDestination, "", g_state.WindowsFolder + "WININIT.INI"), ShortPathOf(temp));
    EXPECT_EQ(PendingRenames(), before);
}

TEST_F(ReplaceTest, MissingSourceSchedulesNothing) {
    g_state.PlatformKind = "NT";
    std::string destination = folder_ + "X.DLL";
    ASSERT_TRUE(MakeFile(destination, "old"));
    EXPECT_FALSE(ReplaceFileAtRestart(folder_ + "GONE.DLL", destination));
    EXPECT_FALSE(PathExists(g_state.WindowsFolder + "OVTMP1.TMP"));
    for (const std::string& entry : PendingRenames()) EXPECT_EQ(entry.find("sys_expand"), std::string::npos);
}

// ---- Free space ----

ULONGLONG SystemFreeBytes(const char* root) {
    ULARGE_INTEGER toCaller = {}, total = {}, free = {};
    GetDiskFreeSpaceExA(root, &toCaller, &total, &free);
    return toCaller.QuadPart;
}

// A drive letter that is not mapped in the prefix.
std::string UnusedDrive() {
    DWORD drives = GetLogicalDrives();
    for (char letter = 'Q'; letter <= 'Y'; ++letter)
        if ((drives & (1u << (letter - 'A'))) == 0) return std::string(1, letter) + ":";
    return "";
}

TEST(DiskSpaceTest, ExtendedCallGivesTheBytesFreeToTheUser) {
    long long bytes = 0;
    ASSERT_TRUE(DiskFreeBytesEx("C:", bytes));
    long long system = static_cast<long long>(SystemFreeBytes("C:\\"));
    EXPECT_GT(bytes, 0);
    // Other programs write to the same disk meanwhile.
    EXPECT_LT(std::llabs(bytes - system), 512LL * 1024 * 1024);
    long long withBackslash = 0;
    EXPECT_TRUE(DiskFreeBytesEx("C:\\", withBackslash));
    EXPECT_LT(std::llabs(withBackslash - system), 512LL * 1024 * 1024);
}

TEST(DiskSpaceTest, ClassicCallMultipliesClustersAndSectors) {
    long long bytes = 0;
    ASSERT_TRUE(DiskFreeBytesClassic("C:", bytes));
    DWORD sectors = 0, sectorBytes = 0, freeClusters = 0, clusters = 0;
    ASSERT_TRUE(GetDiskFreeSpaceA("C:\\", &sectors, &sectorBytes, &freeClusters, &clusters));
    long long expected = static_cast<long long>(sectors) * sectorBytes * freeClusters;
    EXPECT_GT(bytes, 0);
    EXPECT_LT(std::llabs(bytes - expected), 512LL * 1024 * 1024);
}

TEST(DiskSpaceTest, MissingDriveGivesMinusOneFromBothCalls) {
    std::string drive = UnusedDrive();
    ASSERT_FALSE(drive.empty());
    long long bytes = 0;
    EXPECT_FALSE(DiskFreeBytesEx(drive, bytes));
    EXPECT_EQ(bytes, -1);
    bytes = 0;
    EXPECT_FALSE(DiskFreeBytesClassic(drive, bytes));
    EXPECT_EQ(bytes, -1);
    bytes = 0;
    EXPECT_FALSE(DiskFreeBytes(drive, bytes));
    EXPECT_EQ(bytes, -1);
    EXPECT_TRUE(DiskFreeBytes("C:", bytes));
    EXPECT_GT(bytes, 0);
}

}  // namespace
