// SETUPMAK, the distribution builder (setupmak on Linux):
//   setupmak DIST_FOLDER /OUT=APP-SETUP.EXE [/PLAIN=SETUP.EXE] [/EN] [/CP932]
//       checks the folder's script as SETUPCHK does (errors stop the build), then writes one file:
//       the plain SETUP.EXE (default: the folder's own) followed by the script and the files.
//   setupmak /NEW APP_FOLDER [/SHARED] [/OVERWRITE]   a starting SETUP.INI for the application
//   setupmak /LIST APP-SETUP.EXE                       what a single file holds
//   setupmak /X=FOLDER APP-SETUP.EXE                   extracts it as a folder distribution
// Exit code: 0 done, 1 done with warnings, 2 not done.
//
// setupmak on Linux runs the same checks from the same sources. The distribution's files are
// found whatever the letter case of their names, as SETUP.EXE finds them on Windows (each name
// missing in its own spelling is the folder's entry that equals it in upper case). What the checks
// ask of the user's machine is answered for a default 64-bit Windows 10 on C: with one user,
// "User" (edge/default_windows.h), as the plain program gets it: (Win) C:\Windows\ and (Sys)
// C:\Windows\system32\ for both bitnesses; (Prg) C:\Program Files\ for a 64-bit SETUP.EXE, and
// C:\Program Files (x86)\ for a 32-bit one or one that cannot be read; (Tmp) and the user's
// folders below C:\Users\User\; the all users' desktop and documents below C:\Users\Public\ and
// their Start menu below C:\ProgramData\; no registry value. SETUPMAK.EXE takes the folders of
// the Windows it runs on.
#include <string>
#include <vector>

#include "base/byte_stream.h"
#include "base/dir_list.h"
#include "base/payload.h"
#include "base/pe_info.h"
#include "base/text.h"
#include "check/check_util.h"
#include "check/checks.h"
#include "check/console.h"
#include "check/messages.h"
#include "check/script_context.h"
#include "edge/fileops.h"
#include "make/build_single.h"
#include "make/new_script.h"
#include "script/folders.h"

#ifdef _WIN32
#include <windows.h>

#include "edge/wide.h"
#endif

