// The uninstall log: the one-piece writer against the literal key-by-key writer (byte for byte),
// the take-over of an earlier log, the numbering and merge rules, "Setup Only.", and the helpers
// that read the log back.
#include <gtest/gtest.h>
#include <windows.h>

#include <random>
#include <string>
#include <vector>

#include "base/cp932.h"
#include "edge/fileops.h"
#include "script/ini.h"
#include "base/text.h"
#include "script/uninstall_log.h"
#include "script/uninstall_log_reference.h"
#include "support/test_env.h"

namespace {

// The log is code page 932 on disk: the bytes of a UTF-8 literal there.
std::string Cp932(const std::string& text) {
    std::string bytes;
    EXPECT_TRUE(Utf8ToCp932(text, bytes)) << text;
    return bytes;
}

std::string Shown(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c == '\n') {
            out += "\\n\n";
        } else if (c == '\r') {
            out += "\\r";
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

class UninstallLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = ScratchFolder("unlog");
        app_ = root_ + "App\\";
        reference_ = root_ + "Reference\\";
        work_ = root_ + "OVTMP1\\";
        for (const std::string& folder : {app_, reference_, work_}) CreateDirectoryA(folder.c_str(), nullptr);
    }
    void TearDown() override { RemoveTree(root_); }

    std::string AppLog() const { return app_ + kUninstallLogName; }
    std::string ReferenceLog() const { return reference_ + kUninstallLogName; }

    UninstallLogContent BasicContent() const {
        UninstallLogContent content;
        content.InstallFolder = app_;
        content.UnSetupTitle = "テスト アプリ";
        content.SetupWord = "インストール";
        content.UnSetupWord = "アンインストール";
        content.UninstallKeyPath = UninstallKeyPathOf("テスト アプリ");
        content.ProgramId = "ORVTEST";
        return content;
    }

    // Writes the log both ways, each over the same earlier file (or none), and expects the same
    // bytes; returns them.
    std::string WriteBothWays(const UninstallLogContent& content, const std::string* earlier = nullptr) {
        if (earlier) {
            WriteTextFile(AppLog(), *earlier);
            WriteTextFile(ReferenceLog(), *earlier);
            FlushIniCache(AppLog());
            FlushIniCache(ReferenceLog());
        }
        EXPECT_EQ(WriteUninstallLog(content, AppLog()), 0u);
        EXPECT_EQ(WriteUninstallLogKeyByKey(content, ReferenceLog()), 0u);
        std::string fast = ReadTextFile(AppLog());
        EXPECT_EQ(Shown(fast), Shown(ReadTextFile(ReferenceLog())));
        return fast;
    }

    std::string root_, app_, reference_, work_;
};

TEST_F(UninstallLogTest, NewInstallWritesEverySectionInOrder) {
    UninstallLogContent content = BasicContent();
    content.Lists.FolderLog.Append(app_ + "Data\\");
    content.Lists.FolderLog.Append(app_ + "ポスト\\");
    content.Lists.FileLog.Append(app_ + "APP.EXE");
    content.Lists.FileLog.Append(app_ + "SHARED.DLL,/S");
    content.Lists.FileLog.Append(app_ + "ポスト\\表.TXT,/W");
    content.Lists.FileLog.Append(app_ + "UNSETUP.INI");
    content.Lists.ShortcutLog.Append("C:\\users\\me\\Desktop\\テスト.lnk");
    content.Lists.RegistryLog.Append("(Local)SOFTWARE\\Orvant\\Test");
    content.Lists.RegistryLog.Append("Software\\Orvant\\Test");
    content.Lists.AddDeleteLog.Append(app_ + "USER.DAT,/C");
    content.RestoreRelateKeys[0] = "tst,";
    content.RestoreRelateKeys[2] = "txt,txtfile";
    content.UnSetupOption = "1,0,1,0";

    std::string expected =
        "[Information]\r\n"
        "Message1=Orvant Setup Nova UnSetup(UnInstall) Initialize File\r\n"
        "Message2=！！！　警告　！！！\r\n"
        "Message3=このファイルをエディタなどで書き換えたり、削除しないでください。\r\n"
        "Message4=書き換えた場合、アンインストール動作の保証はできません。\r\n"
        "[Title]\r\nUnSetup=テスト アプリ\r\n"
        "[SetupFolder]\r\nFolder=" + app_ + "\r\n"
        "[DeleteFolder]\r\nFolder1=" + app_ + "Data\\\r\nFolder2=" + app_ + "ポスト\\\r\n"
        "[DeleteFile]\r\nFile1=" + app_ + "APP.EXE\r\nFile2=" + app_ + "SHARED.DLL,/S\r\n"
        "File3=" + app_ + "ポスト\\表.TXT,/W\r\nFile4=" + app_ + "UNSETUP.INI\r\n"
        "[DeleteShortCut]\r\nFile1=C:\\users\\me\\Desktop\\テスト.lnk\r\n"
        "[DeleteRegistry]\r\nKey1=(Local)SOFTWARE\\Orvant\\Test\r\nKey2=Software\\Orvant\\Test\r\n"
        "[AddDeleteFile]\r\nFile1=" + app_ + "USER.DAT,/C\r\n"
        "[RestoreRelate]\r\nKey1=tst,\r\nKey3=txt,txtfile\r\n"
        "[UnSetupOption]\r\nCheckBox=1,0,1,0\r\n"
        "[Extend]\r\nSetupString=インストール\r\nUnSetupString=アンインストール\r\n"
        "[UnSetupRegistryKey]\r\nKey=SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\テスト アプリ\r\n"
        "[ProgramID]\r\nID=ORVTEST\r\n"
        "[Platform]\r\nBits=" + std::string(sizeof(void*) == 8 ? "64" : "32") + "\r\n";
    EXPECT_EQ(Shown(WriteBothWays(content)), Shown(Cp932(expected)));
    // A record without a previous file type keeps its comma when read back.
    EXPECT_EQ(ReadIniValue("RestoreRelate", "Key1", "", AppLog()), "tst,");
}

