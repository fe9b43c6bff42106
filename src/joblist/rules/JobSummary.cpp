#include "joblist/rules/JobSummary.h"

JobCounts countJobs(const std::vector<JobRow>& rows) {
    JobCounts counts;
    counts.images = static_cast<int>(rows.size());
    for (const JobRow& row : rows) {
        counts.ticked += row.process ? 1 : 0;
        const QString& status = row.status;
        if (status == Status::Converted)
            ++counts.converted;
        else if (status == Status::Unprocessed)
            ++counts.unprocessed;
        else if (status == Status::Failed)
            ++counts.failed;
        else if (status == Status::Converting)
            ++counts.converting;
    }
    return counts;
}

QString groupedNumber(int value, const QLocale& locale) {
    QLocale grouped = locale;
    grouped.setNumberOptions(grouped.numberOptions() & ~QLocale::OmitGroupSeparator);
    return grouped.toString(value);
}

QString summaryText(const JobCounts& counts, const QLocale& locale) {
    if (counts.images == 0)
        return QStringLiteral("No images");
    const QString dot = QStringLiteral(" \u00b7 ");
    auto part = [&](int value, const QString& what) {
        return groupedNumber(value, locale) + QLatin1Char(' ') + what;
    };
    QString text = part(counts.images,
                        counts.images == 1 ? QStringLiteral("image") : QStringLiteral("images"));
    text += dot + part(counts.converted, QStringLiteral("converted"));
    text += dot + part(counts.failed, QStringLiteral("failed"));
    text += dot + part(counts.unprocessed, QStringLiteral("unprocessed"));
    if (counts.converting > 0)
        text += dot + part(counts.converting, QStringLiteral("converting"));
    text += dot + part(counts.ticked, QStringLiteral("ticked"));
    return text;
}
