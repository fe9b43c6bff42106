#pragma once

#include "conversion/rules/FileStamp.h"
#include "conversion/rules/TargetSystem.h"
#include "joblist/rules/JobRow.h"

#include <QByteArray>
#include <QString>

#include <optional>

// What happened to one row's script, in plain values.
struct RowOutcome {
    bool launched = true;              // false: a child could not be started
    bool endedNormally = true;         // false: a child crashed or was killed
    bool scriptWritten = true;         // false: the row's script could not be written
    bool cancelled = false;            // ended by Cancel
    std::optional<int> permissionExit; // the Mac flavour's "chmod 755"
    int scriptExit = 0;
    bool targetChecked = true; // false for the run without ticked rows
    // The target as it was when the row started, and when it ended.
    std::optional<FileStamp> targetBefore;
    std::optional<FileStamp> targetAfter;
    // The folder of a mirrored target that could not be made, and the
    // system's error number saying why; the row did not run.
    QString folderNotMade;
    int folderError = 0;
};

// A target counts as converted only if it is a non-empty file this row
// wrote: a stale one from an earlier run, or an empty one, does not.
bool targetWritten(const RowOutcome& outcome);

// How a row ended.
enum class RowResult {
    Converted,        // the exit values say success and the target was written
    ProcessingFailed, // the exit values say failure, or the target was not written
    NotRun,           // a child could not be started, or did not end normally
    ScriptNotWritten, // the row's script could not be written
    FolderNotMade,    // the folder its target goes in could not be made
    Cancelled,        // ended by Cancel
};

// The Mac flavour's two exit values, when they said failure.
struct ExitCodes {
    int permission = 0;
    int script = 0;
    bool operator==(const ExitCodes&) const = default;
};

// A row's result, with what a person is told about it.
struct RowVerdict {
    RowResult result = RowResult::Converted;
    std::optional<ExitCodes> failingCodes; // named in the Mac flavour's result text
    QByteArray report; // a failed row's last output, or its exit values in words (UTF-8)
    std::optional<ExitValues> exits; // when the row's children ran to an end

    bool converted() const { return result == RowResult::Converted; }
};

// Whether a row that did not convert leaves a target to remove: one its
// converter began but did not finish (see isIncompleteTarget).
bool leavesIncompleteTarget(const RowOutcome& outcome, const RowVerdict& verdict);

// A row's result from its outcome: a folder that could not be made, a script
// that could not be written, Cancel and a child that could not run come first;
// then the exit values; exit values that say success still fail a row whose
// target was not really written.
RowVerdict rowVerdict(TargetSystem system, const RowOutcome& outcome);