TEST_F(UninstallLogTest, MinimalLogSkipsEmptyListsAndOptionButKeepsAnEmptyProgramId) {
    UninstallLogContent content = BasicContent();
    content.ProgramId.clear();
    content.SetupWord = "セットアップ";
    content.UnSetupWord = "削除";
    std::string log = WriteBothWays(content);
    EXPECT_NE(log.find(Cp932("Message4=書き換えた場合、削除動作の保証はできません。\r\n")), std::string::npos);
    EXPECT_EQ(log.find("[DeleteFile]"), std::string::npos);
    EXPECT_EQ(log.find("[UnSetupOption]"), std::string::npos);
    EXPECT_EQ(log.find("[RestoreRelate]"), std::string::npos);
    EXPECT_NE(log.find(Cp932("[Extend]\r\nSetupString=セットアップ\r\nUnSetupString=削除\r\n")), std::string::npos);
    EXPECT_NE(log.find("[ProgramID]\r\nID=\r\n[Platform]\r\n"), std::string::npos);
}

TEST_F(UninstallLogTest, SamePathInOneListKeepsItsFirstNumber) {
    UninstallLogContent content = BasicContent();
    content.Lists.FileLog.Append(app_ + "README.TXT");
    content.Lists.FileLog.Append(app_ + "APP.EXE");
    content.Lists.FileLog.Append(app_ + "readme.txt,/C");  // the same file, later and in other case
    content.Lists.FolderLog.Append(app_ + "Data\\");
    content.Lists.FolderLog.Append(app_ + "DATA\\");
    std::string log = WriteBothWays(content);
    EXPECT_NE(log.find("[DeleteFile]\r\nFile1=" + app_ + "readme.txt,/C\r\nFile2=" + app_ + "APP.EXE\r\n["),
              std::string::npos)
        << Shown(log);
    EXPECT_NE(log.find("[DeleteFolder]\r\nFolder1=" + app_ + "DATA\\\r\n["), std::string::npos) << Shown(log);
}

