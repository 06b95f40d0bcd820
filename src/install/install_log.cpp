#include "install/install_log.h"

#include "core/state.h"
#include "install/install_context.h"
#include "script/uninstall_log.h"

bool WriteInstallLog(InstallContext& run, const UninstallEntry& entry, const std::function<void(int)>& showDots) {
    UninstallLogContent content;
    content.InstallFolder = g_state.InstallFolder;
    content.UnSetupTitle = g_state.UnSetupTitle;
    content.SetupWord = g_state.SetupWord;
    content.UnSetupWord = g_state.UnSetupWord;
    content.UnSetupOption = run.script.Read("Extend", "UnSetupOption");
    content.UninstallKeyPath = entry.keyPath;
    content.ProgramId = g_state.ProgramId;
    content.Lists = run.result.Lists;
    content.RestoreRelateKeys = g_state.RestoreRelateKeys;
    // The log is built in memory and written in one piece; the row of dots still passes the
    // points of the five lists.
    for (int dots = 4; dots <= 8; ++dots) showDots(dots);
    DWORD error = WriteUninstallLog(content, g_state.UninstallLogPath);
    // Without its log the install could not be removed: the user learns of it with the details.
    if (error != 0) run.AddFailure("<File> ", g_state.UninstallLogPath, error);
    showDots(8);
    return error == 0;
}
