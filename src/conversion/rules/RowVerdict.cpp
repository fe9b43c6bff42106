#include "conversion/rules/RowVerdict.h"

#include "conversion/rules/IncompleteTarget.h"

RowVerdict rowVerdict(TargetSystem system, const RowOutcome& outcome) {
    RowVerdict verdict;
    if (outcome.scriptWritten && !outcome.cancelled && outcome.launched && outcome.endedNormally &&
        outcome.targetChecked)
        verdict.exits =
            ExitValues{system == TargetSystem::Mac ? outcome.permissionExit : std::nullopt,
                       outcome.scriptExit};
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
    } else if (outcome.scriptExit != 0 || (outcome.targetChecked && !targetWritten(outcome))) {
        verdict.result = RowResult::ProcessingFailed;
    }
    return verdict;
}

bool targetWritten(const RowOutcome& outcome) {
    const std::optional<FileStamp>& after = outcome.targetAfter;
    return after && after->size > 0 && after != outcome.targetBefore;
}

bool leavesIncompleteTarget(const RowOutcome& outcome, const RowVerdict& verdict) {
    return !verdict.converted() && outcome.targetChecked &&
           isIncompleteTarget(outcome.targetBefore, outcome.targetAfter);
}
