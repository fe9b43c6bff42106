#pragma once

#include <QHeaderView>

#include <vector>

// The job table's column titles. The columns share the view's width: the
// preferred widths at first, then whatever the user makes of them by dragging
// a column edge. A title too wide for its column ends in an ellipsis and
// shows in full as a tooltip.
class JobTableHeader : public QHeaderView {
    Q_OBJECT
public:
    // `preferredWidths`: each column's width, and so its first share.
    explicit JobTableHeader(std::vector<int> preferredWidths = {}, QWidget* parent = nullptr);

    // Gives every column its preferred width; call once the model is set.
    void usePreferredWidths();
    // Shares `width` pixels among the columns by their shares.
    void shareWidth(int width);

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
    void setWidths(const std::vector<int>& widths);
    void fillWithLastColumn();
    std::vector<int> widths() const;

    std::vector<int> m_preferred;
    std::vector<double> m_shares;
    std::vector<int> m_sharedWidths; // the widths last given out
    int m_sharedTotal = 0;           // the width last shared
    bool m_sharing = false;          // the widths being set are the view's own
    bool m_draggingEdge = false;     // a mouse button is down on the titles
};
