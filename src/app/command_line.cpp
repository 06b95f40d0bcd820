#include "app/command_line.h"

#include <vector>

#include "script/text.h"

namespace {

// "/NAME=value" or "/NAME": true when the switch has that name; value takes what follows "=".
bool IsSwitch(const std::string& parameter, const std::string& name, std::string* value = nullptr) {
    if (!value) return EqualsNoCase(parameter, name);
    std::string head = name + "=";
    if (parameter.size() < head.size() || !EqualsNoCase(parameter.substr(0, head.size()), head)) return false;
    *value = parameter.substr(head.size());
    return true;
}

}  // namespace

CommandLine ParseCommandLine(const std::string& commandLine) {
    CommandLine line;
    std::vector<std::string> parameters = CommandLineParameters(commandLine);
    for (size_t i = 1; i < parameters.size(); ++i) {
        const std::string& p = parameters[i];
        if (p.empty() || p[0] != '/') {
            if (line.parameter.empty()) line.parameter = p;
        } else if (IsSwitch(p, "/S")) {
            line.unattended = true;
        } else if (IsSwitch(p, "/NORESTART")) {
            line.noRestart = true;
        } else if (IsSwitch(p, "/D", &line.installFolder) || IsSwitch(p, "/LOG", &line.logFile)) {
            // taken above
        } else if (line.unknownSwitch.empty()) {
            line.unknownSwitch = p;
        }
    }
    return line;
}
