#pragma once

#include "joblist/rules/JobRow.h"

#include <QLocale>
#include <QString>

#include <vector>

// How many rows of the job table are in each state.
struct JobCounts {
    int images = 0;
    int converted = 0;
    int failed = 0;
    int unprocessed = 0;
    int converting = 0; // only during a run
    int ticked = 0;

    bool operator==(const JobCounts&) const = default;
};

JobCounts countJobs(const std::vector<JobRow>& rows);

// The line under the table: "3,012 images · 2,950 converted · 40 failed ·
// 22 unprocessed · 62 ticked", with the locale's thousands separators (the C
// locale's too); "· N converting" only while rows convert; "No images" for an
// empty table.
QString summaryText(const JobCounts& counts, const QLocale& locale);

// A whole number with the locale's thousands separators, also in the C locale,
// which leaves them out by default.
QString groupedNumber(int value, const QLocale& locale);
