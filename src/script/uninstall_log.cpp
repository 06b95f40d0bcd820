#include "script/uninstall_log.h"

#include <set>
#include <unordered_map>

#include "base/text.h"
#include "sys/registry.h"

// Taking over and writing the log on disk is in uninstall_log_windows.cpp.

namespace {

std::string NumberedKey(const char* prefix, long number) { return prefix + IntToStr(number); }

// Items match by path, case-insensitively; the length is part of the key, as in EqualsNoCase.
std::string PathKey(const std::string& value) {
    std::string path = GetField(value, ",", 1);
    return IntToStr(static_cast<long long>(path.size())) + ":" + UpperCase(path);
}

// LogSlot for a whole list at once: remembers the numbers of the paths already in the section,
// so that each item costs a lookup instead of a walk through the section.
class SlotFinder {
public:
    SlotFinder(const IniDocument& log, const LogList& list) : log_(log), list_(list) { Rebuild(); }

    long Find(const std::string& item) const {
        auto found = numbersByPath_.find(PathKey(item));
        if (found != numbersByPath_.end() && !found->second.empty() && *found->second.begin() < firstFree_)
            return *found->second.begin();
        return firstFree_;
    }

    // The log's value at this number was just written.
    void Written(long number) {
        if (rereads_ != log_.RereadCount()) {
            // The log reread itself, and other values may read differently now.
            Rebuild();
            return;
        }
        std::string value = ValueAt(number);
        Remember(number, value);
        if (value.empty()) {
            if (number < firstFree_) firstFree_ = number;
        } else if (number == firstFree_) {
            Advance();
        }
    }

private:
    std::string ValueAt(long number) const {
        return log_.Get(list_.Section, NumberedKey(list_.KeyPrefix, number), "");
    }

    void Remember(long number, const std::string& value) {
        auto old = pathAt_.find(number);
        if (old != pathAt_.end()) {
            numbersByPath_[old->second].erase(number);
            pathAt_.erase(old);
        }
        if (value.empty()) return;
        std::string key = PathKey(value);
        pathAt_[number] = key;
        numbersByPath_[key].insert(number);
    }

    // Numbers below firstFree_ all hold values; find the next empty one.
    void Advance() {
        for (;;) {
            std::string value = ValueAt(firstFree_);
            if (value.empty()) return;
            Remember(firstFree_, value);
            ++firstFree_;
        }
    }

    void Rebuild() {
        numbersByPath_.clear();
        pathAt_.clear();
        firstFree_ = 1;
        rereads_ = log_.RereadCount();
        Advance();
    }

    const IniDocument& log_;
    LogList list_;
    std::unordered_map<std::string, std::set<long>> numbersByPath_;
    std::unordered_map<long, std::string> pathAt_;
    long firstFree_ = 1;
    unsigned rereads_ = 0;
};

// A shared mark recorded for the file earlier survives an entry written without it.
std::string WithSharedMark(const std::string& item, const std::string& previous) {
    if (FindNoCase("/S", previous) == 0 || FindNoCase("/S", item) != 0) return item;
    return item + (FindNoCase(",/", item) != 0 ? "/S" : ",/S");
}

void WriteList(IniDocument& log, const RemovalList& items, const LogList& list, bool keepSharedMark) {
    SlotFinder slots(log, list);
    for (const std::string& original : items.Items()) {
        long number = slots.Find(original);
        std::string key = NumberedKey(list.KeyPrefix, number);
        std::string item = keepSharedMark ? WithSharedMark(original, log.Get(list.Section, key, "")) : original;
        log.Set(list.Section, key, item);
        slots.Written(number);
    }
}

}  // namespace

std::string RemovalList::Text() const {
    std::string text;
    for (const std::string& item : items_) text += item + "|";
    return text;
}

bool MergeRestoreRelate(RestoreRelateSlots& slots, const std::string& record) {
    if (record.empty()) return false;
    // Compared by extension rather than by text containment: "htm," is part of "shtm,x", but
    // the two extensions need a record each.
    std::string extension = GetField(record, ",", 1);
    for (std::string& slot : slots) {
        if (slot.empty()) {
            slot = record;
            return true;
        }
        if (EqualsNoCase(GetField(slot, ",", 1), extension)) return false;
    }
    return false;
}

