#include "joblist/JobSummaryLine.h"

#include "joblist/JobTableModel.h"

#include <QEvent>

JobSummaryLine::JobSummaryLine(const JobTableModel& model, QWidget* parent)
    : QLabel(parent)
    , m_model(model) {
    m_coalesce.setSingleShot(true);
    m_coalesce.setInterval(CoalesceMs);
    connect(&m_coalesce, &QTimer::timeout, this, &JobSummaryLine::refresh);
    connect(&model, &QAbstractItemModel::dataChanged, this, &JobSummaryLine::schedule);
    connect(&model, &QAbstractItemModel::rowsInserted, this, &JobSummaryLine::schedule);
    connect(&model, &QAbstractItemModel::rowsRemoved, this, &JobSummaryLine::schedule);
    connect(&model, &QAbstractItemModel::modelReset, this, &JobSummaryLine::schedule);
    connect(&model, &QAbstractItemModel::layoutChanged, this, &JobSummaryLine::schedule);
    refresh();
}

void JobSummaryLine::schedule() {
    // Not restarted by later changes: a steady stream still shows within the interval.
    if (!m_coalesce.isActive())
        m_coalesce.start();
}

void JobSummaryLine::refresh() {
    m_coalesce.stop();
    m_counts = countJobs(m_model.rows());
    setText(summaryText(m_counts, locale()));
}

void JobSummaryLine::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::LocaleChange)
        setText(summaryText(m_counts, locale()));
}
