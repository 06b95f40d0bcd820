#include "app/exit_codes.h"

#include "install/install_engine.h"
#include "uninstall/uninstall_run.h"

int InstallExitCode(const InstallResult& result, bool unattended, bool errorsShown, bool restartPending) {
    switch (result.ended) {
    case InstallEnd::Aborted:
        return kExitStopped;
    case InstallEnd::Refused:
        return unattended || errorsShown ? kExitFailed : kExitStopped;
    case InstallEnd::Completed:
        break;
    }
    if (result.FailureCount != 0 || errorsShown) return kExitFailed;
    return restartPending ? kExitRestartNeeded : kExitSuccess;
}

int UninstallExitCode(const UninstallOutcome& outcome, bool errorsShown, bool restartPending) {
    if (outcome.stopped || outcome.failureCount != 0 || errorsShown) return kExitFailed;
    return restartPending ? kExitRestartNeeded : kExitSuccess;
}
