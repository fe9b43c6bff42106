#include "joblist/LeftDotRenderer.h"

#include "joblist/LeftShortening.h"

#include <QApplication>
#include <QStyle>

LeftDotRenderer::LeftDotRenderer(QObject* parent)
    : QStyledItemDelegate(parent) {}

int LeftDotRenderer::availableTextWidth(int cellWidth, const QWidget* widget) {
    // The style insets item text by the focus frame margin plus one pixel on
    // each side; the grid line is already outside the cell rectangle.
    const QStyle* style = widget ? widget->style() : QApplication::style();
    const int inset = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    return cellWidth - 2 * inset;
}

void LeftDotRenderer::initStyleOption(QStyleOptionViewItem* option,
                                      const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    const int available = availableTextWidth(option->rect.width(), option->widget);
    option->text = leftShortened(option->text, available, QFontMetrics(option->font));
    option->textElideMode = Qt::ElideNone; // the cut is ours, at the left
}
