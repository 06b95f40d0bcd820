// Phase 8 of the install run: shortcuts, registry values, INI entries, the removal lists named by
// the script, and file associations.
#include <windows.h>

#include "core/state.h"
#include "install/install_context.h"
#include "install/registry_entry.h"
#include "install/relate_entry.h"
#include "install/shortcut_entry.h"
#include "edge/fileops.h"
#include "script/folders.h"
#include "script/ini.h"
#include "base/text.h"
#include "sys/registry.h"
#include "sys/shortcut.h"

namespace {

void WriteDefaultValue(const std::string& keyPath, const std::string& value) {
    RegistryKey key = CreateKeyOrRaise(HKEY_CLASSES_ROOT, keyPath);
    key.WriteString("", value);
}

void WriteAssociation(const RelateAssociation& a) {
    std::vector<AssociationValue> values = AssociationValues(a);
    {
        // The extension's earlier file type is recorded before it is taken over.
        RegistryKey extensionKey = CreateKeyOrRaise(HKEY_CLASSES_ROOT, values.front().keyPath);
        std::string previous;
        bool hadDefault = extensionKey.QueryString("", previous);
        RecordPreviousAssociation(g_state.RestoreRelateKeys, a.extension, hadDefault, previous);
    }
    for (const AssociationValue& item : values) WriteDefaultValue(item.keyPath, item.value);
}

}  // namespace

bool RunShortcutPhase(InstallContext& run) {
    run.OpenStep("ショートカットを作成しています．．．", "なし");
    for (long n = 1;; ++n) {
        std::string make = run.script.Read("ShortCut", "Make" + std::to_string(n));
        if (make.empty()) break;
        std::string name = run.script.Read("ShortCut", "Name" + std::to_string(n), "Default");
        if (!ShortcutSelected(name, run.options.shortcuts)) make = kUserNotSelected;
        if (make == kUserNotSelected) continue;

        ShortcutPlan plan = PlanShortcut(make, name);
        run.ShowDetail("【作成元】" + plan.target + "\r\n【作成先】" + ShortcutDisplayPath(plan.linkPath) + "\r\n");
        if (run.AbortTest()) return false;
        std::string written = CreateShortcut(plan.target, plan.linkPath, plan.workFolder, plan.arguments);
        run.Pause();
        run.result.Lists.ShortcutLog.Append(written);
        g_state.StatusTail = "完了";
    }
    run.CloseStep();
    return true;
}

bool RunRegistryPhase(InstallContext& run) {
    run.OpenStep("レジストリキーを作成しています．．．", "なし");
    for (long n = 1;; ++n) {
        std::string number = std::to_string(n);
        std::string keyValue = run.script.Read("Registry", "Key" + number);
        if (keyValue.empty()) break;
        run.Show();
        if (run.AbortTest()) return false;
        RootedKey rooted = SplitScriptKey(keyValue);
        RegistryKey key = CreateKeyOrRaise(RootKeyOf(rooted.root), rooted.keyPath);
        RegistryValueSpec item = ParseRegistryValue(run.script.Read("Registry", "Value" + number));
        WriteRegistryValue(key, run.script.Read("Registry", "Name" + number), item);
        g_state.StatusTail = "完了";
    }
    run.CloseStep();
    return true;
}

bool RunIniFilePhase(InstallContext& run) {
    run.OpenStep("INIファイルを設定しています．．．", "なし");
    for (const std::string& data : run.NumberedList("IniFile", "Data")) {
        run.Show();
        if (run.AbortTest()) return false;
        std::string value = ExpandMacros(data);
        WriteIniValue(GetField(value, ",", 1), GetField(value, ",", 2), GetField(value, ",", 3), GetField(value, ",", 4));
        g_state.StatusTail = "完了";
    }
    run.CloseStep();
    return true;
}

void CollectRemovalEntries(InstallContext& run) {
    // Registry keys stay as written (root macro and all); files get their folders.
    for (const std::string& key : run.NumberedList("DeleteRegistry", "Key")) run.result.Lists.RegistryLog.Append(key);
    for (const std::string& file : run.NumberedList("AddDeleteFile", "File"))
        run.result.Lists.AddDeleteLog.Append(ExpandMacros(file));
}

bool RunAssociationPhase(InstallContext& run) {
    run.OpenStep("関連付けを設定しています．．．", "なし");
    for (int i = 0; i < run.relateCount; ++i) {
        run.Show();
        if (run.AbortTest()) return false;
        RelateAssociation association = ParseAssociation(g_state.RelateTable[i]);
        // Without an extension the keys would land on the class root's "." key.
        if (association.extension.empty()) continue;
        if (ShowMessageBox(AssociationQuestion(association), kAssociationQuestionTitle, MB_YESNO | MB_ICONQUESTION) != IDYES)
            continue;
        WriteAssociation(association);
        g_state.StatusTail = "完了";
    }
    run.CloseStep();
    return true;
}
