#pragma once

#include "conversion/rules/RowVerdict.h"

#include <optional>
#include <vector>

// What a run has come to so far, as its rows end in whatever order they end.
class RunTally {
public:
    void rowEnded(int job, const RowVerdict& verdict);

    int ended() const { return m_ended; }
    int converted() const { return m_converted; }
    // The failure the result box names: the failing row first in table order,
    // not the first to end. Rows ended by Cancel do not count: the box of a
    // cancelled run says so itself.
    const std::optional<RowVerdict>& firstFailure() const { return m_firstFailure; }
    // Every failed job, in table order.
    std::vector<int> failedJobs() const;

private:
    int m_ended = 0;
    int m_converted = 0;
    int m_firstFailedJob = -1;
    std::optional<RowVerdict> m_firstFailure;
    std::vector<int> m_failedJobs;
};
