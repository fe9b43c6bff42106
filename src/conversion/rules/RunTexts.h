#pragma once

#include "conversion/rules/RowVerdict.h"
#include "conversion/rules/UpToDate.h"

#include <QString>

#include <optional>
#include <vector>

// What a person reads about a run: result texts, the result box, the
// progress dialog's text and the failure details.

// A row's result text, as the result box shows it: "Processed Successfully",
// "Error Processing Files", "Error Processing Files. Code: " with the Mac
// flavour's two exit values written one after the other, "Exception Error"
// for a child that could not run (and for Cancel), "Error Writing File",
// "Error Creating Folder" for a target whose folder could not be made.
QString resultText(const RowVerdict& verdict);

// A failed row's report says what became of the target its converter began:
// "removed the incomplete wood_albedo.map", or why it could not be removed.
QString incompleteTargetRemovedText(const QString& fileName);
QString incompleteTargetKeptText(const QString& fileName, const QString& reason);

// What "Process" says when it cannot write its scripts: "Error Writing File".
QString writeErrorText();

// Why a row failed when the converter printed nothing, in words.
QString exitValuesText(TargetSystem system, const RowOutcome& outcome);

// The kind of message box a run ends with.
enum class BoxKind { Information, Warning, Error };

struct RunBox {
    BoxKind kind = BoxKind::Information;
    QString text;
};

// How a run ended, for its result box.
struct RunSummary {
    bool cancelled = false;
    int converted = 0; // up-to-date rows included
    int total = 0;     // up-to-date rows included
    int upToDate = 0;
    std::optional<RowVerdict> firstFailure; // see RunTally
    // The verdict of the header-only script of a run without ticked rows.
    std::optional<RowVerdict> headerOnly;
    int recoveredTargets = 0; // see recoveredTargetsText
};

// The result box: "Processing Cancelled" with the counts (a warning), else the
// first failure's text (an error) or "Processed Successfully"; a line on the
// rows left out as up to date follows.
RunBox runBox(const RunSummary& summary);

// The box of a cancelled run.
QString cancelledText(int converted, int notConverted);

// Why a row ran with Skip Up-to-Date Images ticked ("no record of converting
// it", "flags changed: -p → -p -r", ...), or since when it is up to date.
QString skipDecisionText(const SkipDecision& decision, const QString& options);

// What the next run's box adds when targets that a run which never ended had
// begun were removed at start.
QString recoveredTargetsText(int count);

// Said once when Skip Up-to-Date Images cannot work.
QString ledgerUnusableText(const QString& path, const QString& error);
// Said once when the ledger was not a database.
QString ledgerMovedAsideText(const QString& path, const QString& aside);

// What the result box adds when rows were left out: "1 image was up to date."
QString upToDateText(int count);

// One failed row in the details of the result box.
struct FailedRowReport {
    QString source;
    QString report; // the converter's last lines, or its exit values
};

// The "Show Details..." text: every failed row, its source path, then the
// last `linesPerRow` lines of its report indented under it. Once the text has
// grown past `budgetChars`, later rows get their last line only, so that a run
// where thousands failed still gives a box that opens at once.
QString failureDetails(const std::vector<FailedRowReport>& failed, int linesPerRow = 5,
                       qsizetype budgetChars = 4 * 1024 * 1024);

// The progress dialog's text, e.g. "Converting 12 of 340: wood_albedo.png"
// then the elapsed time and, once a row has ended, the time left.
QString progressText(int current, int total, const QString& fileName, qint64 elapsedMs,
                     std::optional<qint64> remainingMs);

// Time left from the rows done so far; nothing until one has ended.
std::optional<qint64> remainingEstimate(qint64 elapsedMs, int done, int total);

// "0:07", "12:30", "1:02:03".
QString durationText(qint64 ms);
