#include "install/install_context.h"

#include "core/state.h"
#include "edge/fileops.h"
#include "sys/error_text.h"

InstallContext::InstallContext(RunUi& ui_, const InstallOptions& options_, const DiskFreeMeasures& measures_)
    : ui(ui_), options(options_), measures(measures_) {}

void InstallContext::OpenStep(const std::string& header, const std::string& tail) {
    g_state.StatusText += header;
    g_state.StatusTail = tail;
    Show();
}

void InstallContext::Show() { ui.ShowStatus(g_state.StatusText); }

void InstallContext::ShowDetail(const std::string& detail) { ui.ShowStatus(g_state.StatusText + "\r\n" + detail); }

void InstallContext::CloseStep() {
    g_state.StatusText += g_state.StatusTail + "\r\n";
    g_state.StatusTail = "完了";
    Show();
}

void InstallContext::Pause() { ui.Pause(g_state.SetupSpeed); }

bool InstallContext::AbortTest() {
    if (!ui.AbortRequested()) return false;
    result.ended = InstallEnd::Aborted;
    return true;
}

void InstallContext::Refuse(const std::string& title) {
    const std::string& word = g_state.SetupWord;
    ShowMessageBox(word + "を続行できませんでした。", title.empty() ? word + "中止" : title, MB_OK | MB_ICONHAND);
    result.ended = InstallEnd::Refused;
}

void InstallContext::AddFailure(const std::string& tag, const std::string& path, unsigned long code) {
    result.FailureDetail += tag + path + "\r\n" + SystemErrorText(code) + "\r\n";
    ++result.FailureCount;
}

std::vector<std::string> InstallContext::NumberedList(const std::string& section, const std::string& prefix) const {
    std::vector<std::string> values;
    for (long n = 1;; ++n) {
        std::string value = script.Read(section, prefix + std::to_string(n));
        if (value.empty()) break;
        values.push_back(value);
    }
    return values;
}
