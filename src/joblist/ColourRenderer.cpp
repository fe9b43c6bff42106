#include "joblist/ColourRenderer.h"

#include "joblist/JobTableModel.h"
#include "joblist/rules/JobRow.h"

// Dark enough to read on the table's base and on a selected row's tint.
std::optional<QColor> statusColour(const QString& status) {
    if (status == Status::Failed)
        return QColor(0xb3, 0x26, 0x1e);
    if (status == Status::Converted)
        return QColor(0x1f, 0x69, 0x24);
    if (status == Status::Unprocessed)
        return QColor(0x1f, 0x5f, 0x99);
    return std::nullopt;
}

ColourRenderer::ColourRenderer(QObject* parent)
    : QStyledItemDelegate(parent) {}

void ColourRenderer::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    const QString status =
        index.sibling(index.row(), JobTableModel::StatusColumn).data().toString();
    if (const std::optional<QColor> colour = statusColour(status)) {
        option->palette.setColor(QPalette::Text, *colour);
        option->palette.setColor(QPalette::HighlightedText, *colour);
    }
}
