#include "conversion/rules/RowVerdict.h"

RowVerdict rowVerdict(TargetSystem system, const RowOutcome& outcome) {
    RowVerdict verdict;
    if (!outcome.folderNotMade.isEmpty()) {
        verdict.result = RowResult::FolderNotMade;
    } else if (!outcome.scriptWritten) {
        verdict.result = RowResult::ScriptNotWritten;
    } else if (outcome.cancelled) {
        verdict.result = RowResult::Cancelled;
    } else if (!outcome.launched || !outcome.endedNormally) {
        verdict.result = RowResult::NotRun;
    } else if (system == TargetSystem::Mac &&
               (outcome.permissionExit.value_or(0) != 0 || outcome.scriptExit != 0)) {
        verdict.result = RowResult::ProcessingFailed;
        verdict.failingCodes = ExitCodes{outcome.permissionExit.value_or(0), outcome.scriptExit};
    } else if (outcome.scriptExit != 0 || (outcome.targetChecked && !outcome.targetWritten)) {
        verdict.result = RowResult::ProcessingFailed;
    }
    return verdict;
}