TEST_F(UninstallLogTest, ReinstallTakesOverTheEarlierLogAndMergesIt) {
    UninstallLogContent first = BasicContent();
    first.Lists.FolderLog.Append(app_ + "Data\\");
    first.Lists.FileLog.Append(app_ + "APP.EXE");
    first.Lists.FileLog.Append("C:\\windows\\system32\\ORVSHARE.DLL,/S");
    first.Lists.FileLog.Append("C:\\windows\\system32\\ORVCTL.OCX,/S/R");
    first.Lists.FileLog.Append(app_ + "OLD.TXT");
    first.Lists.FileLog.Append(app_ + "UNSETUP.INI");
    first.Lists.ShortcutLog.Append("C:\\users\\me\\Desktop\\テスト.lnk");
    first.Lists.RegistryLog.Append("(Local)SOFTWARE\\Orvant\\Test");
    first.RestoreRelateKeys[0] = "tst,txtfile";
    ASSERT_EQ(WriteUninstallLog(first, AppLog()), 0u);
    std::string earlier = ReadTextFile(AppLog());

    UninstallLogContent second = BasicContent();
    TakeOverEarlierLog(AppLog(), work_ + kUninstallLogBackupName, second.RestoreRelateKeys, second.Lists);
    EXPECT_EQ(ReadTextFile(work_ + kUninstallLogBackupName), earlier);
    EXPECT_EQ(ReadTextFile(AppLog()), earlier);
    EXPECT_EQ(second.Lists.FileLog.Size(), 5u);
    EXPECT_EQ(second.RestoreRelateKeys[0], "tst,txtfile");

    // The second install: some files again (without the shared flag, in another case), new ones.
    second.Lists.FolderLog.Append(app_ + "Data\\");
    second.Lists.FolderLog.Append(app_ + "Plugins\\");
    second.Lists.FileLog.Append(app_ + "app.exe");
    second.Lists.FileLog.Append("C:\\WINDOWS\\SYSTEM32\\orvshare.dll");
    second.Lists.FileLog.Append("C:\\windows\\system32\\ORVCTL.OCX,/R");
    second.Lists.FileLog.Append(app_ + "NEW.DLL,/S");
    second.Lists.FileLog.Append(app_ + "UNSETUP.INI");
    second.Lists.RegistryLog.Append("(Local)SOFTWARE\\Orvant\\Test");
    MergeRestoreRelate(second.RestoreRelateKeys, "tst,Orvant.Test");  // a later take-over of .tst
    std::string log = WriteBothWays(second, &earlier);

    // Each path once; entries carried over keep their numbers; "/S" is never lost.
    std::string expectedFiles = "[DeleteFile]\r\nFile1=" + app_ + "app.exe\r\n"
                                "File2=C:\\WINDOWS\\SYSTEM32\\orvshare.dll,/S\r\n"
                                "File3=C:\\windows\\system32\\ORVCTL.OCX,/R/S\r\n"
                                "File4=" + app_ + "OLD.TXT\r\n"
                                "File5=" + app_ + "UNSETUP.INI\r\n"
                                "File6=" + app_ + "NEW.DLL,/S\r\n[";
    EXPECT_NE(log.find(expectedFiles), std::string::npos) << Shown(log);
    EXPECT_NE(log.find("[DeleteFolder]\r\nFolder1=" + app_ + "Data\\\r\nFolder2=" + app_ + "Plugins\\\r\n["),
              std::string::npos);
    EXPECT_NE(log.find("[DeleteRegistry]\r\nKey1=(Local)SOFTWARE\\Orvant\\Test\r\n["), std::string::npos);
    EXPECT_NE(log.find("[RestoreRelate]\r\nKey1=tst,txtfile\r\n["), std::string::npos);
}

TEST_F(UninstallLogTest, SharedMarkIsCarriedOverWithOrWithoutAnOptionsField) {
    std::string earlier = "[DeleteFile]\r\nFile1=C:\\S\\A.DLL,/S\r\nFile2=C:\\S\\B.DLL,/R/S\r\n"
                          "File3=C:\\S\\C.DLL,/s\r\nFile4=C:\\S\\D.DLL,x/S\r\nFile5=C:\\S\\E.DLL,/S\r\n"
                          "File6=C:\\S\\F.DLL\r\n";
    ASSERT_TRUE(WriteTextFile(AppLog(), earlier));
    UninstallLogContent content = BasicContent();
    TakeOverEarlierLog(AppLog(), work_ + kUninstallLogBackupName, content.RestoreRelateKeys, content.Lists);
    content.Lists.FileLog.Append("c:\\s\\a.dll");       // no field: ",/S"
    content.Lists.FileLog.Append("C:\\S\\B.DLL,/R");    // has ",/": "/S"
    content.Lists.FileLog.Append("C:\\S\\C.DLL,/W");    // "/s" counts in any case
    content.Lists.FileLog.Append("C:\\S\\D.DLL,x");     // a field without ",/": ",/S"
    content.Lists.FileLog.Append("C:\\S\\E.DLL,/s/W");  // already marked: unchanged
    content.Lists.FileLog.Append("C:\\S\\F.DLL,/S");    // newly shared
    std::string log = WriteBothWays(content, &earlier);
    std::string expected = "[DeleteFile]\r\nFile1=c:\\s\\a.dll,/S\r\nFile2=C:\\S\\B.DLL,/R/S\r\n"
                           "File3=C:\\S\\C.DLL,/W/S\r\nFile4=C:\\S\\D.DLL,x,/S\r\nFile5=C:\\S\\E.DLL,/s/W\r\n"
                           "File6=C:\\S\\F.DLL,/S\r\n[";
    EXPECT_NE(log.find(expected), std::string::npos) << Shown(log);
}

