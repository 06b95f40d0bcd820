#include "app/command_line.h"

#include <vector>

#include "app/startup_rules.h"
#include "edge/fileops.h"
#include "base/text.h"

namespace {

const unsigned long kDefaultTimeLimit = 5 * 60 * 1000;

// "/NAME=value" or "/NAME": true when the switch has that name; value takes what follows "=".
bool IsSwitch(const std::string& parameter, const std::string& name, std::string* value = nullptr) {
    if (!value) return EqualsNoCase(parameter, name);
    std::string head = name + "=";
    if (parameter.size() < head.size() || !EqualsNoCase(parameter.substr(0, head.size()), head)) return false;
    *value = parameter.substr(head.size());
    return true;
}

// A parameter and where it starts in the line.
struct Token {
    std::string text;
    size_t start;
};

// The parameters as the start-up code splits them (blanks separate, double quotes group blanks and
// are removed), with their places in the line.
std::vector<Token> Tokens(const std::string& line) {
    std::vector<Token> tokens;
    size_t p = 0;
    while (true) {
        while (p < line.size() && (line[p] == ' ' || line[p] == '\t')) ++p;
        if (p >= line.size()) return tokens;
        Token token{"", p};
        bool quoted = false;
        for (; p < line.size(); ++p) {
            char c = line[p];
            if (c == '"')
                quoted = !quoted;
            else if ((c == ' ' || c == '\t') && !quoted)
                break;
            else
                token.text += c;
        }
        tokens.push_back(token);
    }
}

bool IsSwitchToken(const Token& token) { return !token.text.empty() && token.text[0] == '/'; }

// "/D=" followed by parameters that are no switches: the folder is the rest of the line.
size_t TakeFolderToTheEnd(const std::string& line, const std::vector<Token>& tokens, std::string& folder) {
    for (size_t i = tokens.size(); i-- > 1;) {
        if (!IsSwitchToken(tokens[i])) continue;
        if (i + 1 == tokens.size() || !IsSwitch(tokens[i].text, "/D", &folder)) return tokens.size();
        if (line.compare(tokens[i].start, 3, "/D=") != 0 && line.compare(tokens[i].start, 3, "/d=") != 0)
            return tokens.size();  // a quoted switch holds its own folder
        std::string rest = line.substr(tokens[i].start + 3);
        while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t')) rest.pop_back();
        if (rest.size() >= 2 && rest.front() == '"' && rest.back() == '"' && rest.find('"', 1) == rest.size() - 1)
            rest = rest.substr(1, rest.size() - 2);
        folder = rest;
        return i;
    }
    return tokens.size();
}

bool IsFullFolderPath(const std::string& path) {
    if (IsDeviceOrAdminSharePath(path)) return false;
    if (path.size() >= 3 && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
        path[1] == ':' && path[2] == '\\')
        return true;
    // \\server\share: two names after the opening pair of backslashes.
    if (path.size() < 5 || path[0] != '\\' || path[1] != '\\') return false;
    size_t share = path.find('\\', 2);
    return share != std::string::npos && share > 2 && share + 1 < path.size() && path[share + 1] != '\\';
}

bool ParseSeconds(const std::string& text, unsigned long& milliseconds) {
    if (text.empty() || text.size() > 6) return false;
    unsigned long seconds = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        seconds = seconds * 10 + static_cast<unsigned long>(c - '0');
    }
    milliseconds = seconds * 1000;
    return seconds > 0;
}

}  // namespace

CommandLine ParseCommandLine(const std::string& commandLine) {
    CommandLine line;
    std::vector<Token> tokens = Tokens(commandLine);
    std::string folderToTheEnd;
    size_t end = TakeFolderToTheEnd(commandLine, tokens, folderToTheEnd);
    for (size_t i = 1; i < tokens.size() && i <= end; ++i) {
        const std::string& p = tokens[i].text;
        if (i == end) {
            line.installFolder = folderToTheEnd;
        } else if (p.empty() || p[0] != '/') {
            if (line.parameter.empty())
                line.parameter = p;
            else if (line.leftover.empty())
                line.leftover = p;
        } else if (IsSwitch(p, "/S")) {
            line.unattended = true;
        } else if (IsSwitch(p, "/NORESTART")) {
            line.noRestart = true;
        } else if (IsSwitch(p, "/DELETEALL")) {
            line.deleteAll = true;
        } else if (IsSwitch(p, "/D", &line.installFolder) || IsSwitch(p, "/LOG", &line.logFile) ||
                   IsSwitch(p, "/TIMEOUT", &line.timeLimit)) {
            // taken above
        } else if (line.unknownSwitch.empty()) {
            line.unknownSwitch = p;
        }
    }
    return line;
}

std::string CommandLineProblem(const CommandLine& line) {
    const std::string usage = "\r\n\r\n使用できるスイッチ: /S /D=<フォルダ> /LOG=<ファイル> /NORESTART /DELETEALL /TIMEOUT=<秒>";
    if (!line.unknownSwitch.empty()) return "コマンドラインのスイッチ " + line.unknownSwitch + " は使用できません。" + usage;
    if (!line.installFolder.empty() && !IsFullFolderPath(line.installFolder))
        return "インストールフォルダ " + line.installFolder +
               " は、ドライブから始まる完全なパス (C:\\…) か、\\\\サーバー\\共有\\… の形で指定してください。" + usage;
    unsigned long milliseconds = 0;
    if (!line.timeLimit.empty() && !ParseSeconds(line.timeLimit, milliseconds))
        return "/TIMEOUT= には 1 以上の秒数を指定してください: " + line.timeLimit + usage;
    // The wizard has always let a stray parameter pass; a deployment's command line must be exact.
    std::string stray = line.parameter.empty() ? line.leftover : line.parameter;
    if (line.unattended && !IsUninstallParameter(line.parameter) && !stray.empty())
        return "コマンドラインの " + stray +
               " は使用できません。スペースを含むフォルダは、/D= を最後に置くか、引用符で囲んで指定してください。" + usage;
    return "";
}

unsigned long UnattendedTimeLimit(const CommandLine& line) {
    unsigned long milliseconds = 0;
    return ParseSeconds(line.timeLimit, milliseconds) ? milliseconds : kDefaultTimeLimit;
}
