#pragma once

#include <QString>

#include <optional>

// What became of one image, as the command line tells it.
struct CliResult {
    enum class Kind { Converted, Failed, UpToDate };
    Kind kind = Kind::Converted;
    QString image;  // native separators
    QString target; // the file its line writes
    QString reason; // a failure's last word
    QString why;    // with Skip: why it ran, or since when it is up to date
};

// "PATH: converted", "PATH: failed: REASON", "PATH: up to date"; with
// `explain`, why it ran in parentheses, or since when it is up to date.
QString resultLine(const CliResult& result, bool explain);

// One JSON object on one line: image, target, status, and reason and why when known.
QString resultJson(const CliResult& result);

// How far a run has come, for the terminal's progress line.
struct CliProgress {
    int done = 0;
    int failed = 0;
    int skipped = 0;
    int left = 0;
    qint64 elapsedMs = 0;
    std::optional<qint64> remainingMs;
};

// "12 done, 1 failed, 3 skipped, 84 left, 0:42 elapsed, 3:10 remaining".
QString progressLine(const CliProgress& progress);