namespace {

bool g_english = false;

std::string Say2(const std::string& japanese, const std::string& english) { return g_english ? english : japanese; }

const char kUsageJa[] =
    "使い方:\n"
    "  setupmak <配布フォルダ> /OUT=<単一ファイル.EXE> [/PLAIN=<SETUP.EXE>] [/EN] [/CP932]\n"
    "      スクリプトを SETUPCHK と同じく検査し (エラーがあれば作りません)、SETUP.EXE (省略時は\n"
    "      配布フォルダのもの) の後ろにスクリプトとファイルを収めた一つのファイルを作ります\n"
    "  setupmak /NEW <アプリケーションのフォルダ> [/SHARED] [/OVERWRITE]\n"
    "      フォルダのファイルをインストールする SETUP.INI のひな形を書きます\n"
    "  setupmak /LIST <単一ファイル.EXE>      収めているファイルの一覧\n"
    "  setupmak /X=<フォルダ> <単一ファイル.EXE>  配布フォルダとして取り出します\n"
    "終了コード: 0 完了、1 警告あり (完了)、2 失敗\n";
const char kUsageEn[] =
    "Usage:\n"
    "  setupmak <distribution folder> /OUT=<single file.EXE> [/PLAIN=<SETUP.EXE>] [/EN] [/CP932]\n"
    "      checks the script as SETUPCHK does (errors stop the build), then writes one file: SETUP.EXE\n"
    "      (default: the folder's own) followed by the script and the files\n"
    "  setupmak /NEW <application folder> [/SHARED] [/OVERWRITE]\n"
    "      writes a starting SETUP.INI that installs the folder's files\n"
    "  setupmak /LIST <single file.EXE>          what a single file holds\n"
    "  setupmak /X=<folder> <single file.EXE>    extracts it as a distribution folder\n"
    "Exit code: 0 done, 1 done with warnings, 2 failed\n";

struct Options {
    std::string folder, out, plain, extractTo, path;
    bool newScript = false, list = false, shared = false, overwrite = false, cp932 = false, wrong = false;
};

bool Value(const std::string& argument, const char* name, std::string& value) {
    std::string head = std::string(name) + "=";
    if (argument.size() <= head.size() || !EqualsNoCase(argument.substr(0, head.size()), head)) return false;
    value = argument.substr(head.size());
    return true;
}

Options ParseOptions(const std::vector<std::string>& arguments) {
    Options options;
    for (const std::string& argument : arguments) {
        if (EqualsNoCase(argument, "/EN"))
            g_english = true;
        else if (EqualsNoCase(argument, "/CP932"))
            options.cp932 = true;
        else if (EqualsNoCase(argument, "/NEW"))
            options.newScript = true;
        else if (EqualsNoCase(argument, "/LIST"))
            options.list = true;
        else if (EqualsNoCase(argument, "/SHARED"))
            options.shared = true;
        else if (EqualsNoCase(argument, "/OVERWRITE"))
            options.overwrite = true;
        else if (Value(argument, "/OUT", options.out) || Value(argument, "/PLAIN", options.plain) ||
                 Value(argument, "/X", options.extractTo))
            continue;
        else if (argument.empty() || (argument[0] == '/' && argument.size() > 1 && argument.find_first_of("\\/", 1) == std::string::npos) ||
                 !options.path.empty())
            options.wrong = true;  // an unknown switch (an absolute Linux path is no switch)
        else
            options.path = argument;
    }
    return options;
}

int MakeNew(const Options& options) {
    NewScriptOptions settings;
    settings.shared = options.shared;
    settings.overwrite = options.overwrite;
    NewScriptResult result = MakeNewScript(options.path, settings);
    bool warnings = false;
    for (const NewScriptMessage& message : result.messages) {
        const char* kind = message.kind == NewScriptMessage::Kind::kError     ? "error: "
                           : message.kind == NewScriptMessage::Kind::kWarning ? "warning: "
                                                                             : "";
        warnings = warnings || message.kind == NewScriptMessage::Kind::kWarning;
        PrintOut(std::string(kind) + (g_english ? message.english : message.japanese) + "\n");
    }
    if (!result.ok) return 2;
    PrintOut(Say2("書きました: ", "written: ") + JoinPath(options.path, "SETUP.INI") + "\n");
    return warnings ? 1 : 0;
}

// Opens and checks a single file whole; prints why not.
bool OpenSingleFile(const std::string& path, FileSource& file, PayloadReader& reader) {
    PayloadStatus status = file.Open(path) ? reader.Open(file) : PayloadStatus::kReadError;
    if (status == PayloadStatus::kOk) status = reader.Verify();
    if (status == PayloadStatus::kOk) return true;
    PrintOut(path + ": error: " +
             Say2("単一ファイルとして読めません (", "cannot be read as a single file (") + PayloadStatusName(status) + ")\n");
    return false;
}

int List(const Options& options) {
    FileSource file;
    PayloadReader reader;
    if (!OpenSingleFile(options.path, file, reader)) return 2;
    PrintOut(IntToStr(static_cast<long long>(reader.Trailer().plainLength)) + "  SETUP.EXE\n");
    for (const PayloadEntry& entry : reader.Entries())
        PrintOut(IntToStr(static_cast<long long>(entry.size)) + "  " + entry.name + "\n");
    PrintOut(Say2("ファイル ", "") + IntToStr(static_cast<long long>(reader.Entries().size())) +
             Say2(" 個、", " files, ") + FormatThousands(static_cast<long long>(reader.ContentSize())) +
             Say2(" バイト\n", " bytes\n"));
    return 0;
}

int Extract(const Options& options) {
    FileSource file;
    PayloadReader reader;
    if (!OpenSingleFile(options.path, file, reader)) return 2;
    auto openSink = [&](const PayloadEntry& entry) -> std::unique_ptr<ByteSink> {
        std::string path = JoinPath(options.extractTo, entry.name);
        if (!MakeParentFolders(path)) return nullptr;
        auto sink = std::make_unique<FileSink>();
        if (!sink->Create(path)) return nullptr;
        sink->SetWriteTime(entry.writeTime);
        return sink;
    };
    PayloadStatus status = reader.ExtractAll(openSink);
    FileSink plain;
    plain.SetWriteTime(reader.Trailer().plainWriteTime);
    if (status == PayloadStatus::kOk)
        status = plain.Create(JoinPath(options.extractTo, "SETUP.EXE")) ? reader.ExtractPlainProgram(plain)
                                                                        : PayloadStatus::kWriteError;
    if (status != PayloadStatus::kOk) {
        PrintOut(options.extractTo + ": error: " + Say2("取り出せませんでした (", "could not extract (") +
                 PayloadStatusName(status) + ")\n");
        return 2;
    }
    PrintOut(Say2("取り出しました: ", "extracted: ") + options.extractTo + "\n");
    return 0;
}

// The bitness of the plain program; 32 when it cannot be read.
int ProgramBits(const std::string& program) {
    PeInfo info;
    return ReadPeInfoFromFile(program, info) && info.bits == 64 ? 64 : 32;
}

int Build(const Options& options) {
    std::string script = JoinPath(options.path, "SETUP.INI");
    std::string plain = options.plain.empty() ? JoinPath(options.path, "SETUP.EXE") : options.plain;
    if (std::string located = LocatePath(plain); !located.empty()) plain = located;
    ScriptContext context;
    std::vector<PackedFile> sources;
    context.SetSourceResolver([&](const SourceQuery& query) {
        return ResolveBuilderSource(options.path, context.InstallFolder(), query);
    });
    // The checks take the folders the plain program gets: on Windows this machine's, elsewhere
    // those of a default Windows installation for the program's bitness (C:\Program Files\ for a
    // 64-bit SETUP.EXE, C:\Program Files (x86)\ for a 32-bit one).
    context.SetFolderSources(FolderSources::ForProgram(ProgramBits(plain)));
    if (!context.Load(script, "")) {
        PrintOut(script + ": error: " + Say(Msg::ScriptMissing) + "\n");
        return 2;
    }
    RunChecks(context);
    int checked = ReportFindings(context, script);
    if (checked == 2) {
        PrintOut(Say2("エラーがあるため、単一ファイルは作りません。\n", "errors: no single file is made.\n"));
        return 2;
    }
    for (const PlannedCopy& copy : PlanCopies(context))
        if (copy.found) sources.push_back(PackedFile{copy.parsed.sourceName, copy.source});
    std::vector<PackedFile> files;
    std::string problem;
    if (!PlanPackedFiles(options.path, sources, files, problem)) {
        PrintOut(options.path + ": error: " + problem + "\n");
        return 2;
    }
    std::string bytes;
    if (ReadWholeFile(script, bytes) != 0) bytes.clear();
    problem = WriteSingleFile(plain, files, WithoutDiskChanges(bytes), options.out);
    if (!problem.empty()) {
        PrintOut(options.out + ": error: " + problem + "\n");
        return 2;
    }
    PrintOut(options.out + ": " + IntToStr(static_cast<long long>(files.size())) +
             Say2(" 個のファイルを収めました\n", " files packed\n"));
    return checked;
}

std::vector<std::string> Arguments(int argc, char** argv) {
    std::vector<std::string> arguments;
#ifdef _WIN32
    // The wide command line: any name, whatever the system's code page.
    (void)argc;
    (void)argv;
    std::vector<std::string> all = CommandLineParameters(Narrow(GetCommandLineW()));
    arguments.assign(all.begin() + (all.empty() ? 0 : 1), all.end());
#else
    for (int i = 1; i < argc; ++i) arguments.push_back(argv[i]);
#endif
    return arguments;
}

}  // namespace

int main(int argc, char** argv) {
    Options options = ParseOptions(Arguments(argc, argv));
    UseEnglish(g_english);
    UseCodePage932Output(options.cp932);
    bool build = !options.newScript && !options.list && options.extractTo.empty();
    if (options.wrong || options.path.empty() || (build && options.out.empty())) {
        PrintError(g_english ? kUsageEn : kUsageJa);
        return 2;
    }
    if (options.newScript) return MakeNew(options);
    if (options.list) return List(options);
    if (!options.extractTo.empty()) return Extract(options);
    return Build(options);
}