TEST_F(UninstallLogTest, AGapInTheEarlierLogEndsWhatIsTakenOver) {
    std::string earlier = "[DeleteFile]\r\nFile1=C:\\A\\ONE.TXT\r\nFile2=C:\\A\\TWO.TXT\r\nFile4=C:\\A\\FOUR.TXT\r\n"
                          "[DeleteFolder]\r\nFolder2=C:\\A\\Lost\\\r\n"
                          "[AddDeleteFile]\r\nFile1=C:\\A\\X.DAT\r\nFile2=\r\nFile3=C:\\A\\Y.DAT\r\n";
    ASSERT_TRUE(WriteTextFile(AppLog(), earlier));
    UninstallLogContent content = BasicContent();
    TakeOverEarlierLog(AppLog(), work_ + kUninstallLogBackupName, content.RestoreRelateKeys, content.Lists);
    EXPECT_EQ(content.Lists.FileLog.Text(), "C:\\A\\ONE.TXT|C:\\A\\TWO.TXT|");
    EXPECT_TRUE(content.Lists.FolderLog.Empty());
    EXPECT_EQ(content.Lists.AddDeleteLog.Text(), "C:\\A\\X.DAT|");
    content.Lists.FileLog.Append("C:\\A\\THREE.TXT");
    content.Lists.FileLog.Append("C:\\A\\FOUR.TXT");
    std::string log = WriteBothWays(content, &earlier);
    EXPECT_NE(log.find("[DeleteFile]\r\nFile1=C:\\A\\ONE.TXT\r\nFile2=C:\\A\\TWO.TXT\r\nFile3=C:\\A\\THREE.TXT\r\n"
                       "File4=C:\\A\\FOUR.TXT\r\n["),
              std::string::npos)
        << Shown(log);
    EXPECT_EQ(log.find("Lost"), std::string::npos);
    EXPECT_EQ(log.find("Y.DAT"), std::string::npos);
}

TEST_F(UninstallLogTest, SetupOnlyWritesNothingAndKeepsAnEarlierLog) {
    UninstallLogContent content = BasicContent();
    content.UnSetupTitle = "Orvant setup ONLY. Edition";
    content.Lists.FileLog.Append(app_ + "APP.EXE");
    EXPECT_TRUE(IsSetupOnly(content.UnSetupTitle));
    EXPECT_FALSE(IsSetupOnly("Setup Only"));

    EXPECT_EQ(WriteUninstallLog(content, AppLog()), 0u);
    EXPECT_EQ(WriteUninstallLogKeyByKey(content, ReferenceLog()), 0u);
    EXPECT_FALSE(FileExists(AppLog()));
    EXPECT_FALSE(FileExists(ReferenceLog()));

    std::string earlier = "[Title]\r\nUnSetup=Old\r\n\r\n; kept as it is\r\n";
    ASSERT_TRUE(WriteTextFile(AppLog(), earlier));
    ASSERT_TRUE(WriteTextFile(ReferenceLog(), earlier));
    EXPECT_EQ(WriteUninstallLog(content, AppLog()), 0u);
    EXPECT_EQ(WriteUninstallLogKeyByKey(content, ReferenceLog()), 0u);
    EXPECT_EQ(ReadTextFile(AppLog()), earlier);
    EXPECT_EQ(ReadTextFile(ReferenceLog()), earlier);
}

