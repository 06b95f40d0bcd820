#include "make/new_script.h"

#include <algorithm>
#include <set>

#include "base/byte_stream.h"
#include "base/cp932.h"
#include "base/dir_list.h"
#include "base/payload.h"
#include "base/payload_format.h"
#include "base/pe_info.h"
#include "base/utf.h"

namespace {

using Kind = NewScriptMessage::Kind;
using payload_format::FoldName;

// Tokens the install expands (or takes as a disk change) wherever they stand in a path.
const char* const kMacros[] = {"(App)", "(Prg)", "(Win)", "(Sys)", "(Tmp)", "(Boo)", "(Set)", "(Edr)",
                               "(Smn)", "(Sta)", "(Dsk)", "(Sup)", "(Sen)", "(Myd)", "(C_Smn)", "(C_Sta)",
                               "(C_Dsk)", "(C_Sup)", "(C_Myd)", "(Dch)", "(Pdd)"};

// The top folder's files that belong to the distribution (or to an install), not to the application.
const char* const kOwnFiles[] = {"setup.ini", "setup.exe", "setupmak.exe", "setupmak", "setupchk.exe", "unsetup.ini"};

struct AppFile {
    std::string path;    // relative, "\" between the components
    std::string name;
    std::string folder;  // relative folder, empty for the top folder
    uint64_t size = 0;
    bool system = false;  // installed into the system folder (/SHARED)
    std::string source;   // its flat name in the distribution folder
    std::string options;  // ",/S" or ",/S/R"
};

struct Layout {
    std::vector<std::string> folders;  // subfolders to make, parents first
    std::vector<AppFile> files;        // top folder first
    std::set<std::string> topNames;    // every name of the top folder, folded
    std::string scriptName;            // the SETUP.INI that is there, as named on disk
    std::string systemFolder;          // the System folder taken for the system folder
};

struct Product {
    std::string name, version, publisher, copyright, key, folder;
};

class Builder {
public:
    Builder(const std::string& appFolder, const NewScriptOptions& options, NewScriptResult& result)
        : app_(appFolder), options_(options), result_(result) {}
    bool Collect();
    void ChooseMain();
    void DescribeProduct();
    void AssignSources();
    std::string Text() const;
    void Encode();
    void Write();

private:
    void Say(Kind kind, const std::string& japanese, const std::string& english) {
        result_.messages.push_back(NewScriptMessage{kind, japanese, english});
        if (kind == Kind::kError) result_.ok = false;
    }
    bool Inside(const std::string& path, const std::set<std::string>& folders) const;
    bool Refused(const DirEntry& entry);
    void Skip(const DirEntry& entry, const std::string& japanese, const std::string& english);
    bool IsBuilderOutput(const DirEntry& entry) const;
    void AddFile(const DirEntry& entry, const std::string& folder);
    std::string Spell(const std::string& text, const char* field);

