#pragma once

#include <QColor>
#include <QStyledItemDelegate>

#include <optional>

// The text colour of a status; nothing for any text outside the three
// values, which then keeps the default colour.
std::optional<QColor> statusColour(const QString& status);

// Draws the Status column in the colour of its row's status.
class ColourRenderer final : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit ColourRenderer(QObject* parent = nullptr);

    // Public so the rule can be checked without painting.
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};
