#pragma once

#include "joblist/rules/JobSummary.h"

#include <QLabel>
#include <QTimer>

class JobTableModel;

// The line under the job table: how many images, converted, failed,
// unprocessed and ticked. It follows every change of the model, but counts
// at most a few times a second however fast the changes come (a run stamps
// rows faster than anyone reads them).
class JobSummaryLine final : public QLabel {
    Q_OBJECT
public:
    static constexpr int CoalesceMs = 100;

    explicit JobSummaryLine(const JobTableModel& model, QWidget* parent = nullptr);

    // Counts now and shows the text.
    void refresh();
    const JobCounts& counts() const { return m_counts; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void schedule();

    const JobTableModel& m_model;
    QTimer m_coalesce;
    JobCounts m_counts;
};
