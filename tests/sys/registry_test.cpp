// The registry layer: the key wrapper against Wine's real registry, root macros, raised errors.
#include "sys/registry.h"

#include <gtest/gtest.h>

#include "base/cp932.h"
#include "sys_helpers.h"

namespace {

TEST(RegistryKeyTest, CreatesEveryLevelAndReadsBackEachType) {
    ScratchKey scratch("Layer");
    std::string path = scratch.Path() + "\\A\\B\\C";
    RegistryKey key;
    ASSERT_EQ(key.Create(HKEY_CURRENT_USER, path), ERROR_SUCCESS);
    ASSERT_TRUE(RawKeyExists(HKEY_CURRENT_USER, path));

    EXPECT_EQ(key.SetString("Name", "日本語の値\\表"), ERROR_SUCCESS);
    EXPECT_EQ(key.SetExpandString("Exp", "%WINDIR%\\x"), ERROR_SUCCESS);
    EXPECT_EQ(key.SetDword("Count", 0xFFFFFFFEu), ERROR_SUCCESS);
    const unsigned char bytes[] = {0x00, 0x01, 0x00, 0x00};
    EXPECT_EQ(key.SetBinary("Bin", bytes, sizeof(bytes)), ERROR_SUCCESS);
    EXPECT_EQ(key.SetString("", "default"), ERROR_SUCCESS);

    DWORD type = 0;
    std::string data;
    ASSERT_TRUE(RawGetValue(HKEY_CURRENT_USER, path, "Name", type, data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(data, std::string("日本語の値\\表") + '\0');
    ASSERT_TRUE(RawGetValue(HKEY_CURRENT_USER, path, "Exp", type, data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_EQ(data, std::string("%WINDIR%\\x") + '\0');
    ASSERT_TRUE(RawGetValue(HKEY_CURRENT_USER, path, "Bin", type, data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(data, std::string("\x00\x01\x00\x00", 4));

    std::string text;
    EXPECT_TRUE(key.QueryString("Name", text));
    EXPECT_EQ(text, "日本語の値\\表");
    EXPECT_TRUE(key.QueryString("Exp", text));
    EXPECT_EQ(text, "%WINDIR%\\x");  // stored text, not expanded
    EXPECT_TRUE(key.QueryString("", text));
    EXPECT_EQ(text, "default");
    DWORD number = 0;
    EXPECT_TRUE(key.QueryDword("Count", number));
    EXPECT_EQ(number, 0xFFFFFFFEu);

    // Wrong types and missing values are not read.
    EXPECT_FALSE(key.QueryString("Count", text));
    EXPECT_FALSE(key.QueryDword("Name", number));
    EXPECT_FALSE(key.QueryDword("Bin", number));
    EXPECT_FALSE(key.QueryString("Missing", text));
    EXPECT_TRUE(key.ValueExists("Bin"));
    EXPECT_EQ(key.DeleteValue("Bin"), ERROR_SUCCESS);
    EXPECT_FALSE(key.ValueExists("Bin"));
    EXPECT_NE(key.DeleteValue("Bin"), ERROR_SUCCESS);
}

TEST(RegistryKeyTest, ReadsLongStrings) {
    ScratchKey scratch("Long");
    std::string value(5000, 'x');
    value += "終";
    ASSERT_TRUE(RawSetString(HKEY_CURRENT_USER, scratch.Path(), "Long", value));
    RegistryKey key;
    ASSERT_EQ(key.Open(HKEY_CURRENT_USER, scratch.Path(), KEY_READ), ERROR_SUCCESS);
    std::string read;
    ASSERT_TRUE(key.QueryString("Long", read));
    EXPECT_EQ(read, value);
}

// Stores UTF-16 text as it stands, with or without its terminating zero, past the layer under test.
bool StoreUtf16(const std::string& path, const std::string& name, DWORD type, const std::wstring& text,
                bool withZero) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    DWORD size = static_cast<DWORD>((text.size() + (withZero ? 1 : 0)) * sizeof(wchar_t));
    LONG result = RegSetValueExW(key, std::wstring(name.begin(), name.end()).c_str(), 0, type,
                                 reinterpret_cast<const BYTE*>(text.c_str()), size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

TEST(RegistryKeyTest, ReadsStringsWithOrWithoutTheirTerminatingZero) {
    ScratchKey scratch("Unterminated");
    struct Case {
        std::string name;
        DWORD type;
        std::wstring stored;
        bool withZero;
        std::string expected;
    };
    const Case cases[] = {
        {"Ended", REG_SZ, L"日本語の値", true, "日本語の値"},
        {"Open", REG_SZ, L"日本語の値", false, "日本語の値"},
        {"OpenExpand", REG_EXPAND_SZ, L"%WINDIR%\\表", false, "%WINDIR%\\表"},
        {"Empty", REG_SZ, L"", false, ""},
        {"Inner", REG_SZ, std::wstring(L"前\0後", 3), true, "前"},  // read up to the first zero
    };
    for (const Case& c : cases) ASSERT_TRUE(StoreUtf16(scratch.Path(), c.name, c.type, c.stored, c.withZero));
    RegistryKey key;
    ASSERT_EQ(key.Open(HKEY_CURRENT_USER, scratch.Path(), KEY_READ), ERROR_SUCCESS);
    for (const Case& c : cases) {
        std::string read = "not read";
        EXPECT_TRUE(key.QueryString(c.name, read)) << c.name;
        EXPECT_EQ(read, c.expected) << c.name;
    }
}

TEST(RegistryKeyTest, PathsWithOuterBackslashesAreRelativeToTheRoot) {
    ScratchKey scratch("Slashes");
    RegistryKey key;
    ASSERT_EQ(key.Create(HKEY_CURRENT_USER, "\\" + scratch.Path() + "\\Sub\\"), ERROR_SUCCESS);
    EXPECT_TRUE(RawKeyExists(HKEY_CURRENT_USER, scratch.Path() + "\\Sub"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "\\" + scratch.Path() + "\\Sub"));
    RegistryKey opened;
    EXPECT_EQ(opened.Open(HKEY_CURRENT_USER, scratch.Path() + "\\Sub\\"), ERROR_SUCCESS);
    EXPECT_EQ(NormalizeKeyPath("\\A\\B\\"), "A\\B");
    EXPECT_EQ(NormalizeKeyPath("A\\表"), "A\\表");  // 表 ends in the byte "\" in code page 932 only
    EXPECT_EQ(NormalizeKeyPath("A\\表\\"), "A\\表");
}

TEST(RegistryKeyTest, OpenFailsForMissingKeyAndKeyExistsSaysSo) {
    ScratchKey scratch("Missing");
    RegistryKey key;
    EXPECT_NE(key.Open(HKEY_CURRENT_USER, scratch.Path() + "\\Nope"), ERROR_SUCCESS);
    EXPECT_FALSE(key.IsOpen());
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, scratch.Path() + "\\Nope"));
    EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, scratch.Path() + "\\Nope"));  // opening creates nothing
}

TEST(RegistryKeyTest, DeleteTreeRemovesAllSubkeysDeepestFirst) {
    ScratchKey scratch("Tree");
    std::string top = scratch.Path() + "\\Top";
    ASSERT_TRUE(RawSetDword(HKEY_CURRENT_USER, top + "\\A\\A1\\A2", "v", 1));
    ASSERT_TRUE(RawSetDword(HKEY_CURRENT_USER, top + "\\B", "v", 2));
    ASSERT_TRUE(RawSetDword(HKEY_CURRENT_USER, top + "\\C\\C1", "v", 3));
    ASSERT_TRUE(RawSetDword(HKEY_CURRENT_USER, top, "v", 4));
    ASSERT_TRUE(RawCreateKey(HKEY_CURRENT_USER, scratch.Path() + "\\Sibling"));

    EXPECT_EQ(DeleteTree(HKEY_CURRENT_USER, top), ERROR_SUCCESS);
    EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, top));
    EXPECT_TRUE(RawKeyExists(HKEY_CURRENT_USER, scratch.Path() + "\\Sibling"));
    EXPECT_NE(DeleteTree(HKEY_CURRENT_USER, top), ERROR_SUCCESS);
    EXPECT_EQ(DeleteTree(HKEY_CURRENT_USER, ""), static_cast<LONG>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(DeleteTree(HKEY_CURRENT_USER, "\\"), static_cast<LONG>(ERROR_INVALID_PARAMETER));
}

TEST(RegistryKeyTest, MovesOwnershipAndClosesOnce) {
    ScratchKey scratch("Move");
    RegistryKey first;
    ASSERT_EQ(first.Create(HKEY_CURRENT_USER, scratch.Path()), ERROR_SUCCESS);
    RegistryKey second(std::move(first));
    EXPECT_FALSE(first.IsOpen());
    ASSERT_TRUE(second.IsOpen());
    EXPECT_EQ(second.SetDword("v", 5), ERROR_SUCCESS);
    RegistryKey third;
    third = std::move(second);
    EXPECT_EQ(third.SetDword("v", 6), ERROR_SUCCESS);
    DWORD value = 0;
    EXPECT_TRUE(RawGetDword(HKEY_CURRENT_USER, scratch.Path(), "v", value));
    EXPECT_EQ(value, 6u);
    EXPECT_EQ(first.SetDword("v", 7), static_cast<LONG>(ERROR_INVALID_HANDLE));
}

TEST(RegistryErrorTest, FailedWritesRaiseWithTheValueName) {
    ScratchKey scratch("ReadOnly");
    ASSERT_TRUE(RawCreateKey(HKEY_CURRENT_USER, scratch.Path()));
    RegistryKey key;
    ASSERT_EQ(key.Open(HKEY_CURRENT_USER, scratch.Path(), KEY_READ), ERROR_SUCCESS);
    try {
        key.WriteString("Version", "1");
        FAIL() << "no error raised";
    } catch (const RegistryError& error) {
        EXPECT_STREQ(error.what(), "'Version' の設定に失敗しました");
        EXPECT_EQ(error.Code(), static_cast<LONG>(ERROR_ACCESS_DENIED));
    }
    EXPECT_THROW(key.WriteDword("D", 1), RegistryError);
    EXPECT_THROW(key.WriteExpandString("E", "x"), RegistryError);
    EXPECT_THROW(key.WriteBinary("B", "x", 1), RegistryError);
    DWORD type = 0;
    std::string data;
    EXPECT_FALSE(RawGetValue(HKEY_CURRENT_USER, scratch.Path(), "Version", type, data));

    RegistryKey writable = CreateKeyOrRaise(HKEY_CURRENT_USER, scratch.Path());
    EXPECT_NO_THROW(writable.WriteString("Version", "2"));
    EXPECT_NO_THROW(writable.WriteDword("D", 3));
    ASSERT_TRUE(RawGetValue(HKEY_CURRENT_USER, scratch.Path(), "Version", type, data));
    EXPECT_EQ(data, std::string("2") + '\0');
}

TEST(RegistryErrorTest, KeyThatCannotBeCreatedRaisesWithTheKeyPath) {
    // A volatile key cannot hold lasting subkeys: a genuine refusal of the registry.
    ScratchKey scratch("NoCreate");
    ASSERT_TRUE(RawCreateKey(HKEY_CURRENT_USER, scratch.Path()));
    HKEY volatileKey = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (scratch.Path() + "\\Volatile").c_str(), 0, nullptr,
                              REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &volatileKey, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(volatileKey);
    std::string path = scratch.Path() + "\\Volatile\\Firm\\App";
    try {
        CreateKeyOrRaise(HKEY_CURRENT_USER, path);
        ADD_FAILURE() << "no error raised";
    } catch (const RegistryError& error) {
        EXPECT_EQ(std::string(error.what()), "ｷｰ " + path + " の作成に失敗しました");
        EXPECT_NE(error.Code(), ERROR_SUCCESS);
    }
    EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, scratch.Path() + "\\Volatile\\Firm"));
    // The half-width katakana are single bytes in code page 932.
    std::string bytes;
    EXPECT_TRUE(Utf8ToCp932(KeyCreateFailedText("K"), bytes));
    EXPECT_EQ(bytes, "\xB7\xB0 K \x82\xCC\x8D\xEC\x90\xAC\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD");
}

TEST(RootMacroTest, RootsAreComparedExactly) {
    EXPECT_EQ(RootKeyOf("(Class)"), HKEY_CLASSES_ROOT);
    EXPECT_EQ(RootKeyOf("(Local)"), HKEY_LOCAL_MACHINE);
    EXPECT_EQ(RootKeyOf("(Users)"), HKEY_USERS);
    EXPECT_EQ(RootKeyOf("(Cuser)"), HKEY_CURRENT_USER);
    EXPECT_EQ(RootKeyOf("(local)"), HKEY_CURRENT_USER);
    EXPECT_EQ(RootKeyOf("(LOCAL)"), HKEY_CURRENT_USER);
    EXPECT_EQ(RootKeyOf(""), HKEY_CURRENT_USER);
}

TEST(RootMacroTest, ScriptKeysTakeARootWhenTheFirstOrSeventhByteSaysSo) {
    RootedKey key = SplitScriptKey("Software\\Firm\\App");
    EXPECT_EQ(key.root, "(Cuser)");
    EXPECT_EQ(key.keyPath, "Software\\Firm\\App");
    key = SplitScriptKey("(Local)\\Software\\Firm\\App\\");
    EXPECT_EQ(key.root, "(Local)");
    EXPECT_EQ(key.keyPath, "Software\\Firm\\App");
    key = SplitScriptKey("(Class).txt");
    EXPECT_EQ(key.root, "(Class)");
    EXPECT_EQ(key.keyPath, ".txt");
    // Either test alone is enough.
    key = SplitScriptKey("(Foo)Software\\X");
    EXPECT_EQ(key.root, "(Foo)So");
    EXPECT_EQ(key.keyPath, "ftware\\X");
    key = SplitScriptKey("Abcdef)Software");
    EXPECT_EQ(key.root, "Abcdef)");
    EXPECT_EQ(key.keyPath, "Software");
    key = SplitScriptKey("\\Software\\X\\");
    EXPECT_EQ(key.root, "(Cuser)");
    EXPECT_EQ(key.keyPath, "Software\\X");
}

TEST(RootMacroTest, LogKeysNeedBothTheOpeningAndTheClosingBracket) {
    RootedKey key = SplitLogKey("(Local)\\Software\\Firm\\App");
    EXPECT_EQ(key.root, "(Local)");
    EXPECT_EQ(key.keyPath, "\\Software\\Firm\\App");
    key = SplitLogKey("Abcdef)Software");
    EXPECT_EQ(key.root, "(Cuser)");
    EXPECT_EQ(key.keyPath, "Abcdef)Software");
    key = SplitLogKey("(Foo)Software");
    EXPECT_EQ(key.root, "(Cuser)");
    EXPECT_EQ(key.keyPath, "(Foo)Software");
    key = SplitLogKey("(Class)");
    EXPECT_EQ(key.root, "(Class)");
    EXPECT_EQ(key.keyPath, "");
    key = SplitLogKey("Software\\X");
    EXPECT_EQ(key.root, "(Cuser)");
    EXPECT_EQ(key.keyPath, "Software\\X");
}

}  // namespace
