#pragma once

#include "conversion/rules/RowVerdict.h"
#include "conversion/rules/TargetSystem.h"
#include "joblist/rules/FileFilter.h"
#include "joblist/rules/ImageRoots.h"
#include "joblist/rules/JobRow.h"
#include "joblist/rules/TargetPaths.h"

#include <QString>

#include <functional>
#include <optional>
#include <unordered_map>
#include <vector>

class QIODevice;

// What became of one row in a run.
enum class ReportStatus {
    Converted,
    UpToDate,   // left out by Skip Up-to-Date Images
    Failed,     // Cancel included
    NotStarted, // the run was cancelled before the row started
};

// One row of the last run, as the saved report lists it.
struct ReportRow {
    int tableRow = -1; // its place in the table during the run
    QString source;
    QString newImage; // the "New Image" cell; the target follows the run's output choice
    ReportStatus status = ReportStatus::NotStarted;
    std::optional<qint64> milliseconds; // for rows that ran
    std::optional<ExitValues> exits;
    // A failed row's kept output's last line (its exit values in words when it
    // printed nothing); why a row ran with Skip Up-to-Date Images, or since
    // when a row left out is up to date.
    QString note;
    quint32 root = ImageRoots::OwnFolder; // the folder it was added from
};

// The last run, kept after its box has closed.
struct RunReport {
    OutputChoice output;
    ImageRoots roots;
    qint64 durationMs = 0;
    std::vector<ReportRow> rows; // in table order

    int converted() const; // up-to-date rows included
    int failed() const;
    // The file the row's line wrote, by the one rule for it.
    QString targetOf(const ReportRow& row) const;
};

// Gathers a run's report as its rows end, in whatever order they end.
class RunRecord {
public:
    RunRecord(OutputChoice output, ImageRoots roots);

    void upToDate(int tableRow, const JobRow& row);
    void started(int job, qint64 atMs);
    void ended(int job, int tableRow, const JobRow& row, const RowVerdict& verdict, qint64 atMs);
    // The report in table order; jobs that never ended are "not started".
    // `tableRowOfJob` gives each job's table row, `rowAt` a table row.
    RunReport take(const std::vector<int>& tableRowOfJob,
                   const std::function<const JobRow&(int)>& rowAt, qint64 durationMs);

private:
    RunReport m_report;
    std::unordered_map<int, qint64> m_startedAt; // running jobs only
    std::vector<char> m_jobEnded;
};

// --- The saved file: CSV (RFC 4180), UTF-8 behind a byte-order mark ----------

// One field: as it is, or in double quotes (doubled inside) when it holds a
// comma, a quote, a carriage return or a line feed.
QString csvField(const QString& text);

// A text field a spreadsheet will not take for a formula: one that starts with
// "=", "+", "-", "@", a tab or a carriage return gets a leading apostrophe.
QString spreadsheetText(const QString& text);

// "Converted", "Up to date", "Failed", "Not started".
QString reportStatusText(ReportStatus status);

// "3" (Windows flavour) or "chmod 0, script 3" (Mac); empty without exit values.
QString exitValuesField(const std::optional<ExitValues>& exits);

// The header line, then one line per row, each ending in CR LF. Streams
// through a small buffer; false when the device refuses bytes.
bool writeReportCsv(QIODevice& device, const RunReport& report);

// The saved report's file type.
class CsvFilter final : public FileFilter {
public:
    QString description() const override { return QStringLiteral("CSV File (.csv)"); }
    QStringList extensions() const override { return {QStringLiteral("csv")}; }
};
