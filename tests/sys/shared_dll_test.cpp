// Shared-file counts in the registry and self-registration of COM servers.
#include "sys/shared_dll.h"

#include <gtest/gtest.h>

#include "core/state.h"
#include "edge/fileops.h"
#include "support/test_env.h"
#include "sys/error_text.h"
#include "sys_helpers.h"

namespace {

const char* const kCountsKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
const char* const kTraceKey = "Software\\OrvantTest\\ComServer";

class SharedCountTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        folder_ = ScratchFolder("sys_counts");
    }
    void TearDown() override {
        for (const std::string& name : used_) RawDeleteValue(HKEY_LOCAL_MACHINE, kCountsKey, name);
        RemoveTree(folder_);
    }
    // A path used as a value name; removed from the counts afterwards.
    std::string Path(const std::string& name) {
        used_.push_back(folder_ + name);
        return used_.back();
    }
    DWORD Stored(const std::string& path) {
        DWORD value = 0xDEADBEEF;
        RawGetDword(HKEY_LOCAL_MACHINE, kCountsKey, path, value);
        return value;
    }
    bool HasValue(const std::string& path) {
        DWORD type = 0;
        std::string data;
        return RawGetValue(HKEY_LOCAL_MACHINE, kCountsKey, path, type, data);
    }

    std::string folder_;
    std::vector<std::string> used_;
};

TEST_F(SharedCountTest, RaisingCountsAnExistingUncountedFileAsOneEarlierUser) {
    MessageBoxRecorder boxes;
    std::string fresh = Path("NEW.DLL");  // not on the disk
    EXPECT_EQ(ChangeSharedCount(fresh, true), 1);
    EXPECT_EQ(Stored(fresh), 1u);

    std::string present = Path("OLD.DLL");
    ASSERT_TRUE(MakeFile(present));
    EXPECT_EQ(ChangeSharedCount(present, true), 2);
    EXPECT_EQ(Stored(present), 2u);

    std::string counted = Path("THREE.DLL");
    ASSERT_TRUE(MakeFile(counted));
    ASSERT_TRUE(RawSetDword(HKEY_LOCAL_MACHINE, kCountsKey, counted, 3));
    EXPECT_EQ(ChangeSharedCount(counted, true), 4);
    EXPECT_EQ(Stored(counted), 4u);
    EXPECT_EQ(GetSharedCount(counted), 4);
    EXPECT_TRUE(boxes.Boxes().empty());
}

// Counts are unsigned 32-bit values: past the largest signed value they go on counting, and the
// largest value stays (a count wrapping round to 0 would free a file that others still use).
TEST_F(SharedCountTest, LargeCountsNeitherGoNegativeNorWrapToZero) {
    std::string big = Path("BIG.DLL");
    ASSERT_TRUE(RawSetDword(HKEY_LOCAL_MACHINE, kCountsKey, big, 0x7FFFFFFF));
    EXPECT_EQ(ChangeSharedCount(big, true), 0x80000000LL);
    EXPECT_EQ(Stored(big), 0x80000000u);
    EXPECT_EQ(GetSharedCount(big), 0x80000000LL);
    EXPECT_EQ(ChangeSharedCount(big, false), 0x7FFFFFFFLL);
    EXPECT_EQ(Stored(big), 0x7FFFFFFFu);

    std::string full = Path("FULL.DLL");
    ASSERT_TRUE(RawSetDword(HKEY_LOCAL_MACHINE, kCountsKey, full, 0xFFFFFFFF));
    EXPECT_EQ(ChangeSharedCount(full, true), 0xFFFFFFFFLL);
    EXPECT_EQ(Stored(full), 0xFFFFFFFFu);
    EXPECT_EQ(ChangeSharedCount(full, false), 0xFFFFFFFELL);
}

