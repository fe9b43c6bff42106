#pragma once

#include <QString>

#include <optional>
#include <vector>

// What happened to one row's script, in plain values.
struct RowOutcome {
    bool launched = true;              // false: a child could not be started or crashed
    bool scriptWritten = true;         // false: the row's script could not be written
    bool cancelled = false;            // ended by Cancel
    std::optional<int> permissionExit; // the Mac flavour's "chmod 755"
    int scriptExit = 0;
    bool targetChecked = true; // false for the run without ticked rows
    bool targetWritten = false;
};

// A row's result text: "Exception Error" when a child could not run,
// "Error Processing Files. Code: " with both exit values (Mac) or "Error
// Processing Files" (Windows) when they say failure, "Error Processing Files"
// when they say success but the target was not really written, else
// "Processed Successfully".
QString rowResultText(int system, const RowOutcome& outcome);

// The run's text: "Processed Successfully" when every row succeeded, else the
// text of the first failing row in table order (texts are given in that order).
QString runResultText(const std::vector<QString>& rowTexts);

// Why a row failed when the converter printed nothing, in words.
QString exitValuesText(int system, const RowOutcome& outcome);

// The box of a cancelled run.
QString cancelledText(int converted, int notConverted);

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
