#pragma once

#include <QLayout>

#include <array>

// A five-region layout: North and South span the width at their preferred
// height, West and East take their preferred width, Center gets the rest.
// Gaps separate regions only where both neighbours are present.
class BorderLayout final : public QLayout {
public:
    enum Region { North, South, West, East, Center };

    explicit BorderLayout(int hgap = 0, int vgap = 0, QWidget* parent = nullptr);
    ~BorderLayout() override;

    // A region holds one widget; adding another replaces it in the layout.
    void addWidget(QWidget* widget, Region region = Center);
    QWidget* widgetAt(Region region) const;
    int hgap() const { return m_hgap; }
    int vgap() const { return m_vgap; }

    void addItem(QLayoutItem* item) override; // goes to Center
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    int count() const override;
    Qt::Orientations expandingDirections() const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;

private:
    enum class SizeKind { Preferred, Minimum };
    QSize totalSize(SizeKind kind) const;
    void put(QLayoutItem* item, Region region);

    std::array<QLayoutItem*, 5> m_items{};
    int m_hgap;
    int m_vgap;
};
