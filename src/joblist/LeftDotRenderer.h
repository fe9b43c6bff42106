#pragma once

#include <QStyledItemDelegate>

class CorvaneGUI;

// Draws the path columns, shortened at the left so file names stay visible.
class LeftDotRenderer final : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit LeftDotRenderer(CorvaneGUI* owner);

    // The width the text of a cell may take inside `cellWidth` pixels.
    static int availableTextWidth(int cellWidth, const QWidget* widget);

    // Public so the rule can be checked without painting.
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    CorvaneGUI* m_owner;
};