TEST_F(UninstallLogTest, RestoreRelateRecordsAreTakenOverOncePerExtension) {
    std::string earlier = "[RestoreRelate]\r\nKey1=txt,txtfile\r\nKey3=TXT,Orvant.Text\r\nKey4=shtm,shtmlfile\r\n"
                          "Key5=htm,\r\nKey7=doc,Word.Document\r\nKey20=ini,inifile\r\nKey21=bat,batfile\r\n";
    ASSERT_TRUE(WriteTextFile(AppLog(), earlier));
    UninstallLogContent content = BasicContent();
    TakeOverEarlierLog(AppLog(), work_ + kUninstallLogBackupName, content.RestoreRelateKeys, content.Lists);
    RestoreRelateSlots expected{"txt,txtfile", "shtm,shtmlfile", "htm,", "doc,Word.Document", "ini,inifile"};
    EXPECT_EQ(content.RestoreRelateKeys, expected);

    std::string log = WriteBothWays(content, &earlier);
    EXPECT_NE(log.find("[RestoreRelate]\r\nKey1=txt,txtfile\r\nKey2=shtm,shtmlfile\r\nKey3=htm,\r\n"
                       "Key4=doc,Word.Document\r\nKey5=ini,inifile\r\n["),
              std::string::npos)
        << Shown(log);
}

TEST_F(UninstallLogTest, RestoreRelateSlotsFillFromTheFrontAndDropWhatDoesNotFit) {
    RestoreRelateSlots slots{};
    for (int n = 1; n <= 20; ++n) EXPECT_TRUE(MergeRestoreRelate(slots, std::string("e").append(std::to_string(n)).append(",type")));
    EXPECT_FALSE(MergeRestoreRelate(slots, "e21,type"));
    EXPECT_FALSE(MergeRestoreRelate(slots, "E5,other"));
    EXPECT_FALSE(MergeRestoreRelate(slots, ""));
    EXPECT_EQ(slots[19], "e20,type");

    RestoreRelateSlots gap{};
    gap[1] = "abc,x";
    EXPECT_TRUE(MergeRestoreRelate(gap, "abc,y"));  // the first empty slot comes before the record
    EXPECT_EQ(gap[0], "abc,y");
}

TEST_F(UninstallLogTest, UnusualItemsAreNumberedAsTheKeyByKeyWritesNumberThem) {
    UninstallLogContent content = BasicContent();
    content.Lists.FileLog.Append("\"C:\\Q\\QUOTED.TXT\"");
    content.Lists.FileLog.Append("\"C:\\Q\\QUOTED.TXT\"");
    content.Lists.FileLog.Append("C:\\Q\\QUOTED.TXT");
    content.Lists.FileLog.Append("C:\\Q\\TRAIL.TXT   ");
    content.Lists.FileLog.Append("C:\\Q\\TRAIL.TXT");
    content.Lists.FileLog.Append("");
    content.Lists.FileLog.Append(",/S");
    content.Lists.FileLog.Append("C:\\Q\\AFTER.TXT");
    content.Lists.FileLog.Append("   C:\\Q\\LEAD.TXT");
    content.Lists.FileLog.Append("C:\\Q\\ポ|ソ\\表.TXT");
    content.Lists.FileLog.Append("C:\\Q\\ポ|ソ\\表.txt,/C");
    content.Lists.ShortcutLog.Append("C:\\Q\\A=B.lnk");
    content.Lists.ShortcutLog.Append("C:\\Q\\[X].lnk");
    content.Lists.RegistryLog.Append("'(Class)Quoted'");
    std::string log = WriteBothWays(content);
    // A path whose characters hold the byte of "|" (ポ) stays one entry.
    EXPECT_NE(log.find(Cp932("=C:\\Q\\ポ|ソ\\表.txt,/C\r\n")), std::string::npos) << Shown(log);
}

TEST_F(UninstallLogTest, ManyEntriesMatchTheKeyByKeyWriter) {
    UninstallLogContent first = BasicContent();
    for (int n = 1; n <= 60; ++n) first.Lists.FileLog.Append(app_ + "F" + std::to_string(n) + (n % 7 ? "" : ".DLL,/S"));
    for (int n = 1; n <= 10; ++n) first.Lists.FolderLog.Append(app_ + "D" + std::to_string(n) + "\\");
    std::string earlier = WriteBothWays(first);

    UninstallLogContent second = BasicContent();
    TakeOverEarlierLog(AppLog(), work_ + kUninstallLogBackupName, second.RestoreRelateKeys, second.Lists);
    for (int n = 70; n >= 1; n -= 3) second.Lists.FileLog.Append(app_ + "f" + std::to_string(n) + (n % 7 ? "" : ".dll"));
    for (int n = 12; n >= 1; n -= 2) second.Lists.FolderLog.Append(app_ + "d" + std::to_string(n) + "\\");
    WriteBothWays(second, &earlier);
}