long LogSlot(const std::string& item, const std::string& section, const std::string& keyPrefix,
             const IniDocument& log) {
    std::string path = GetField(item, ",", 1);
    for (long n = 1;; ++n) {
        std::string value = log.Get(section, keyPrefix + IntToStr(n), "");
        if (value.empty() || EqualsNoCase(GetField(value, ",", 1), path)) return n;
    }
}

bool IsSetupOnly(const std::string& unSetupTitle) { return FindNoCase("Setup Only.", unSetupTitle) != 0; }

std::string UninstallKeyPathOf(const std::string& keyName) {
    return "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + keyName;
}

bool IsUninstallEntryKey(const std::string& keyPath) {
    const std::string root = UninstallKeyPathOf("");
    std::string path = keyPath;
    while (!path.empty() && path[0] == '\\') path.erase(0, 1);
    if (path.size() < root.size() || !EqualsNoCase(path.substr(0, root.size()), root)) return false;
    // Doubled separators after the Uninstall key name nothing below it.
    std::string name = path.substr(root.size());
    while (!name.empty() && name[0] == '\\') name.erase(0, 1);
    return !RemoveDelimiter(name, "B").empty();
}

IniDocument BuildUninstallLog(const UninstallLogContent& content) {
    IniDocument log;
    log.Set("Information", "Message1", "Orvant Setup Nova UnSetup(UnInstall) Initialize File");
    log.Set("Information", "Message2", "！！！　警告　！！！");
    log.Set("Information", "Message3", "このファイルをエディタなどで書き換えたり、削除しないでください。");
    log.Set("Information", "Message4", "書き換えた場合、" + content.UnSetupWord + "動作の保証はできません。");
    log.Set("Title", "UnSetup", content.UnSetupTitle);
    log.Set("SetupFolder", "Folder", content.InstallFolder);

    WriteList(log, content.Lists.FolderLog, kFolderList, false);
    WriteList(log, content.Lists.FileLog, kFileList, true);
    WriteList(log, content.Lists.ShortcutLog, kShortcutList, false);
    WriteList(log, content.Lists.RegistryLog, kRegistryList, false);
    WriteList(log, content.Lists.AddDeleteLog, kAddDeleteList, false);

    for (long n = 1; n <= 20; ++n) {
        const std::string& record = content.RestoreRelateKeys[static_cast<size_t>(n - 1)];
        if (!record.empty())
            log.Set(kRestoreRelateList.Section, NumberedKey(kRestoreRelateList.KeyPrefix, n), record);
    }
    if (!content.UnSetupOption.empty()) log.Set("UnSetupOption", "CheckBox", content.UnSetupOption);
    log.Set("Extend", "SetupString", content.SetupWord);
    log.Set("Extend", "UnSetupString", content.UnSetupWord);
    log.Set("UnSetupRegistryKey", "Key", content.UninstallKeyPath);
    log.Set("ProgramID", "ID", content.ProgramId);
    // Which build's uninstaller removes this install: the places it used are those of its bitness.
    log.Set("Platform", "Bits", kSixtyFourBitBuild ? "64" : "32");
    return log;
}

std::string UninstallerFileName(bool sixtyFourBit) { return sixtyFourBit ? "UNOVNOVA64.EXE" : "UNOVNOVA.EXE"; }

LogBitness ReadLogBitness(const IniDocument& log) {
    std::string bits = log.Get("Platform", "Bits", "");
    if (bits == "32") return LogBitness::ThirtyTwo;
    if (bits == "64") return LogBitness::SixtyFour;
    return LogBitness::Unknown;
}

std::vector<std::string> ReadNumberedList(const IniDocument& log, const LogList& list) {
    std::vector<std::string> values;
    for (long n = 1;; ++n) {
        std::string value = log.Get(list.Section, NumberedKey(list.KeyPrefix, n), "");
        if (value.empty()) return values;
        values.push_back(value);
    }
}

LogEntry SplitLogEntry(const std::string& value) { return {GetField(value, ",", 1), GetField(value, ",", 2)}; }

bool HasLogOption(const std::string& options, const std::string& flag) { return FindNoCase(flag, options) != 0; }

RegistryLogKey SplitRegistryLogValue(const std::string& value) {
    RootedKey key = SplitLogKey(value);
    return {key.root, key.keyPath};
}
