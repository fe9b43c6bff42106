#include "conversion/rules/RunReport.h"

#include "conversion/rules/OutputTail.h"

#include <QIODevice>
#include <QLocale>

#include <algorithm>
#include <utility>

int RunReport::converted() const {
    return static_cast<int>(std::count_if(rows.begin(), rows.end(), [](const ReportRow& row) {
        return row.status == ReportStatus::Converted || row.status == ReportStatus::UpToDate;
    }));
}

int RunReport::failed() const {
    return static_cast<int>(std::count_if(rows.begin(), rows.end(), [](const ReportRow& row) {
        return row.status == ReportStatus::Failed;
    }));
}

QString RunReport::targetOf(const ReportRow& row) const {
    const JobRow asRun(true, row.source, row.newImage, Status::Unprocessed, row.root);
    return commandTargetPath(asRun, roots, output).value_or(row.newImage);
}

RunRecord::RunRecord(OutputChoice output, ImageRoots roots) {
    m_report.output = std::move(output);
    m_report.roots = std::move(roots);
}

void RunRecord::upToDate(int tableRow, const JobRow& row) {
    ReportRow line;
    line.tableRow = tableRow;
    line.source = row.image;
    line.newImage = row.newImage;
    line.root = row.root;
    line.status = ReportStatus::UpToDate;
    line.note = QString::fromUtf8(row.note); // since when
    m_report.rows.push_back(std::move(line));
}

void RunRecord::started(int job, qint64 atMs) {
    m_startedAt[job] = atMs;
}

void RunRecord::ended(int job, int tableRow, const JobRow& row, const RowVerdict& verdict,
                      qint64 atMs) {
    ReportRow line;
    line.tableRow = tableRow;
    line.source = row.image;
    line.newImage = row.newImage;
    line.root = row.root;
    line.status = verdict.converted() ? ReportStatus::Converted : ReportStatus::Failed;
    if (const auto start = m_startedAt.find(job); start != m_startedAt.end()) {
        line.milliseconds = atMs - start->second;
        m_startedAt.erase(start);
    }
    line.exits = verdict.exits;
    // A failed row's last word; a converted one's reason to run, if it had one.
    line.note = verdict.converted() ? QString::fromUtf8(row.note).section(u'\n', 0, 0)
                                    : QString::fromUtf8(lastLinesOf(verdict.report, 1)).trimmed();
    if (m_jobEnded.size() <= static_cast<size_t>(job))
        m_jobEnded.resize(static_cast<size_t>(job) + 1);
    m_jobEnded[static_cast<size_t>(job)] = 1;
    m_report.rows.push_back(std::move(line));
}

RunReport RunRecord::take(const std::vector<int>& tableRowOfJob,
                          const std::function<const JobRow&(int)>& rowAt, qint64 durationMs) {
    for (size_t job = 0; job < tableRowOfJob.size(); ++job) {
        if (job < m_jobEnded.size() && m_jobEnded[job])
            continue;
        ReportRow line;
        line.tableRow = tableRowOfJob[job];
        line.source = rowAt(line.tableRow).image;
        line.newImage = rowAt(line.tableRow).newImage;
        line.root = rowAt(line.tableRow).root;
        m_report.rows.push_back(std::move(line));
    }
    std::stable_sort(
        m_report.rows.begin(), m_report.rows.end(),
        [](const ReportRow& a, const ReportRow& b) { return a.tableRow < b.tableRow; });
    m_report.durationMs = durationMs;
    m_startedAt.clear();
    m_jobEnded.clear();
    return std::exchange(m_report, RunReport{m_report.output, m_report.roots, 0, {}});
}

QString csvField(const QString& text) {
    const bool quoted = text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"')) ||
                        text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'));
    if (!quoted)
        return text;
    QString field = text;
    field.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + field + QLatin1Char('"');
}

QString spreadsheetText(const QString& text) {
    static const QString formulaStarts = QStringLiteral("=+-@\t\r");
    if (!text.isEmpty() && formulaStarts.contains(text.front()))
        return QLatin1Char('\'') + text;
    return text;
}

QString reportStatusText(ReportStatus status) {
    switch (status) {
    case ReportStatus::Converted:
        return Status::Converted;
    case ReportStatus::UpToDate:
        return QStringLiteral("Up to date");
    case ReportStatus::Failed:
        return Status::Failed;
    case ReportStatus::NotStarted:
        break;
    }
    return QStringLiteral("Not started");
}

QString exitValuesField(const std::optional<ExitValues>& exits) {
    if (!exits)
        return {};
    if (!exits->permission)
        return QString::number(exits->script);
    return QStringLiteral("chmod %1, script %2").arg(*exits->permission).arg(exits->script);
}

bool writeReportCsv(QIODevice& device, const RunReport& report) {
    constexpr qsizetype flushAt = 256 * 1024;
    QByteArray buffer("\xEF\xBB\xBF");
    QString line;
    auto addLine = [&](std::initializer_list<QString> fields) {
        line.clear();
        bool first = true;
        for (const QString& field : fields) {
            if (!first)
                line += QLatin1Char(',');
            first = false;
            line += csvField(field);
        }
        line += QStringLiteral("\r\n");
        buffer += line.toUtf8();
        if (buffer.size() < flushAt)
            return true;
        const bool written = device.write(buffer) == buffer.size();
        buffer.clear();
        return written;
    };
    bool ok =
        addLine({QStringLiteral("Source"), QStringLiteral("Target"), QStringLiteral("Status"),
                 QStringLiteral("Seconds"), QStringLiteral("Exit Values"), QStringLiteral("Note")});
    const QLocale c = QLocale::c(); // a file for programs: the same on every machine
    for (const ReportRow& row : report.rows) {
        if (!ok)
            return false;
        const QString seconds =
            row.milliseconds ? c.toString(double(*row.milliseconds) / 1000.0, 'f', 3) : QString();
        ok = addLine({spreadsheetText(row.source), spreadsheetText(report.targetOf(row)),
                      reportStatusText(row.status), seconds, exitValuesField(row.exits),
                      spreadsheetText(row.note)});
    }
    return ok && device.write(buffer) == buffer.size();
}
