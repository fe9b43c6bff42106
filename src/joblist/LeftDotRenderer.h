#pragma once

#include <QStyledItemDelegate>

// Draws the path columns, shortened at the left so file names stay visible.
class LeftDotRenderer final : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit LeftDotRenderer(QObject* parent = nullptr);

    // The width the text of a cell may take inside `cellWidth` pixels.
    static int availableTextWidth(int cellWidth, const QWidget* widget);

    // Public so the rule can be checked without painting.
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};