TEST_F(SharedCountTest, LoweringToZeroDeletesTheValue) {
    std::string one = Path("ONE.DLL");
    ASSERT_TRUE(RawSetDword(HKEY_LOCAL_MACHINE, kCountsKey, one, 1));
    EXPECT_EQ(ChangeSharedCount(one, false), 0);
    EXPECT_FALSE(HasValue(one));

    std::string two = Path("TWO.DLL");
    ASSERT_TRUE(RawSetDword(HKEY_LOCAL_MACHINE, kCountsKey, two, 2));
    EXPECT_EQ(ChangeSharedCount(two, false), 1);
    EXPECT_EQ(Stored(two), 1u);

    // A stored 0 goes below zero; nothing remains stored.
    std::string zero = Path("ZERO.DLL");
    ASSERT_TRUE(RawSetDword(HKEY_LOCAL_MACHINE, kCountsKey, zero, 0));
    EXPECT_EQ(ChangeSharedCount(zero, false), -1);
    EXPECT_FALSE(HasValue(zero));
    MessageBoxRecorder boxes;
    EXPECT_EQ(ChangeSharedCount(Path("NEVER.DLL"), false), -1);  // nothing to delete is no failure
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(SharedCountTest, MissingOrMistypedValuesCountAsZero) {
    std::string text = Path("TEXT.DLL");
    ASSERT_TRUE(RawSetString(HKEY_LOCAL_MACHINE, kCountsKey, text, "5"));
    EXPECT_EQ(GetSharedCount(text), 0);
    EXPECT_EQ(GetSharedCount(Path("ABSENT.DLL")), 0);
    // Raising replaces the mistyped value by a number.
    EXPECT_EQ(ChangeSharedCount(text, true), 1);
    EXPECT_EQ(Stored(text), 1u);
}

TEST_F(SharedCountTest, ValueNameIsThePathExactlyAsGiven) {
    std::string mixed = Path("Mixed Case Name.Dll");
    EXPECT_EQ(ChangeSharedCount(mixed, true), 1);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kCountsKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    bool found = false;
    for (DWORD index = 0;; ++index) {
        char name[1024];
        DWORD length = sizeof(name);
        if (RegEnumValueA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        if (std::string(name, length) == mixed) found = true;
    }
    RegCloseKey(key);
    EXPECT_TRUE(found);
}

TEST_F(SharedCountTest, CountThatCannotBeStoredIsReportedAndTheRunGoesOn) {
    // The registry refuses value names longer than 16383 characters.
    std::string path = "C:\\" + std::string(20000, 'D') + ".DLL";
    MessageBoxRecorder boxes;
    EXPECT_EQ(ChangeSharedCount(path, true), 1);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, path + "の共有カウントを更新できませんでした。\r\n\r\n" +
                                         SystemErrorText(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(boxes.Boxes()[0].title, "共有DLLカウントエラー");
    EXPECT_EQ(boxes.Boxes()[0].flags, 48u);
    EXPECT_EQ(GetSharedCount(path), 0);
}

TEST(ServerFileTest, ServerExtensionsAnywhereInThePath) {
    EXPECT_TRUE(IsServerFile("C:\\APP\\X.ocx"));
    EXPECT_TRUE(IsServerFile("C:\\APP\\X.DLL"));
    EXPECT_TRUE(IsServerFile("C:\\A.DLLS\\README.TXT"));
    EXPECT_FALSE(IsServerFile("C:\\APP\\X.EXE"));
    EXPECT_FALSE(IsServerFile("C:\\APP\\DLL\\X.TXT"));
    EXPECT_FALSE(IsServerFile(""));
}

class RegisterServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        RawDeleteTree(HKEY_CURRENT_USER, kTraceKey);
        folder_ = ScratchFolder("sys_register");
    }
    void TearDown() override {
        RawDeleteTree(HKEY_CURRENT_USER, kTraceKey);
        RemoveTree(folder_);
    }
    // A copy of a test server in the scratch folder.
    std::string Server(const std::string& name) {
        std::string path = folder_ + name + ".dll";
        EXPECT_EQ(CopyFileOver(SysBinary(name + ".dll"), path), 0u);
        return path;
    }
    DWORD Calls(const std::string& variant, const std::string& value) {
        DWORD count = 0;
        RawGetDword(HKEY_CURRENT_USER, std::string(kTraceKey) + "\\" + variant, value, count);
        return count;
    }
    std::string folder_;
};

TEST_F(RegisterServerTest, RegistersAndUnregistersAndFreesTheLibrary) {
    g_state.SetupMode = "SETUP";
    std::string path = Server("comserver_ok");
    MessageBoxRecorder boxes;
    EXPECT_TRUE(RegisterServer(path, true));
    EXPECT_EQ(Calls("comserver_ok", "RegisterCalls"), 1u);
    EXPECT_EQ(Calls("comserver_ok", "UnregisterCalls"), 0u);
    EXPECT_EQ(GetModuleHandleA(path.c_str()), nullptr);

    EXPECT_FALSE(RegisterServer(path, false));  // unregistering is never a success to report
    EXPECT_EQ(Calls("comserver_ok", "UnregisterCalls"), 1u);
    EXPECT_EQ(Calls("comserver_ok", "RegisterCalls"), 1u);
    EXPECT_EQ(GetModuleHandleA(path.c_str()), nullptr);
    EXPECT_TRUE(boxes.Boxes().empty());
    // The library file is free again: it can be deleted.
    EXPECT_TRUE(DeleteFileA(path.c_str()));
}

// A server that crashes in its entry points takes only its host process down: the program goes
// on, and the crash is reported as a failed registration, and at uninstall too.
TEST_F(RegisterServerTest, CrashingEntryPointIsContainedAndReported) {
    std::string path = Server("comserver_crash");
    for (const char* mode : {"SETUP", "UNSETUP"}) {
        g_state.SetupMode = mode;
        MessageBoxRecorder boxes;
        EXPECT_FALSE(RegisterServer(path, true)) << mode;
        EXPECT_FALSE(RegisterServer(path, false)) << mode;
        std::string seen;
        for (const RecordedBox& box : boxes.Boxes()) seen += "\n" + box.title + ": " + box.text;
        ASSERT_EQ(boxes.Boxes().size(), 2u) << mode << seen;
        EXPECT_EQ(boxes.Boxes()[0].text, path + "のDllRegisterServer関数が失敗しました。");
        EXPECT_EQ(boxes.Boxes()[1].text, path + "のDllUnregisterServer関数が失敗しました。");
        for (const RecordedBox& box : boxes.Boxes()) EXPECT_EQ(box.title, "OCX/DLL登録エラー(Procedure)");
    }
    // Each entry point really ran (and crashed) once per call.
    EXPECT_EQ(Calls("comserver_crash", "RegisterCalls"), 2u);
    EXPECT_EQ(Calls("comserver_crash", "UnregisterCalls"), 2u);
    EXPECT_TRUE(DeleteFileA(path.c_str())) << "no process holds the library any more";
}

TEST_F(RegisterServerTest, FailingEntryPointIsReported) {
    g_state.SetupMode = "SETUP";
    std::string path = Server("comserver_fail");
    MessageBoxRecorder boxes;
    EXPECT_FALSE(RegisterServer(path, true));
    EXPECT_EQ(Calls("comserver_fail", "RegisterCalls"), 1u);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, path + "のDllRegisterServer関数が失敗しました。");
    EXPECT_EQ(boxes.Boxes()[0].title, "OCX/DLL登録エラー(Procedure)");
    EXPECT_EQ(boxes.Boxes()[0].flags, 48u);
    EXPECT_EQ(GetModuleHandleA(path.c_str()), nullptr);

    // A failing unregistration is ignored.
    boxes.Clear();
    EXPECT_FALSE(RegisterServer(path, false));
    EXPECT_EQ(Calls("comserver_fail", "UnregisterCalls"), 1u);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(RegisterServerTest, LibraryWithoutEntryPointsIsReportedOnRegistrationOnly) {
    g_state.SetupMode = "SETUP";
    std::string path = Server("comserver_none");
    MessageBoxRecorder boxes;
    EXPECT_FALSE(RegisterServer(path, true));
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, path + "のDllRegisterServerエントリが見つかりません。");
    EXPECT_EQ(boxes.Boxes()[0].title, "OCX/DLL登録エラー(GetProcAddress)");
    EXPECT_EQ(boxes.Boxes()[0].flags, 48u);
    boxes.Clear();
    EXPECT_FALSE(RegisterServer(path, false));
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(GetModuleHandleA(path.c_str()), nullptr);
}

TEST_F(RegisterServerTest, MissingLibraryIsReportedInInstallModeOnly) {
    std::string path = folder_ + "MISSING.OCX";
    MessageBoxRecorder boxes;
    g_state.SetupMode = "SETUP";
    EXPECT_FALSE(RegisterServer(path, true));
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, path + "の読み込みに失敗しました。");
    EXPECT_EQ(boxes.Boxes()[0].title, "OCX/DLL登録エラー(LoadLibrary)");
    EXPECT_EQ(boxes.Boxes()[0].flags, 48u);

    boxes.Clear();
    g_state.SetupMode = "UNSETUP";
    EXPECT_FALSE(RegisterServer(path, true));
    EXPECT_FALSE(RegisterServer(path, false));
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(RegisterServerTest, ANonLibraryFileIsNotLoadable) {
    g_state.SetupMode = "SETUP";
    std::string path = folder_ + "TEXT.DLL";
    ASSERT_TRUE(MakeFile(path, "not a library"));
    MessageBoxRecorder boxes;
    EXPECT_FALSE(RegisterServer(path, true));
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].title, "OCX/DLL登録エラー(LoadLibrary)");
}

}  // namespace
