#include "check/messages.h"

namespace {

bool g_english = false;

struct Text {
    Msg id;
    const char* japanese;
    const char* english;
};

const Text kTexts[] = {
    {Msg::Usage,
     "使い方: SETUPCHK [/EN] [/PLAN] [/CP932] [/D=<インストールフォルダ>] <配布フォルダまたは SETUP.INI>\n"
     "インストールスクリプトと、その横の配布フォルダを検査します。\n"
     "  /EN    メッセージを英語で表示します\n"
     "  /CP932 ファイルやパイプへの出力をコードページ 932 で書きます (省略時は UTF-8)\n"
     "  /PLAN  インストールのすべての処理を順に、アンインストールで削除されるものと共に表示します\n"
     "  /D=    計画と検査で使うインストールフォルダ (省略時はスクリプトが提示するフォルダ)\n"
     "終了コード: 0 問題なし、1 警告のみ、2 エラーあり\n",
     "Usage: SETUPCHK [/EN] [/PLAN] [/CP932] [/D=<install folder>] <distribution folder or SETUP.INI>\n"
     "Checks an install script and the distribution folder beside it.\n"
     "  /EN    messages in English\n"
     "  /CP932 output to a file or pipe in code page 932 (default: UTF-8)\n"
     "  /PLAN  also print every effect of the install in order, and what the uninstall removes\n"
     "  /D=    the install folder of the plan and the checks (default: the one the script proposes)\n"
     "Exit code: 0 no problems, 1 warnings only, 2 errors\n"},
    {Msg::ScriptMissing, "スクリプトが見つかりません", "the script does not exist"},
    {Msg::ScriptUnreadable, "スクリプトを読み込めません", "the script cannot be read"},
    {Msg::Clean, "%1: 問題は見つかりませんでした", "%1: no problems found"},
    {Msg::Summary, "%1: エラー %2 件、警告 %3 件", "%1: %2 error(s), %3 warning(s)"},

    {Msg::Utf8WithMark,
     "スクリプトが UTF-8 (BOM 付き) で保存されています。SETUP.EXE はスクリプトをコードページ 932 (Shift-JIS) "
     "として読むため、日本語がすべて文字化けします。Shift-JIS で保存し直すか、変換してください (例: iconv -f UTF-8 "
     "-t CP932)",
     "the script is saved as UTF-8 with a byte-order mark; SETUP.EXE reads scripts as code page 932 (Shift-JIS), so "
     "every Japanese text would be garbled. Save it as Shift-JIS or convert it (for example: iconv -f UTF-8 -t "
     "CP932)"},
    {Msg::Utf8WithoutMark,
     "スクリプトが UTF-8 で保存されています。SETUP.EXE はスクリプトをコードページ 932 (Shift-JIS) として読むため、"
     "日本語がすべて文字化けします。Shift-JIS で保存し直すか、変換してください (例: iconv -f UTF-8 -t CP932)",
     "the script is saved as UTF-8; SETUP.EXE reads scripts as code page 932 (Shift-JIS), so every Japanese text "
     "would be garbled. Save it as Shift-JIS or convert it (for example: iconv -f UTF-8 -t CP932)"},
    {Msg::Utf16,
     "スクリプトが UTF-16 で保存されています。Windows 95/98/Me の SETUP.EXE はこれを読めません。Shift-JIS "
     "で保存し直すか、変換してください (例: iconv -f UTF-16 -t CP932)",
     "the script is saved as UTF-16, which SETUP.EXE cannot read on Windows 95, 98 and Me. Save it as Shift-JIS or "
     "convert it (for example: iconv -f UTF-16 -t CP932)"},
    {Msg::NotCp932,
     "コードページ 932 の文字ではないバイトがあります (%1 バイト目の 0x%2)。前後の文字が化けて表示されます",
     "a byte that is no code page 932 text (0x%2 at byte %1): the text around it would be garbled"},

    {Msg::OutsideSection, "'%1' はセクションの前にあるため読まれません", "'%1' stands before any section and is never read"},
    {Msg::NoEquals, "[%1] '%2' には '=' がないため、値として読まれません", "[%1] '%2' has no '=' and is never read as a value"},
    {Msg::UnknownSection, "不明なセクション [%1] は読まれません", "unknown section [%1] is never read"},
    {Msg::UnknownSectionNear, "不明なセクション [%1] は読まれません ([%2] の誤りでは?)",
     "unknown section [%1] is never read (did you mean [%2]?)"},
    {Msg::UnknownKey, "[%1] %2: 不明なキーは読まれません", "[%1] %2: unknown key, never read"},
    {Msg::UnknownKeyNear, "[%1] %2: 不明なキーは読まれません (%3 の誤りでは?)",
     "[%1] %2: unknown key, never read (did you mean %3?)"},
    {Msg::DuplicateSection, "[%1] が再び現れます。読まれるのは %2 行目の最初の [%1] だけで、ここのキーはすべて無視されます",
     "[%1] appears again: only the first [%1] (line %2) is read, every key here is ignored"},
    {Msg::DuplicateKey, "[%1] %2 が再び現れます。読まれるのは %3 行目だけです", "[%1] %2 is given again: only line %3 is read"},
    {Msg::GapMissing, "[%1] %2 がないため一覧はそこで終わります。読まれないエントリ: %3",
     "[%1] %2 is missing, so the list stops there; never read: %3"},
    {Msg::GapEmpty, "[%1] %2 が空のため一覧はそこで終わります。読まれないエントリ: %3",
     "[%1] %2 is empty, so the list stops there; never read: %3"},
    {Msg::PastLast, "[%1] %2 は読まれません (読まれるのは %3 から %4 まで)",
     "[%1] %2 is never read: only %3 to %4 are read"},
    {Msg::Orphan, "[%1] %2 は使われません (%3 がありません)", "[%1] %2 is never used: there is no %3"},

    {Msg::UnknownMacro, "[%1] %2: %3 はマクロではなく、書かれたまま残ります",
     "[%1] %2: %3 is not a macro and stays as written"},
    {Msg::UnknownMacroNear, "[%1] %2: 不明なマクロ %3 は書かれたまま残ります (%4 の誤りでは?)",
     "[%1] %2: unknown macro %3 stays as written (did you mean %4?)"},
    {Msg::MacroNotExpanded, "[%1] %2: ここではマクロ %3 は展開されず、書かれたまま残ります",
     "[%1] %2: the macro %3 is not expanded here and stays as written"},
    {Msg::AppAtStartup,
     "[%1] %2: ここでは (App) は使えません。インストールフォルダが決まる前に読まれるため、(App) のまま残ります",
     "[%1] %2: (App) cannot be used here: it is read before the install folder is known and stays as written"},
    {Msg::SetAtStartup, "[%1] %2: ここでは (Set) は使えません。インストールフォルダが決まる前に読まれるため、空になります",
     "[%1] %2: (Set) cannot be used here: it is read before the install folder is known and is empty"},
    {Msg::DchMisplaced,
     "[%1] %2: %3 がディスク交換になるのは [CopyFile] エントリの先頭に (Dch) と書いた場合だけです。ここでは文字列として"
     "残ります",
     "[%1] %2: %3 means a disk change only when written (Dch) at the very start of a [CopyFile] entry; here it stays "
     "as text"},

    {Msg::SourceMissing, "[CopyFile] %1: コピー元のファイル %2 が配布フォルダにありません",
     "[CopyFile] %1: source file %2 not found in the distribution"},
    {Msg::SourceOnLaterDisk, "[CopyFile] %1: コピー元のファイル %2 はこのフォルダになく、%3 枚目のディスクにある必要があります",
     "[CopyFile] %1: source file %2 is not in this folder and must be on disk %3"},
    {Msg::WrongCase,
     "[%1] %2: スクリプトの名前は %3 ですが、配布フォルダのファイルは %4 です。大文字と小文字を区別するメディアでは"
     "見つかりません",
     "[%1] %2: the script names %3 but the distribution holds %4; on a case-sensitive medium it would not be found"},
    {Msg::CompressedName,
     "[CopyFile] %1: %2 はエントリから想定される名前ではなく %3 としてインストールされます。'|' の後にインストールする"
     "名前を書いてください",
     "[CopyFile] %1: %2 is installed as %3, not under the name the entry implies; give the installed name after a "
     "'|'"},
    {Msg::PageFileMissing, "[%1] File: %2 が配布フォルダにないため、このページは表示されません",
     "[%1] File: %2 is not in the distribution, so the page is skipped"},
    {Msg::CheckerMissing, "[Extend] InstallChecker: %1 が配布フォルダにないため、チェックは行われません",
     "[Extend] InstallChecker: %1 is not in the distribution, so no check is made"},
    {Msg::NotFullPath,
     "[%1] %2: %3 は完全なパス (ドライブ名か \\\\サーバー名から始まるパス) ではないため、SETUP.EXE "
     "の実行時の場所によって変わります",
     "[%1] %2: %3 is not a full path (a drive or \\\\server first), so it depends on where SETUP.EXE runs"},

    {Msg::UnknownOption, "[CopyFile] %1: オプション '%2' は /S /W /R の組み合わせではありません。認識されるのは: %3",
     "[CopyFile] %1: option text '%2' is not made of /S, /W and /R; SETUP.EXE sees: %3"},
    {Msg::OptionExtraField, "[CopyFile] %1: オプションは 2 番目の項目だけです。'%2' は無視されます",
     "[CopyFile] %1: only the second field holds options; '%2' is ignored"},
    {Msg::NoOption, "なし", "none"},
    {Msg::ParentNotMade,
     "[MakeFolder] %1: %2 の親フォルダはこれより前に作成されません。1 階層ずつしか作成しないため失敗します",
     "[MakeFolder] %1: the parent of %2 is not made before it; folders are made one level at a time, so this one "
     "fails"},
    {Msg::ParentMaybeMissing,
     "[MakeFolder] %1: %2 の親フォルダはスクリプトでは作成されず、このコンピュータにもありません。1 階層ずつしか作成しない"
     "ため、親フォルダのないコンピュータでは失敗します",
     "[MakeFolder] %1: the parent of %2 is neither made by the script nor present on this machine; folders are made "
     "one level at a time, so this one fails where the parent is missing"},

    {Msg::MakeWithoutName,
     "[ShortCut] %1 に対応する %2 がありません。リンクはスタートメニューのプログラムに %3 という名前で作成されます",
     "[ShortCut] %1 has no %2: the link is named %3 in the Start menu's programs"},
    {Msg::ShortcutEmptyName,
     "[ShortCut] %1 が空のため %2 のリンクには名前がありません。また、チェックボックスを決める Name の一覧はここで終わります",
     "[ShortCut] %1 is empty, so the link of %2 has no name; the Names that offer the check boxes also end here"},
    {Msg::ShortcutNeverMade,
     "[ShortCut] %1: このショートカットは作成されません。%2 のチェックボックスに従いますが、最初の空の Name までのどの "
     "Name にも %2 がないため、チェックボックスが表示されません",
     "[ShortCut] %1: this shortcut is never made: it follows the check box for %2, which is only offered when a Name "
     "before the first empty one holds %2"},

    {Msg::BadRoot,
     "[%1] %2: %3 はルート (Class) (Local) (Users) (Cuser) のいずれでもありません (大文字と小文字も区別)。キーは %4 "
     "になります",
     "[%1] %2: %3 is none of the roots (Class), (Local), (Users), (Cuser) (exact case); the key becomes %4"},
    {Msg::UnknownType,
     "[Registry] %1: %2 は型 (Str) (Exp) (Int) (Dwd) (Bin) のいずれでもありません (大文字と小文字も区別)。値全体が"
     "文字列として書き込まれます",
     "[Registry] %1: %2 is none of the types (Str), (Exp), (Int), (Dwd), (Bin) (exact case); the whole value is "
     "written as a string"},
    {Msg::NotNumber, "[Registry] %1: %2 のデータ '%3' は数値ではないため、0 が書き込まれます",
     "[Registry] %1: %2 data '%3' is not a number, so 0 is written"},
    {Msg::BinNotHex, "[Registry] %1: (Bin) のデータ '%2' は 8 桁までの 16 進数ではないため、何も書き込まれません",
     "[Registry] %1: (Bin) data '%2' is not up to 8 hexadecimal digits, so nothing is written"},
    {Msg::BinOdd, "[Registry] %1: (Bin) のデータ '%2' の桁数が奇数です。書き込まれるバイトは %3 です",
     "[Registry] %1: (Bin) data '%2' has an odd number of digits; the bytes written are %3"},
    {Msg::NameUnused, "[Registry] %1 は使われません: %2 が空のため、キーが作成されるだけです",
     "[Registry] %1 is never used: %2 is empty, so the entry only creates the key"},
    {Msg::DeleteRefused, "[DeleteRegistry] %1: %2 はルートに近すぎるため、アンインストールは削除を拒否します",
     "[DeleteRegistry] %1: the uninstall refuses to delete %2, which is too near the root"},
    {Msg::DeleteShared,
     "[DeleteRegistry] %1: %2 は Windows や他のプログラムと共有のキーのため、アンインストールは削除を拒否します",
     "[DeleteRegistry] %1: the uninstall refuses to delete %2, which Windows and other programs share"},

    {Msg::IniFields, "[IniFile] %1: '%2' は「セクション,キー,値,ファイル」の 4 項目になっていません",
     "[IniFile] %1: '%2' is not the four fields section,key,value,file"},
    {Msg::IniComma, "[IniFile] %1: 項目が 4 つを超えています。値にはカンマを使えないため '%2' は失われます",
     "[IniFile] %1: more than four fields: a value cannot hold a comma, so '%2' is lost"},
    {Msg::WildcardOutside,
     "[AddDeleteFile] %1: ワイルドカード %2 はインストールフォルダの外を指します。アンインストールはそこで一致するものを"
     "サブフォルダごと削除します",
     "[AddDeleteFile] %1: the wildcard %2 reaches outside the install folder; the uninstall deletes every match "
     "there, subfolders included"},
    {Msg::WildcardRefused,
     "[AddDeleteFile] %1: ワイルドカード %2 はドライブや共有のルート、またはシステムのフォルダ (Windows、Program Files、"
     "プロファイルなど) かそれを含むフォルダを指すため、アンインストールが拒否し、何も削除されません",
     "[AddDeleteFile] %1: the uninstall refuses the wildcard %2 in a drive or share root, or in a folder of the "
     "system (Windows, Program Files, a profile) or one that holds one, so nothing is deleted"},
    {Msg::RelateDot, "[Relate] %1: 拡張子 '%2' はドットから始まります。ドットなしで書いてください",
     "[Relate] %1: the extension '%2' begins with a dot; write it without the dot"},
    {Msg::RelateNoExtension, "[Relate] %1: 拡張子がないため、この関連付けは行われません",
     "[Relate] %1: no extension, so the association is skipped"},
    {Msg::RelateNameFields, "[Relate] %1: 項目は「拡張子,説明」の 2 つまでです。'%2' は無視されます",
     "[Relate] %1: only two fields, extension and description, are read; '%2' is ignored"},
    {Msg::RelateFileFields,
     "[Relate] %1: 項目が %2 個あります。「動詞,プログラム,オプション1,オプション2,アイコン番号」の 5 個が必要です",
     "[Relate] %1: %2 fields instead of five: verb,program,option 1,option 2,icon index"},
    {Msg::RelateNoProgram, "[Relate] %1: プログラム (2 番目の項目) がありません", "[Relate] %1: no program (second field)"},

    {Msg::UnSetupKeyMissing,
     "[Title] UnSetupKey がないため、「プログラムの追加と削除」の項目はタイトル '%1' の名前になります。同じタイトルの"
     "製品と項目を共有し、そのアンインストールで削除されます",
     "[Title] UnSetupKey is missing, so the Add/Remove Programs entry is named after the title '%1'; a product of the "
     "same title would share the entry and remove it with its own uninstall"},
    {Msg::UnSetupKeyEmpty,
     "[Title] UnSetupKey が空のため、ないものとして扱われ、「プログラムの追加と削除」の項目はタイトル '%1' の名前に"
     "なります。同じタイトルの製品と項目を共有し、そのアンインストールで削除されます",
     "[Title] UnSetupKey is empty and counts as missing, so the Add/Remove Programs entry is named after the title "
     "'%1'; a product of the same title would share the entry and remove it with its own uninstall"},
    {Msg::ProgramIdMissing,
     "[ProgramID] ID がないため、インストールフォルダは OVSET98.INI に記録されません。次のバージョンはそのフォルダを"
     "提示できず、IDCheck でも見つけられません",
     "[ProgramID] ID is missing, so the install folder is not recorded in OVSET98.INI: a later version can neither "
     "propose that folder nor find the program with IDCheck"},
    {Msg::ProgramIdEmpty,
     "[ProgramID] ID が空のため、インストールフォルダは OVSET98.INI に記録されません。次のバージョンはそのフォルダを"
     "提示できず、IDCheck でも見つけられません",
     "[ProgramID] ID is empty, so the install folder is not recorded in OVSET98.INI: a later version can neither "
     "propose that folder nor find the program with IDCheck"},
    {Msg::SameWords,
     "[Extend] SetupString と UnSetupString がどちらも '%1' です。インストールとアンインストールの開始ボタンを区別できません",
     "[Extend] SetupString and UnSetupString are both '%1': the start buttons of install and uninstall cannot be told "
     "apart"},
    {Msg::SpeedNotNumber, "[Extend] SetupSpeed '%1' は数値ではないため、350 が使われます",
     "[Extend] SetupSpeed '%1' is not a number, so 350 is used"},
    {Msg::EnabledCase, "[Extend] Enabled '%1' ではオプションは固定されません (固定するのは False だけです)",
     "[Extend] Enabled '%1' does not lock the options: only False (exact case) does"},
    {Msg::UnSetupOptionForm, "[Extend] UnSetupOption '%1' は DeleteAll でも 0,1,0,0 のような 4 つのフラグでもありません",
     "[Extend] UnSetupOption '%1' is neither DeleteAll nor four flags such as 0,1,0,0"},
    {Msg::ScrollBarsValue,
     "[%1] ScrollBars '%2' は ssVertical, ssHorizontal, ssBoth のいずれでもないため、前の設定のままです",
     "[%1] ScrollBars '%2' is none of ssVertical, ssHorizontal, ssBoth, so the earlier setting stays"},
    {Msg::CheckBoxCase, "[EULA] CheckBox '%1' ではチェックボックスは隠れません (隠すのは Hide だけです)",
     "[EULA] CheckBox '%1' does not hide the check box: only Hide (exact case) does"},
    {Msg::RebootCase,
     "[ExecuteFile] File '%1' は WINDOWS_REBOOT ではありません (大文字と小文字も区別)。この名前のプログラムを起動しようとします",
     "[ExecuteFile] File '%1' is not WINDOWS_REBOOT (exact case): SETUP.EXE would start a program of that name"},
    {Msg::ExecuteMode, "[ExecuteFile] File: 起動方法 '%1' は CreateProcess ではないため、シェルで開かれます",
     "[ExecuteFile] File: the mode '%1' is not CreateProcess (exact case), so the program is opened through the "
     "shell"},
    {Msg::NotInstalledInFolder, "[%1] %2: %3 はインストールフォルダにありますが、どの [CopyFile] エントリもインストールしません",
     "[%1] %2: %3 is in the install folder, but no [CopyFile] entry installs it"},
    {Msg::NotInstalledElsewhere, "[%1] %2: %3 は [CopyFile] でインストールされず、このコンピュータにもありません",
     "[%1] %2: %3 is not installed by [CopyFile] and does not exist on this machine"},
    {Msg::FolderNotFull, "[DefaultFolder] %1: '%2' (展開後 '%3') は完全なパスではないため、フォルダになりません",
     "[DefaultFolder] %1: '%2' (expanded '%3') is not a full path and cannot be a folder"},
    {Msg::FolderBadCharacter, "[DefaultFolder] %1: '%2' にはフォルダ名に使えない文字 '%3' があります",
     "[DefaultFolder] %1: '%2' holds '%3', which no folder name may hold"},
    {Msg::ReferRegistryForm, "[DefaultFolder] ReferRegistry '%1' は「キーのパス,値の名前」の形ではありません",
     "[DefaultFolder] ReferRegistry '%1' is not of the form key path,value name"},
    {Msg::ReferIniFileForm, "[DefaultFolder] ReferIniFile '%1' は「セクション,キー,ファイル」の形ではありません",
     "[DefaultFolder] ReferIniFile '%1' is not of the form section,key,file"},
    {Msg::IdCheckWithoutId, "[Caution] %1: IDCheck の後に ':' と識別子がないため、何も検出されません",
     "[Caution] %1: IDCheck has no ':' and identifier after it, so nothing is ever found"},

    {Msg::PlanTitle, "%1 のインストール計画 (インストールフォルダ %2)", "Plan of %1 for the install folder %2"},
    {Msg::PlanAssumptions,
     "前提: 自動上書き、関連付けの確認にはすべて「はい」、チェックボックスはオプションページの初期状態 (%1)",
     "Assumed: automatic overwriting, Yes to every association, the check boxes as the options page offers them "
     "(%1)"},
    {Msg::PlanNoBoxes, "チェックボックスなし", "no check box"},
    {Msg::PlanBoxes, "チェックあり: %1", "ticked: %1"},
    {Msg::PlanFolders, "フォルダ", "Folders"},
    {Msg::PlanFiles, "ファイル", "Files"},
    {Msg::PlanShortcuts, "ショートカット", "Shortcuts"},
    {Msg::PlanRegistry, "レジストリ", "Registry"},
    {Msg::PlanIniEntries, "INIファイル", "INI entries"},
    {Msg::PlanAssociations, "関連付け", "Associations"},
    {Msg::PlanFinishing, "終了処理", "Finishing"},
    {Msg::PlanUninstall, "アンインストール (%1 に記録)", "Uninstall (recorded in %1)"},
    {Msg::PlanNoUninstall,
     "アンインストールなし: [Title] UnSetup に \"Setup Only.\" があるため、ログも「プログラムの追加と削除」の項目も"
     "作成されません",
     "No uninstall: [Title] UnSetup holds \"Setup Only.\", so neither the log nor the Add/Remove Programs entry is "
     "written"},
    {Msg::TagFolder, "フォルダ", "folder"},
    {Msg::TagCopy, "コピー", "copy"},
    {Msg::TagExpand, "展開", "expand"},
    {Msg::TagMissing, "欠落", "missing"},
    {Msg::TagDiskChange, "ディスク交換", "disk"},
    {Msg::TagLink, "リンク", "link"},
    {Msg::TagSkip, "スキップ", "skip"},
    {Msg::TagKey, "キー", "key"},
    {Msg::TagValue, "値", "value"},
    {Msg::TagIni, "INI", "ini"},
    {Msg::TagLog, "ログ", "log"},
    {Msg::TagStart, "起動", "start"},
    {Msg::TagOpen, "開く", "open"},
    {Msg::TagRestart, "再起動", "restart"},
    {Msg::NoteInstallFolder, "インストールフォルダ、親フォルダも作成", "the install folder, made with its parents"},
    {Msg::NoteShared, "共有カウントを増加", "shared count raised"},
    {Msg::NoteRegistered, "自己登録", "self-registered"},
    {Msg::NoteArguments, "引数 %1", "arguments %1"},
    {Msg::NoteWorkFolder, "作業フォルダ %1", "working folder %1"},
    {Msg::NoteBoxNotOffered, "%1 のチェックボックスが表示されません", "the check box for %1 is not offered"},
    {Msg::NoteNothingWritten, "何も書き込まれません", "nothing written"},
    {Msg::NoteWhenNewer, "既存のものより新しい場合", "when newer than the one there"},
    {Msg::NoteEarlierLog, "フォルダには以前の UNSETUP.INI があり、その項目も新しいログに残ります",
     "The folder holds an earlier UNSETUP.INI; its entries are kept in the new log as well"},
    {Msg::UndoProgramId, "OVSET98.INI の [%1] を削除", "removes [%1] from OVSET98.INI"},
    {Msg::UndoFile, "削除", "deleted"},
    {Msg::UndoFileShared, "共有: カウントを減らし、0 になれば確認の上削除", "shared: count lowered, deleted after asking at 0"},
    {Msg::UndoFileAsk, "確認の上削除", "deleted after asking"},
    {Msg::UndoFileKeep, "残す", "kept"},
    {Msg::UndoAtRestart, "、使用中なら再起動後に削除", ", at the next restart if in use"},
    {Msg::UndoFileServer, "Windows かシステムフォルダのサーバー: 確認の上削除",
     "a server in the Windows or system folder: deleted after asking"},
    {Msg::UndoAddDelete, "削除 (失敗は報告されません)", "deleted, failures not reported"},
    {Msg::UndoWildcard, "一致するものをサブフォルダごと削除 (失敗は報告されません)",
     "every match deleted, subfolders included, failures not reported"},
    {Msg::UndoRefused, "拒否され、何も削除されません", "refused, nothing deleted"},
    {Msg::UndoShortcut, "削除 (空になったフォルダも削除)", "deleted, and its folder when empty"},
    {Msg::UndoFolder, "空なら削除", "removed when empty"},
    {Msg::UndoKey, "%1 をサブキーごと削除", "%1 deleted with its subkeys"},
    {Msg::UndoRestore, ".%1 を %2 に戻し、%1_auto_file を削除", ".%1 given back to %2, %1_auto_file deleted"},
    {Msg::UndoRestoreNone, ".%1 と %1_auto_file を削除", ".%1 and %1_auto_file deleted"},
    {Msg::UndoUninstallKey, "HKEY_LOCAL_MACHINE\\%1 を削除", "HKEY_LOCAL_MACHINE\\%1 deleted"},
    {Msg::UndoInstallFolder, "空なら削除 (DeleteAll を選ぶと中身ごと削除)",
     "removed when empty (with everything in it under DeleteAll)"},
    {Msg::UndoProtectedFolder, "システムやシェルのフォルダのため削除されません", "never removed: a system or shell folder"},
    {Msg::DefaultValueName, "(既定)", "(default)"},
};

}  // namespace

void UseEnglish(bool english) { g_english = english; }

bool EnglishChosen() { return g_english; }

std::string Say(Msg id, const std::vector<std::string>& args) {
    const char* pattern = "";
    for (const Text& text : kTexts) {
        if (text.id == id) {
            pattern = g_english ? text.english : text.japanese;
            break;
        }
    }
    // "%1" … "%9" are single-byte characters, which never occur inside a double-byte one.
    std::string result;
    for (const char* p = pattern; *p; ++p) {
        if (p[0] == '%' && p[1] >= '1' && p[1] <= '9') {
            size_t index = static_cast<size_t>(p[1] - '1');
            if (index < args.size()) result += args[index];
            ++p;
        } else {
            result += *p;
        }
    }
    return result;
}