    const std::string& app_;
    const NewScriptOptions& options_;
    NewScriptResult& result_;
    Layout layout_;
    std::set<std::string> seen_;     // folded paths kept so far
    std::set<std::string> skipped_;  // folded paths of folders left out
    const AppFile* main_ = nullptr;
    PeInfo mainInfo_;
    bool mainIsPe_ = false;
    Product product_;
};

bool EndsWithNoCase(const std::string& text, const char* end) {
    std::string tail(end);
    return text.size() >= tail.size() && FoldName(text.substr(text.size() - tail.size())) == tail;
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

const char* MacroIn(const std::string& name) {
    std::string folded = FoldName(name);
    for (const char* macro : kMacros)
        if (folded.find(FoldName(macro)) != std::string::npos) return macro;
    return nullptr;
}

// Control characters become spaces; spaces at both ends go.
std::string CleanText(const std::string& text) {
    std::string clean;
    for (char c : text) clean += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? ' ' : c;
    size_t first = clean.find_first_not_of(' '), last = clean.find_last_not_of(' ');
    return first == std::string::npos ? std::string() : clean.substr(first, last - first + 1);
}

// A product or publisher as one folder name: no character Windows refuses in names, no ","
// (a shortcut name ends there), no macro token, no dot or space at the end.
std::string FolderComponent(const std::string& text) {
    std::string name;
    for (char c : CleanText(text))
        if (std::string_view("<>:\"/\\|?*,").find(c) == std::string_view::npos) name += c;
    while (const char* macro = MacroIn(name)) {
        size_t at = FoldName(name).find(FoldName(macro));
        name.erase(at + std::string_view(macro).size() - 1, 1);
        name.erase(at, 1);
    }
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
    return CleanText(name);
}

// The ASCII letters and digits of the text; empty without a letter (a bare number names nothing).
std::string KeyName(const std::string& text) {
    std::string key;
    bool letter = false;
    for (char c : text) {
        bool isLetter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (isLetter || (c >= '0' && c <= '9')) key += c;
        letter = letter || isLetter;
    }
    return letter ? key : std::string();
}

bool Builder::Inside(const std::string& path, const std::set<std::string>& folders) const {
    for (std::string folder = FolderOf(path); !folder.empty(); folder = FolderOf(folder))
        if (folders.count(FoldName(folder))) return true;
    return false;
}

void Builder::Skip(const DirEntry& entry, const std::string& japanese, const std::string& english) {
    bool folder = entry.kind == DirEntryKind::kFolder;
    if (folder) skipped_.insert(FoldName(entry.path));
    Say(Kind::kWarning, (folder ? "フォルダ " + entry.path + "\\ とその中身" : entry.path) + ": " + japanese,
        (folder ? "folder " + entry.path + "\\ and its contents" : entry.path) + ": left out: " + english);
}

// Names a script cannot carry, and names Windows cannot tell from an earlier one.
bool Builder::Refused(const DirEntry& entry) {
    if (!IsCp932Encodable(entry.name)) {
        if (entry.kind == DirEntryKind::kFolder) skipped_.insert(FoldName(entry.path));
        Say(Kind::kError, entry.path + ": この名前はコード ページ 932 で書けません。スクリプトに書けるよう名前を変えてください",
            entry.path + ": the name cannot be written in code page 932, the script's character set; rename it");
        return true;
    }
    if (entry.name.find('\\') != std::string::npos || !IsSafeEntryName(entry.path)) {
        Skip(entry, "Windows では使えない名前のため、スクリプトに入れません", "a name Windows cannot use");
    } else if (entry.name.find(',') != std::string::npos) {
        Skip(entry, "名前に「,」（スクリプトの区切り文字）があるため、スクリプトに入れません",
             "the name holds a \",\", the script's field separator");
    } else if (const char* macro = MacroIn(entry.name)) {
        Skip(entry, std::string("名前にフォルダマクロ ") + macro + " があり、展開されてしまうため、スクリプトに入れません",
             std::string("the name holds the folder macro ") + macro + ", which the install would expand");
    } else if (seen_.count(FoldName(entry.path))) {
        Skip(entry, "大文字小文字だけが違う同じ名前が先にあるため、スクリプトに入れません",
             "an earlier name differs from it only in letter case");
    } else {
        return false;
    }
    return true;
}

// A whole payload, not just bytes after the program's image: many programs carry data there.
bool Builder::IsBuilderOutput(const DirEntry& entry) const {
    FileSource file;
    PayloadReader reader;
    return EndsWithNoCase(entry.name, ".exe") && file.Open(JoinPath(app_, entry.path)) &&
           reader.Open(file) == PayloadStatus::kOk;
}

void Builder::AddFile(const DirEntry& entry, const std::string& folder) {
    AppFile file;
    file.path = entry.path;
    file.name = entry.name;
    file.folder = folder;
    file.size = entry.size;
    file.system = !layout_.systemFolder.empty() && folder == layout_.systemFolder;
    layout_.files.push_back(file);
}

bool Builder::Collect() {
    DirListing listing;
    if (!ListFolderTree(app_, listing)) {
        Say(Kind::kError, app_ + ": フォルダを読めません", app_ + ": the folder cannot be read");
        return false;
    }
    for (const std::string& folder : listing.unreadable)
        Say(Kind::kWarning, folder + "\\: フォルダを読めないため、その中のファイルはスクリプトにありません",
            folder + "\\: the folder cannot be read; its files are missing from the script");
    for (const DirEntry& entry : listing.entries) {
        std::string folder = FolderOf(entry.path);
        bool top = folder.empty();
        if (top) layout_.topNames.insert(FoldName(entry.name));
        if (Inside(entry.path, skipped_) || Refused(entry)) continue;
        seen_.insert(FoldName(entry.path));
        std::string own = top ? FoldName(entry.name) : std::string();
        if (own == "setup.ini" && entry.kind == DirEntryKind::kFile) {
            layout_.scriptName = entry.name;
        } else if (top && entry.kind == DirEntryKind::kFile &&
                   std::find(std::begin(kOwnFiles), std::end(kOwnFiles), own) != std::end(kOwnFiles)) {
            Say(Kind::kInfo, entry.path + ": 配布物やインストールのファイルなので、スクリプトに入れません",
                entry.path + ": left out: a file of the distribution or of an install");
        } else if (entry.kind == DirEntryKind::kFolderLink) {
            Skip(entry, "フォルダへのリンクはたどりません", "a link to a folder (not followed)");
        } else if (entry.kind == DirEntryKind::kOther) {
            Skip(entry, "通常のファイルではありません", "not a regular file");
        } else if (entry.kind == DirEntryKind::kFolder) {
            if (top && own == "system" && !options_.shared)
                Say(Kind::kInfo, entry.path + "\\: 通常のサブフォルダとしてインストールします。/SHARED でシステムフォルダに入れます",
                    entry.path + "\\: installed as an ordinary subfolder; /SHARED installs its files into the system folder");
            if (top && options_.shared && own == "system" && layout_.systemFolder.empty()) {
                layout_.systemFolder = entry.path;
                Say(Kind::kInfo, entry.path + "\\ のファイルはシステムフォルダに共有ファイルとしてインストールします",
                    entry.path + "\\: its files are installed into the system folder as shared files");
            } else if (!layout_.systemFolder.empty() && folder == layout_.systemFolder)
                Skip(entry, "System フォルダの中のフォルダはシステムフォルダに入れません",
                     "folders inside System are not installed into the system folder");
            else
                layout_.folders.push_back(entry.path);
        } else if (IsBuilderOutput(entry)) {
            Say(Kind::kInfo, entry.path + ": setupmak で作った単一ファイルの配布物なので、スクリプトに入れません",
                entry.path + ": left out: a single-file distribution made by setupmak");
        } else {
            AddFile(entry, folder);
        }
    }
    std::stable_partition(layout_.files.begin(), layout_.files.end(),
                          [](const AppFile& file) { return file.folder.empty(); });
    return true;
}

void Builder::ChooseMain() {
    std::vector<const AppFile*> programs, preferred;
    for (const AppFile& file : layout_.files) {
        if (!file.folder.empty() || !EndsWithNoCase(file.name, ".exe")) continue;
        PeInfo info;
        bool pe = ReadPeInfoFromFile(JoinPath(app_, file.path), info);
        programs.push_back(&file);
        if (pe && info.gui && !CleanText(info.version.productName).empty()) preferred.push_back(&file);
    }
    if (programs.empty()) {
        Say(Kind::kInfo, "最上位のフォルダにプログラム（.exe）がないため、ショートカットと [ExecuteFile] は作りません",
            "no program (.exe) in the top folder: no shortcut and no [ExecuteFile]");
        return;
    }
    const std::vector<const AppFile*>& pool = preferred.empty() ? programs : preferred;
    main_ = pool.front();
    for (const AppFile* file : pool)
        if (file->size > main_->size) main_ = file;
    mainIsPe_ = ReadPeInfoFromFile(JoinPath(app_, main_->path), mainInfo_);
    result_.mainProgram = main_->name;
    std::string count = std::to_string(pool.size());
    std::string japanese, english;
    if (programs.size() == 1) {
        japanese = "最上位のフォルダにある唯一のプログラム";
        english = "the only program in the top folder";
    } else if (preferred.size() == 1) {
        japanese = "バージョン情報に製品名のある唯一の GUI プログラム";
        english = "the only GUI program whose version record names a product";
    } else if (!preferred.empty()) {
        japanese = "バージョン情報に製品名のある GUI プログラム " + count + " 個のうち最大のもの";
        english = "the largest of " + count + " GUI programs whose version record names a product";
    } else {
        japanese = "プログラム " + count + " 個のうち最大のもの（バージョン情報に製品名のある GUI プログラムはありません）";
        english = "the largest of " + count + " programs (none is a GUI program whose version record names a product)";
    }
    Say(Kind::kInfo, "メインプログラム: " + main_->name + "（" + japanese + "）",
        "main program: " + main_->name + " (" + english + ")");
    if (!mainIsPe_) {
        Say(Kind::kWarning, main_->name + ": Windows のプログラムではありません", main_->name + ": not a Windows program");
    } else {
        std::string bits = std::to_string(mainInfo_.bits);
        Say(Kind::kInfo, main_->name + " は " + bits + " ビットのプログラムです。" + bits + " ビット版の SETUP.EXE で配布してください",
            main_->name + " is a " + bits + "-bit program: ship the " + bits + "-bit SETUP.EXE");
    }
}

// The text as code page 932 can carry it: characters it lacks become "?", with a warning.
std::string Builder::Spell(const std::string& text, const char* field) {
    std::string clean = CleanText(text), spelled, one;
    for (size_t at = 0; at < clean.size();) {
        size_t start = at;
        NextCodePoint(clean, at);
        one = clean.substr(start, at - start);
        spelled += IsCp932Encodable(one) ? one : "?";
    }
    if (spelled != clean)
        Say(Kind::kWarning, std::string(field) + " の「?」はコード ページ 932 にない文字です。書き直してください",
            std::string(field) + ": \"?\" stands for characters code page 932 lacks; rewrite it");
    return spelled;
}

void Builder::DescribeProduct() {
    const PeVersionRecord& record = mainInfo_.version;
    std::string folderName = FolderName(app_);
    std::string name = CleanText(record.productName);
    if (name.empty()) name = CleanText(record.fileDescription);
    if (name.empty()) {
        name = folderName.empty() ? "Application" : folderName;
        if (main_)
            Say(Kind::kInfo,
                main_->name + " のバージョン情報に製品名がないため、製品名はフォルダ名 " + name + " です。[Title] を書き直してください",
                main_->name + " has no product name in a version record: the product is named after the folder, " + name +
                    "; edit [Title]");
    }
    product_.name = Spell(name, "Program");
    product_.version = Spell(record.productVersionText, "Version");
    const uint16_t* v = record.productVersion;
    if (product_.version.empty() && record.hasFixed && (v[0] | v[1] | v[2] | v[3]) != 0)
        product_.version = std::to_string(v[0]) + "." + std::to_string(v[1]) + "." + std::to_string(v[2]) + "." +
                           std::to_string(v[3]);
    product_.publisher = Spell(record.companyName, "Publisher");
    product_.copyright = Spell(record.legalCopyright, "CopyRight1");
    product_.key = KeyName(record.productName);
    if (product_.key.empty()) product_.key = KeyName(folderName);
    if (product_.key.empty()) product_.key = "Application";
    product_.folder = FolderComponent(product_.name);
    if (product_.folder.empty()) product_.folder = product_.key;
}

void Builder::AssignSources() {
    // A flat name of the top folder is always its own file; the script and the program too.
    std::set<std::string> taken = layout_.topNames;
    taken.insert({"setup.ini", "setup.exe"});
    for (AppFile& file : layout_.files) {
        file.source = file.name;
        if (file.system) {
            PeInfo info;
            bool server = (EndsWithNoCase(file.name, ".dll") || EndsWithNoCase(file.name, ".ocx")) &&
                          ReadPeInfoFromFile(JoinPath(app_, file.path), info) && info.exportsDllRegisterServer;
            file.options = server ? ",/S/R" : ",/S";
            if (server && info.bits == 32)
                Say(Kind::kInfo, file.path + " は 32 ビットの COM サーバーです。32 ビット版の SETUP.EXE で配布してください",
                    file.path + " is a 32-bit COM server: ship the 32-bit SETUP.EXE");
        }
        if (file.folder.empty() || taken.insert(FoldName(file.name)).second) continue;
        std::string base = file.folder + "_" + file.name;
        std::replace(base.begin(), base.end(), '\\', '_');
        size_t dot = base.rfind('.');
        if (dot == std::string::npos || dot < file.folder.size()) dot = base.size();
        file.source = base;
        for (int n = 2; !taken.insert(FoldName(file.source)).second; ++n)
            file.source = base.substr(0, dot) + "_" + std::to_string(n) + base.substr(dot);
        Say(Kind::kInfo, file.path + ": 同じ名前のファイルがほかにもあるため、配布フォルダでの名前は " + file.source + " です",
            file.path + ": the name occurs elsewhere too; its name in the distribution folder is " + file.source);
    }
}

// The script's lines, each key line after a comment that says what it does.
class ScriptText {
public:
    void Comment(const std::string& text) { text_ += "; " + text + "\r\n"; }
    void Section(const std::string& comment, const std::string& name) {
        if (!text_.empty()) text_ += "\r\n";
        Comment(comment);
        text_ += "[" + name + "]\r\n";
    }
    void Key(const std::string& comment, const std::string& key, const std::string& value) {
        Comment(comment);
        text_ += key + "=" + value + "\r\n";
    }
    // A key line to enable by removing its ";".
    void Offer(const std::string& comment, const std::string& key, const std::string& value) {
        Comment(comment);
        text_ += ";" + key + "=" + value + "\r\n";
    }
    const std::string& Get() const { return text_; }

private:
    std::string text_;
};

void TitleSection(ScriptText& s, const Product& p) {
    std::string program = p.version.empty() ? p.name : p.name + " " + p.version;
    s.Section("タイトル、著作権表示と「プログラムと機能」への登録", "Title");
    s.Key("セットアップの画面のタイトル", "Setup", p.name + " セットアップ");
    s.Key("アンインストールの画面のタイトル（Setup Only. にするとアンインストールの登録をしません）", "UnSetup",
          p.name + " アンインストール");
    s.Key("最初のページで案内する製品の名前", "Program", program);
    if (p.version.empty())
        s.Offer("製品のバージョン（「プログラムと機能」に表示）。書いて先頭の「;」を消してください", "Version", "1.0");
    else
        s.Key("製品のバージョン（「プログラムと機能」に表示）", "Version", p.version);
    if (p.publisher.empty())
        s.Offer("発行元（「プログラムと機能」に表示）。書いて先頭の「;」を消してください", "Publisher", "");
    else
        s.Key("発行元（「プログラムと機能」に表示）", "Publisher", p.publisher);
    if (p.copyright.empty())
        s.Offer("背景に出す著作権表示の1行目。書いて先頭の「;」を消してください", "CopyRight1", "Copyright (C) ");
    else
        s.Key("背景に出す著作権表示の1行目", "CopyRight1", p.copyright);
    s.Offer("背景に出す2行目。使うときは先頭の「;」を消してください", "CopyRight2", program);
    s.Key("「プログラムと機能」のキー名（英数字。版を重ねても変えないでください）", "UnSetupKey", p.key);
    s.Key("「プログラムと機能」に表示する名前", "UnSetupDisplay", program);
}

void CopySection(ScriptText& s, const Layout& layout, const std::string& mainName) {
    s.Section("インストールするファイル。書式: コピー先[|別名][,/S 共有 /W 常に上書き /R 自己登録]", "CopyFile");
    s.Comment("コピー元は配布フォルダにある、コピー先のファイル名部分と同じ名前のファイルです");
    s.Comment("サブフォルダのファイルは setupmak がアプリケーションのフォルダ構成から取り込みます");
    int n = 0;
    for (const AppFile& file : layout.files) {
        std::string target = file.system ? "(Sys)" : "(App)" + file.folder + (file.folder.empty() ? "" : "\\");
        std::string value = target + (file.source == file.name ? file.name : file.source + "|" + file.name) + file.options;
        std::string comment = file.path + " を" + (file.system ? "システムフォルダ" : "インストール先") + "にコピー";
        if (file.options == ",/S") comment += "（共有ファイル）";
        if (file.options == ",/S/R") comment += "（共有ファイル、自己登録）";
        if (file.folder.empty() && file.name == mainName) comment += "（メインプログラム）";
        if (file.source != file.name) comment += "。同じ名前がほかにもあるため、配布フォルダでの名前は " + file.source;
        s.Key(comment, "File" + std::to_string(++n), value);
    }
}

std::string Builder::Text() const {
    const Product& p = product_;
    ScriptText s;
    s.Comment(p.name + " のインストールスクリプト（setupmak /NEW で作成）");
    s.Comment("「;」で始まる行は説明で、SETUP.EXE は読みません。説明に従って書き直し、SETUPCHK.EXE で確かめてください");
    TitleSection(s, p);
    s.Section("インストールの動作", "Extend");
    s.Key("各手順のあとの待ち時間（ミリ秒）。ファイルが多いときは小さくしてください", "SetupSpeed", "100");
    s.Section("インストール先", "DefaultFolder");
    std::string folder = p.publisher.empty() ? "" : FolderComponent(p.publisher);
    s.Key("提案するインストール先（(Prg) は Program Files）", "Folder",
          "(Prg)\\" + (folder.empty() ? "" : folder + "\\") + p.folder + "\\");
    s.Section("プログラムの識別名", "ProgramID");
    s.Key("前回のインストール先を覚えておく名前（UnSetupKey と同じにしています）", "ID", p.key);
    s.Section("作るフォルダ（親フォルダを先に）", "MakeFolder");
    s.Key("インストール先のフォルダ", "Folder1", "(App)");
    int n = 1;
    for (const std::string& sub : layout_.folders)
        s.Key("サブフォルダ " + sub, "Folder" + std::to_string(++n), "(App)" + sub + "\\");
    CopySection(s, layout_, main_ ? main_->name : std::string());
    if (!main_) return s.Get();
    std::string program = "(App)" + main_->name;
    std::string link = p.folder + "\\" + p.folder;
    s.Section("ショートカット", "ShortCut");
    s.Key("スタートメニューに登録するプログラム", "Make1", program);
    s.Key("その名前（(Sta) はスタートメニューのプログラム）", "Name1", "(Sta)" + link);
    s.Offer("デスクトップにも作るときは、この行と次の行の先頭の「;」を消してください", "Make2", program);
    s.Offer("デスクトップのショートカットの名前", "Name2", "(Dsk)" + p.folder);
    s.Section("インストールの終わりに起動するプログラム", "ExecuteFile");
    s.Offer("起動するときは先頭の「;」を消してください", "File", program);
    return s.Get();
}

void Builder::Encode() {
    // Every name and text was made code page 932 already; a failure here is a mistake of ours.
    if (!Utf8ToCp932(Text(), result_.script))
        Say(Kind::kError, "スクリプトをコード ページ 932 にできません", "the script cannot be made code page 932");
}

void Builder::Write() {
    if (!layout_.scriptName.empty() && !options_.overwrite) {
        Say(Kind::kError, layout_.scriptName + " がすでにあるため、書きません（上書きしません）",
            layout_.scriptName + " is there already: not written (it is never overwritten unasked)");
        return;
    }
    if (!result_.ok) {
        Say(Kind::kInfo, "誤りがあるため SETUP.INI を書きませんでした", "SETUP.INI not written because of the errors");
        return;
    }
    std::string name = layout_.scriptName.empty() ? "SETUP.INI" : layout_.scriptName;
    FileSink file;
    if (!file.Create(JoinPath(app_, name)) || file.Write(result_.script.data(), result_.script.size()) != WriteResult::kOk ||
        file.Finish() != WriteResult::kOk) {
        Say(Kind::kError, name + " を書けません", name + " cannot be written");
        return;
    }
    result_.written = true;
    Say(Kind::kInfo, name + " を書きました", "wrote " + name);
}

}  // namespace

NewScriptResult MakeNewScript(const std::string& appFolderUtf8, const NewScriptOptions& options) {
    NewScriptResult result;
    result.ok = true;
    Builder builder(appFolderUtf8, options, result);
    if (!builder.Collect()) return result;
    builder.ChooseMain();
    builder.DescribeProduct();
    builder.AssignSources();
    builder.Encode();
    if (options.write) builder.Write();
    return result;
}
