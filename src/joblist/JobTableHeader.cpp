#include "joblist/JobTableHeader.h"

#include <QHelpEvent>
#include <QStyle>
#include <QStyleOption>
#include <QToolTip>

JobTableHeader::JobTableHeader(QWidget* parent)
    : QHeaderView(Qt::Horizontal, parent) {
    setTextElideMode(Qt::ElideRight);
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
