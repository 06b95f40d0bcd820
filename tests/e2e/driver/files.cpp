#include "driver/files.h"

#include <windows.h>

#include <string_view>

#include "base/cp932.h"
#include "driver/common.h"
#include "edge/wide.h"

namespace e2e {

namespace {

struct Handle {
    HANDLE handle;
    ~Handle() {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
};

// One line of a file: from begin to end (its line break excluded), the next line from next.
struct Line {
    size_t begin, end, next;
};

std::vector<Line> Lines(const std::string& text) {
    std::vector<Line> lines;
    for (size_t begin = 0; begin < text.size();) {
        size_t end = text.find('\n', begin);
        size_t next = end == std::string::npos ? text.size() : end + 1;
        if (end == std::string::npos) end = text.size();
        if (end > begin && text[end - 1] == '\r') --end;
        lines.push_back({begin, end, next});
        begin = next;
    }
    return lines;
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// Names compare without regard to ASCII letter case; a two-byte character compares exactly.
bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    for (size_t i = 0; i < a.size(); ++i) {
        if (IsCp932LeadByte(static_cast<unsigned char>(a[i])) && i + 1 < a.size()) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
            ++i;
        } else if (upper(a[i]) != upper(b[i])) {
            return false;
        }
    }
    return true;
}

std::string_view LineText(const std::string& text, const Line& line) {
    return std::string_view(text).substr(line.begin, line.end - line.begin);
}

// The section a line opens ("[name]"); false for any other line. A trail byte of a two-byte
// character may look like "]".
bool OpensSection(std::string_view line, std::string_view& name) {
    line = Trimmed(line);
    if (line.empty() || line.front() != '[') return false;
    for (size_t i = 1; i < line.size(); ++i) {
        if (IsCp932LeadByte(static_cast<unsigned char>(line[i]))) {
            ++i;
        } else if (line[i] == ']') {
            name = Trimmed(line.substr(1, i - 1));
            return true;
        }
    }
    return false;
}

// The key of a "key=value" line ("=" is never a trail byte).
bool KeyOf(std::string_view line, std::string_view& key, std::string_view& value) {
    size_t equals = line.find('=');
    if (equals == std::string_view::npos) return false;
    key = Trimmed(line.substr(0, equals));
    value = Trimmed(line.substr(equals + 1));
    return true;
}

// The lines of a section: from the one after its header to the next header; false when missing.
bool FindSection(const std::string& text, const std::vector<Line>& lines, const std::string& section,
                 size_t& header, size_t& first, size_t& last) {
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string_view name;
        if (!OpensSection(LineText(text, lines[i]), name) || !SameName(name, section)) continue;
        header = i;
        first = i + 1;
        last = first;
        while (last < lines.size() && !OpensSection(LineText(text, lines[last]), name)) ++last;
        return true;
    }
    return false;
}

}  // namespace

bool FileExists(const std::string& path) {
    DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
    std::string folder = path;
    if (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
    DWORD attributes = GetFileAttributesW(Wide(folder).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadBytes(const std::string& path) {
    Handle file{CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr)};
    if (file.handle == INVALID_HANDLE_VALUE) return {};
    std::string bytes(GetFileSize(file.handle, nullptr), '\0');
    DWORD read = 0;
    if (!bytes.empty()) ReadFile(file.handle, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    bytes.resize(read);
    return bytes;
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
    Handle file{CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                            nullptr)};
    if (file.handle == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    return bytes.empty() ||
           (WriteFile(file.handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
            written == bytes.size());
}

std::string IniValue(const std::string& path, const std::string& section, const std::string& key, bool* found) {
    if (found) *found = false;
    std::string text = ReadBytes(path);
    std::vector<Line> lines = Lines(text);
    size_t header, first, last;
    if (!FindSection(text, lines, section, header, first, last)) return {};
    for (size_t i = first; i < last; ++i) {
        std::string_view name, value;
        if (!KeyOf(LineText(text, lines[i]), name, value) || !SameName(name, key)) continue;
        if (found) *found = true;
        return std::string(value);
    }
    return {};
}

std::vector<std::string> IniSections(const std::string& path) {
    std::string text = ReadBytes(path);
    std::vector<std::string> names;
    for (const Line& line : Lines(text)) {
        std::string_view name;
        if (OpensSection(LineText(text, line), name)) names.emplace_back(name);
    }
    return names;
}

bool SetIniValue(const std::string& path, const std::string& section, const std::string& key,
                 const std::string& value) {
    std::string text = ReadBytes(path);
    std::vector<Line> lines = Lines(text);
    const std::string entry = Cp932(key) + "=" + Cp932(value);
    size_t header, first, last;
    if (!FindSection(text, lines, section, header, first, last)) {
        if (!text.empty() && text.back() != '\n') text += "\r\n";
        text += "[" + Cp932(section) + "]\r\n" + entry + "\r\n";
        return WriteBytes(path, text);
    }
    size_t after = header;  // the last line of the section that is not blank
    for (size_t i = first; i < last; ++i) {
        std::string_view name, stored;
        if (KeyOf(LineText(text, lines[i]), name, stored) && SameName(name, key)) {
            text.replace(lines[i].begin, lines[i].end - lines[i].begin, entry);
            return WriteBytes(path, text);
        }
        if (!Trimmed(LineText(text, lines[i])).empty()) after = i;
    }
    const Line& line = lines[after];
    if (line.next == line.end) text.insert(line.end, "\r\n" + entry);  // the file's last line, unended
    else text.insert(line.next, entry + "\r\n");
    return WriteBytes(path, text);
}

bool RemoveIniSection(const std::string& path, const std::string& section) {
    std::string text = ReadBytes(path);
    std::vector<Line> lines = Lines(text);
    size_t header, first, last;
    if (!FindSection(text, lines, section, header, first, last)) return true;
    size_t end = last < lines.size() ? lines[last].begin : text.size();
    text.erase(lines[header].begin, end - lines[header].begin);
    return WriteBytes(path, text);
}

}  // namespace e2e