TEST_F(UninstallLogTest, RandomReinstallsMatchTheKeyByKeyWriter) {
    static const std::vector<std::string> paths{"C:\\R\\A.TXT", "c:\\r\\a.txt", "C:\\R\\B.DLL", "C:\\R\\表.TXT",
                                                "C:\\R\\ポ.DLL", "C:\\R\\C.OCX", "C:\\R\\Sub\\", "C:\\R\\sub\\"};
    static const std::vector<std::string> options{"", ",/S", ",/s/R", ",/W", ",x", ",/C/S", ",/L"};
    std::mt19937 random(31);
    auto pick = [&random](const std::vector<std::string>& list) {
        return list[std::uniform_int_distribution<size_t>(0, list.size() - 1)(random)];
    };
    std::string earlier;
    for (int round = 0; round < 6; ++round) {
        UninstallLogContent content = BasicContent();
        if (!earlier.empty()) {
            ASSERT_TRUE(WriteTextFile(AppLog(), earlier));
            FlushIniCache(AppLog());
            TakeOverEarlierLog(AppLog(), work_ + kUninstallLogBackupName, content.RestoreRelateKeys, content.Lists);
        }
        for (int n = 0; n < 12; ++n) {
            content.Lists.FileLog.Append(pick(paths) + pick(options));
            content.Lists.AddDeleteLog.Append(pick(paths) + pick(options));
            content.Lists.FolderLog.Append(pick(paths));
        }
        MergeRestoreRelate(content.RestoreRelateKeys, pick({"txt,", "TXT,txtfile", "dll,x", "ocx,"}));
        earlier = WriteBothWays(content, earlier.empty() ? nullptr : &earlier);
        if (HasFailure()) return;
    }
}

TEST_F(UninstallLogTest, LogSlotFindsTheSamePathOrTheFirstFreeNumber) {
    std::string file = root_ + "SLOTS.INI";
    std::string text = "[DeleteFile]\r\nFile1=C:\\A.TXT,/S\r\nFile2=,/C\r\nFile3=\"C:\\Q.TXT\"\r\nFile4=C:\\表.TXT\r\n"
                       "File5=\r\nFile6=C:\\LATE.TXT\r\n[Other]\r\nFile1=C:\\B.TXT\r\n";
    ASSERT_TRUE(WriteTextFile(file, Cp932(text)));
    FlushIniCache(file);
    IniDocument log;
    ASSERT_TRUE(log.Load(file));
    for (const char* item : {"c:\\a.txt", "C:\\A.TXT,/W", ",x", "", "C:\\Q.TXT", "\"C:\\Q.TXT\"",
                                    "C:\\表.txt", "C:\\LATE.TXT", "C:\\B.TXT", "C:\\NEW.TXT"}) {
        EXPECT_EQ(LogSlot(item, "DeleteFile", "File", log), ReferenceLogSlot(item, "DeleteFile", "File", file))
            << item;
    }
    EXPECT_EQ(LogSlot("C:\\a.txt", "DeleteFile", "File", log), 1);
    EXPECT_EQ(LogSlot("C:\\LATE.TXT", "DeleteFile", "File", log), 5);
    EXPECT_EQ(LogSlot("C:\\B.TXT", "other", "file", log), 1);
    EXPECT_EQ(LogSlot("C:\\X.TXT", "Missing", "Key", log), 1);
}

TEST_F(UninstallLogTest, WithoutAnEarlierLogNothingIsTakenOver) {
    UninstallLogContent content = BasicContent();
    content.RestoreRelateKeys[0] = "abc,";
    TakeOverEarlierLog(AppLog(), work_ + kUninstallLogBackupName, content.RestoreRelateKeys, content.Lists);
    EXPECT_FALSE(FileExists(work_ + kUninstallLogBackupName));
    EXPECT_TRUE(content.Lists.FileLog.Empty());
    EXPECT_TRUE(content.Lists.FolderLog.Empty());
    EXPECT_EQ(content.RestoreRelateKeys[0], "abc,");
    EXPECT_EQ(content.RestoreRelateKeys[1], "");
}

