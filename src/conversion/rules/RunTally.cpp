#include "conversion/rules/RunTally.h"

#include <algorithm>

void RunTally::rowEnded(int job, const RowVerdict& verdict) {
    ++m_ended;
    if (verdict.converted()) {
        ++m_converted;
        return;
    }
    m_failedJobs.push_back(job);
    if (verdict.result != RowResult::Cancelled && (!m_firstFailure || job < m_firstFailedJob)) {
        m_firstFailedJob = job;
        m_firstFailure = verdict;
        m_firstFailure->report.clear(); // the box shows its text; the report stays with the row
    }
}

std::vector<int> RunTally::failedJobs() const {
    std::vector<int> jobs = m_failedJobs;
    std::sort(jobs.begin(), jobs.end());
    return jobs;
}
