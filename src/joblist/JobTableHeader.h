#pragma once

#include <QHeaderView>

// The job table's column titles: a title too wide for its column ends in an
// ellipsis and shows in full as a tooltip.
class JobTableHeader final : public QHeaderView {
    Q_OBJECT
public:
    explicit JobTableHeader(QWidget* parent = nullptr);

    // The whole title of a section whose title is cut; empty when it fits.
    QString clippedTitle(int logicalIndex) const;

protected:
    bool viewportEvent(QEvent* event) override;
};