TEST_F(UninstallLogTest, AWriteReplacesACachedEarlierLogCompletely) {
    std::string earlier = "[Title]\r\nUnSetup=Old\r\n[DeleteFile]\r\nFile1=C:\\OLD.TXT\r\nFile2=C:\\OLD2.TXT\r\n";
    ASSERT_TRUE(WriteTextFile(AppLog(), earlier));
    EXPECT_EQ(ReferenceLogValue("DeleteFile", "File2", "", AppLog()), "C:\\OLD2.TXT");  // now cached
    UninstallLogContent content = BasicContent();
    content.Lists.FileLog.Append("C:\\NEW.TXT");
    std::string log = WriteBothWays(content, &earlier);
    EXPECT_EQ(log.find("OLD"), std::string::npos);
    EXPECT_EQ(ReferenceLogValue("DeleteFile", "File2", "absent", AppLog()), "absent");
    EXPECT_EQ(ReferenceLogValue("DeleteFile", "File1", "", AppLog()), "C:\\NEW.TXT");
    EXPECT_EQ(ReadIniValue("DeleteFile", "File2", "absent", AppLog()), "absent");
    // A log that cannot be written is reported by its error code.
    EXPECT_EQ(WriteUninstallLog(content, root_ + "Missing\\UNSETUP.INI"), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST(UninstallLogReading, NumberedListsStopAtTheFirstEmptyValue) {
    IniDocument log;
    log.LoadBytes("[DeleteFile]\r\nFile1=C:\\A.TXT,/S/C\r\nFile2=C:\\B.TXT\r\nFile4=C:\\D.TXT\r\n"
                  "[DeleteFolder]\r\nFolder1=C:\\A\\\r\nFolder2= \r\nFolder3=C:\\C\\\r\n");
    EXPECT_EQ(ReadNumberedList(log, kFileList), (std::vector<std::string>{"C:\\A.TXT,/S/C", "C:\\B.TXT"}));
    EXPECT_EQ(ReadNumberedList(log, kFolderList), (std::vector<std::string>{"C:\\A\\"}));
    EXPECT_TRUE(ReadNumberedList(log, kShortcutList).empty());
}

TEST(UninstallLogReading, EntriesSplitIntoPathAndOptions) {
    LogEntry entry = SplitLogEntry("C:\\表\\A.DLL,/s/c,ignored");
    EXPECT_EQ(entry.Path, "C:\\表\\A.DLL");
    EXPECT_EQ(entry.Options, "/s/c");
    EXPECT_TRUE(HasLogOption(entry.Options, "/S"));
    EXPECT_TRUE(HasLogOption(entry.Options, "/C"));
    EXPECT_FALSE(HasLogOption(entry.Options, "/L"));
    EXPECT_EQ(SplitLogEntry("C:\\B.TXT").Options, "");
}

TEST(UninstallLogReading, RegistryValuesSplitByTheRootMacroPosition) {
    RegistryLogKey local = SplitRegistryLogValue("(Local)SOFTWARE\\Foo");
    EXPECT_EQ(local.RootMacro, "(Local)");
    EXPECT_EQ(local.KeyPath, "SOFTWARE\\Foo");
    RegistryLogKey plain = SplitRegistryLogValue("SOFTWARE\\Foo");
    EXPECT_EQ(plain.RootMacro, "(Cuser)");
    EXPECT_EQ(plain.KeyPath, "SOFTWARE\\Foo");
    RegistryLogKey other = SplitRegistryLogValue("(Other)Key");
    EXPECT_EQ(other.RootMacro, "(Other)");
    EXPECT_EQ(other.KeyPath, "Key");
    EXPECT_EQ(SplitRegistryLogValue("(Loca)SOFTWARE").KeyPath, "(Loca)SOFTWARE");
    EXPECT_EQ(SplitRegistryLogValue("(Local").RootMacro, "(Cuser)");
    RegistryLogKey rootOnly = SplitRegistryLogValue("(Class)");
    EXPECT_EQ(rootOnly.RootMacro, "(Class)");
    EXPECT_EQ(rootOnly.KeyPath, "");
}

TEST(RemovalListText, EveryItemIsFollowedByABar) {
    RemovalList list;
    EXPECT_EQ(list.Text(), "");
    list.Append("x");
    list.Append("C:\\ポ\\");
    list.Append("z");
    EXPECT_EQ(list.Text(), "x|C:\\ポ\\|z|");
    EXPECT_EQ(list.Items()[1], "C:\\ポ\\");
}

}  // namespace
