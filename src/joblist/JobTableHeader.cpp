#include "joblist/JobTableHeader.h"

#include "joblist/rules/ColumnShares.h"

#include <QHelpEvent>
#include <QStyle>
#include <QStyleOption>
#include <QToolTip>

#include <algorithm>

JobTableHeader::JobTableHeader(std::vector<int> preferredWidths, QWidget* parent)
    : QHeaderView(Qt::Horizontal, parent)
    , m_preferred(std::move(preferredWidths))
    , m_shares(m_preferred.begin(), m_preferred.end()) {
    setTextElideMode(Qt::ElideRight);
    setSectionsMovable(false);
    setHighlightSections(false);
    connect(this, &QHeaderView::sectionResized, this, [this](int column) {
        if (m_draggingEdge && !m_sharing && column + 1 < count())
            fillWithLastColumn();
    });
}

void JobTableHeader::usePreferredWidths() {
    setWidths(m_preferred);
}

void JobTableHeader::setWidths(const std::vector<int>& widths) {
    // Qt's own minimum allows for the font's widest character, which a wide font (Windows'
    // Segoe UI, larger text) takes past the tick column's width: the columns would then
    // overflow the view. The narrowest preferred width is always allowed.
    const int narrowest = *std::min_element(m_preferred.begin(), m_preferred.end());
    if (minimumSectionSize() > narrowest)
        setMinimumSectionSize(narrowest);
    m_sharing = true;
    for (size_t column = 0; column < widths.size() && int(column) < count(); ++column)
        resizeSection(static_cast<int>(column), widths[column]);
    m_sharing = false;
    m_sharedWidths = this->widths();
}

void JobTableHeader::shareWidth(int width) {
    if (!model() || count() != static_cast<int>(m_shares.size()))
        return;
    m_sharedTotal = width;
    setWidths(shareWidths(m_shares, width));
}

std::vector<int> JobTableHeader::widths() const {
    std::vector<int> sizes;
    for (int column = 0; column < count(); ++column)
        sizes.push_back(sectionSize(column));
    return sizes;
}

void JobTableHeader::fillWithLastColumn() {
    // While the user drags a column edge the last column takes up the difference.
    const int last = count() - 1;
    int others = 0;
    for (int column = 0; column < last; ++column)
        others += sectionSize(column);
    m_sharing = true;
    resizeSection(last, std::max(minimumSectionSize(), m_sharedTotal - others));
    m_sharing = false;
}

QString JobTableHeader::fullTitle(int logicalIndex, int* labelWidth) const {
    // Measured as the style lays the title out, so the ellipsis and the
    // tooltip appear exactly when the title does not fit.
    QStyleOptionHeaderV2 option;
    initStyleOption(&option);
    QHeaderView::initStyleOptionForIndex(&option, logicalIndex);
    option.rect = QRect(0, 0, sectionSize(logicalIndex), viewport()->height());
    *labelWidth = style()->subElementRect(QStyle::SE_HeaderLabel, &option, this).width();
    return option.text;
}

QString JobTableHeader::shownTitle(int logicalIndex) const {
    if (!model() || logicalIndex < 0 || logicalIndex >= count())
        return {};
    int width = 0;
    const QString title = fullTitle(logicalIndex, &width);
    return fontMetrics().elidedText(title, Qt::ElideRight, width);
}

QString JobTableHeader::clippedTitle(int logicalIndex) const {
    if (!model() || logicalIndex < 0 || logicalIndex >= count())
        return {};
    int width = 0;
    const QString title = fullTitle(logicalIndex, &width);
    return fontMetrics().horizontalAdvance(title) > width ? title : QString();
}

void JobTableHeader::initStyleOptionForIndex(QStyleOptionHeader* option, int logicalIndex) const {
    QHeaderView::initStyleOptionForIndex(option, logicalIndex);
    // The styles of Qt 6.4 cut a title that does not fit at both ends
    // ("roces"); the ellipsis is put in here instead.
    option->text = shownTitle(logicalIndex);
}

bool JobTableHeader::viewportEvent(QEvent* event) {
    // Once the user lets go of a column edge, the widths are the new shares;
    // the widths the view gives out itself never change them.
    if (event->type() == QEvent::MouseButtonPress) {
        m_draggingEdge = true;
    } else if (event->type() == QEvent::MouseButtonRelease) {
        m_draggingEdge = false;
        const std::vector<int> now = widths();
        if (now != m_sharedWidths && now.size() == m_shares.size()) {
            m_shares.assign(now.begin(), now.end());
            m_sharedWidths = now;
        }
    }
    if (event->type() != QEvent::ToolTip)
        return QHeaderView::viewportEvent(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QString title = clippedTitle(logicalIndexAt(help->pos()));
    if (title.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), title, viewport());
    return true;
}
