#include "make/new_script.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "base/cp932.h"
#include "base/test_pe_image.h"
#include "make/test_files.h"

namespace fs = std::filesystem;

namespace {

fs::path U8(const char* utf8) { return fs::path(std::u8string(reinterpret_cast<const char8_t*>(utf8))); }

std::string Utf8(const fs::path& path) {
    std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string Program(uint16_t subsystem, bool version, std::vector<std::string> exports = {}, size_t extra = 0) {
    test_pe::ImageRecipe recipe;
    recipe.subsystem = subsystem;
    if (version)
        recipe.strings = {{"ProductName", "Sample App"}, {"CompanyName", "Orvant: Works"}, {"ProductVersion", "2.5"},
                        {"LegalCopyright", "(C) 2026 Orvant"}};
    recipe.exports = std::move(exports);
    recipe.extra = extra;
    return test_pe::MakeImage(recipe).bytes;
}

// The values of a numbered list, checked to have no gap.
std::vector<std::string> List(const std::string& text, const std::string& word) {
    std::vector<std::string> values;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::string key = word + std::to_string(values.size() + 1) + "=";
        bool numbered = line.compare(0, word.size(), word) == 0 && std::isdigit(static_cast<unsigned char>(line[word.size()]));
        if (line.compare(0, key.size(), key) == 0) values.push_back(line.substr(key.size(), line.size() - key.size() - 1));
        else EXPECT_FALSE(numbered) << "out of order: " << line;
    }
    return values;
}

// Every source is found flat, or in the layout below (App) (System\ for (Sys)), and no flat
// name stands for two files.
void ExpectSourcesResolve(const fs::path& app, const std::vector<std::string>& entries) {
    std::set<std::string> flat;
    for (const std::string& entry : entries) {
        std::string target = entry.substr(0, entry.find(',')), renamed;
        if (size_t bar = target.find('|'); bar != std::string::npos) {
            renamed = target.substr(bar + 1);
            target.erase(bar);
        }
        size_t slash = target.rfind('\\');
        std::string folder = target.substr(0, slash == std::string::npos ? 5 : slash + 1), source = target.substr(folder.size());
        std::string lower = source;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_TRUE(flat.insert(lower).second) << entry;
        std::string below = (folder.rfind("(Sys)", 0) == 0 ? "System\\" : folder.substr(5)) +
                            (renamed.empty() ? source : renamed);
        for (char& c : below) c = c == '\\' ? '/' : c;
        EXPECT_TRUE(fs::is_regular_file(app / U8(source.c_str())) || fs::is_regular_file(app / U8(below.c_str()))) << entry;
    }
}

struct Case {
    const char* what;
    std::vector<std::pair<const char*, std::string>> files;  // relative path (with "/"), content
    NewScriptOptions options;
    bool ok;
    const char* main;
    std::vector<const char*> present;  // whole lines of the script
    std::vector<const char*> absent;   // text nowhere in it
    const char* message;               // part of an English message
};

TEST(NewScript, MakesACheckedStartingScript) {
    const std::vector<std::pair<const char*, std::string>> app = {
        {"SAMPLE.EXE", Program(2, true)},
        {"TOOL.EXE", Program(3, false, {}, 4096)},  // larger, but a console program without a record
        {"README.TXT", "top"},
        {"SETUP.EXE", "the distribution's own program"},
        {"Data/README.TXT", "data"},
        {"Data/Sub/README.TXT", "sub"},
        {"Data/Sub/NOTE (Win).TXT", "a macro in the name"},
        {"System/SHARED.DLL", Program(2, false, {"DllRegisterServer"})},
        {"System/README.TXT", "system"},
    };
    std::vector<Case> cases = {
        {"plain", app, {}, true, "SAMPLE.EXE",
         {"Setup=Sample App セットアップ", "UnSetup=Sample App アンインストール", "Program=Sample App 2.5", "Version=2.5",
          "Publisher=Orvant: Works", "CopyRight1=(C) 2026 Orvant", "UnSetupKey=SampleApp", "ID=SampleApp",
          "UnSetupDisplay=Sample App 2.5", "Folder=(Prg)\\Orvant Works\\Sample App\\", "Folder1=(App)",
          "Folder2=(App)Data\\", "Folder3=(App)Data\\Sub\\", "Folder4=(App)System\\", "File1=(App)README.TXT",
          "File4=(App)Data\\Data_README.TXT|README.TXT", "File5=(App)Data\\Sub\\Data_Sub_README.TXT|README.TXT",
          "File6=(App)System\\System_README.TXT|README.TXT", "File7=(App)System\\SHARED.DLL", "Make1=(App)SAMPLE.EXE",
          "Name1=(Sta)Sample App\\Sample App", ";Name2=(Dsk)Sample App", ";File=(App)SAMPLE.EXE"},
         {"(App)SETUP.EXE", "NOTE", "(Sys)"},
         "main program: SAMPLE.EXE (the only GUI program whose version record names a product)"},
        {"shared", app, {true}, true, "SAMPLE.EXE",
         {"Folder3=(App)Data\\Sub\\", "File6=(Sys)System_README.TXT|README.TXT,/S", "File7=(Sys)SHARED.DLL,/S/R"},
         {"Folder4", "(App)System"}, "System\\SHARED.DLL is a 32-bit COM server"},
        {"no record",
         {{"TOOL.EXE", Program(3, false)}, {"Data/TOOL.EXE", "a helper"}}, {}, true, "TOOL.EXE",
         {"Setup=MyTool 2 セットアップ", "UnSetupKey=MyTool2", "Folder=(Prg)\\MyTool 2\\", ";Version=1.0",
          "File2=(App)Data\\Data_TOOL.EXE|TOOL.EXE", "Make1=(App)TOOL.EXE", ";Publisher="},
         {"\nPublisher="}, "TOOL.EXE has no product name in a version record"},
        {"no program", {{"MANUAL.PDF", "x"}}, {}, true, "", {"File1=(App)MANUAL.PDF"}, {"[ShortCut]", "ExecuteFile"},
         "no program (.exe) in the top folder"},
        {"name 932 lacks", {{"TOOL.EXE", Program(2, false)}, {"Data/José.txt", "x"}}, {}, false, "TOOL.EXE",
         {"Folder2=(App)Data\\"}, {"Jos"}, "Data\\José.txt: the name cannot be written in code page 932"},
        {"script there", {{"TOOL.EXE", Program(2, false)}, {"SETUP.INI", "old"}}, {}, false, "TOOL.EXE", {}, {"SETUP.INI"},
         "SETUP.INI is there already"},
        {"script replaced", {{"TOOL.EXE", Program(2, false)}, {"SETUP.INI", "old"}}, {false, true}, true, "TOOL.EXE",
         {"File1=(App)TOOL.EXE"}, {"SETUP.INI"}, "wrote SETUP.INI"},
    };
    fs::path root = fs::temp_directory_path() / "setupmak_new_script_test";
    for (const Case& c : cases) {
        fs::path folder = root / c.what / "MyTool 2";
        fs::remove_all(folder);
        for (const auto& [name, bytes] : c.files) Put(folder / U8(name), bytes);
        std::string before = fs::exists(folder / "SETUP.INI") ? Get(folder / "SETUP.INI") : "";
        NewScriptResult result = MakeNewScript(Utf8(folder), c.options);
        std::string text = Cp932ToUtf8(result.script);
        EXPECT_EQ(result.ok, c.ok) << c.what;
        EXPECT_EQ(result.mainProgram, c.main) << c.what;
        for (const char* line : c.present)
            EXPECT_NE(text.find("\r\n" + std::string(line) + "\r\n"), std::string::npos) << c.what << ": " << line;
        for (const char* part : c.absent) EXPECT_EQ(text.find(part), std::string::npos) << c.what << ": " << part;
        ExpectSourcesResolve(folder, List(text, "File"));
        List(text, "Folder");
        // Written exactly when ok; never over a script unless asked.
        EXPECT_EQ(result.written, c.ok) << c.what;
        std::string after = fs::exists(folder / "SETUP.INI") ? Get(folder / "SETUP.INI") : "";
        EXPECT_EQ(after, c.ok ? result.script : before) << c.what;
        std::string messages;
        for (const NewScriptMessage& m : result.messages) messages += m.english + "\n";
        EXPECT_NE(messages.find(c.message), std::string::npos) << c.what << ":\n" << messages;
    }
    fs::remove_all(root);
}

}  // namespace
