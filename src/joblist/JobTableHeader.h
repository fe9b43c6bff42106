#pragma once

#include <QHeaderView>

// The job table's column titles: a title too wide for its column ends in an
// ellipsis and shows in full as a tooltip.
class JobTableHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit JobTableHeader(QWidget* parent = nullptr);

    // The title as drawn: whole, or cut at the right with an ellipsis.
    QString shownTitle(int logicalIndex) const;
    // The whole title of a section whose title is cut; empty when it fits.
    QString clippedTitle(int logicalIndex) const;

protected:
    void initStyleOptionForIndex(QStyleOptionHeader* option, int logicalIndex) const override;
    bool viewportEvent(QEvent* event) override;

private:
    // The title and the width the style gives it in the section as it is now.
    QString fullTitle(int logicalIndex, int* labelWidth) const;
};
