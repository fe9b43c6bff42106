#include "joblist/JobTableHeader.h"

#include <QHelpEvent>
#include <QStyle>
#include <QStyleOption>
#include <QToolTip>

JobTableHeader::JobTableHeader(QWidget* parent)
    : QHeaderView(Qt::Horizontal, parent) {
    setTextElideMode(Qt::ElideRight);
}

QString JobTableHeader::clippedTitle(int logicalIndex) const {
    if (!model() || logicalIndex < 0 || logicalIndex >= count())
        return {};
    // Measured as the style lays the title out, so the tooltip appears
    // exactly when the drawn title is cut.
    QStyleOptionHeaderV2 option;
    initStyleOption(&option);
    initStyleOptionForIndex(&option, logicalIndex);
    option.rect = QRect(sectionViewportPosition(logicalIndex), 0, sectionSize(logicalIndex),
                        viewport()->height());
    const QRect label = style()->subElementRect(QStyle::SE_HeaderLabel, &option, this);
    const QString title = model()->headerData(logicalIndex, orientation()).toString();
    return option.fontMetrics.horizontalAdvance(title) > label.width() ? title : QString();
}

bool JobTableHeader::viewportEvent(QEvent* event) {
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
