#include "app/BorderLayout.h"

#include <QWidget>

#include <algorithm>

BorderLayout::BorderLayout(int hgap, int vgap, QWidget* parent)
    : QLayout(parent)
    , m_hgap(hgap)
    , m_vgap(vgap) {
    setContentsMargins(0, 0, 0, 0);
    setSpacing(0);
}

BorderLayout::~BorderLayout() {
    for (QLayoutItem* item : m_items)
        delete item;
}

void BorderLayout::addWidget(QWidget* widget, Region region) {
    addChildWidget(widget);
    put(new QWidgetItem(widget), region);
}

QWidget* BorderLayout::widgetAt(Region region) const {
    return m_items[region] ? m_items[region]->widget() : nullptr;
}

void BorderLayout::addItem(QLayoutItem* item) {
    put(item, Center);
}

void BorderLayout::put(QLayoutItem* item, Region region) {
    if (QLayoutItem* old = m_items[region]) {
        if (QWidget* w = old->widget())
            w->hide();
        delete old;
    }
    m_items[region] = item;
    invalidate();
}

QLayoutItem* BorderLayout::itemAt(int index) const {
    int seen = 0;
    for (QLayoutItem* item : m_items) {
        if (item && seen++ == index)
            return item;
    }
    return nullptr;
}

QLayoutItem* BorderLayout::takeAt(int index) {
    int seen = 0;
    for (QLayoutItem*& item : m_items) {
        if (item && seen++ == index) {
            QLayoutItem* taken = item;
            item = nullptr;
            invalidate();
            return taken;
        }
    }
    return nullptr;
}

int BorderLayout::count() const {
    return static_cast<int>(std::count_if(m_items.begin(), m_items.end(),
                                          [](QLayoutItem* item) { return item != nullptr; }));
}

Qt::Orientations BorderLayout::expandingDirections() const {
    return Qt::Horizontal | Qt::Vertical;
}

QSize BorderLayout::totalSize(SizeKind kind) const {
    int width = 0;
    int height = 0;
    for (Region region : {East, West, Center, North, South}) {
        QLayoutItem* item = m_items[region];
        if (!item || item->isEmpty())
            continue;
        const QSize size = kind == SizeKind::Preferred ? item->sizeHint() : item->minimumSize();
        if (region == North || region == South) {
            width = std::max(width, size.width());
            height += size.height() + m_vgap;
        } else {
            width += size.width() + (region == Center ? 0 : m_hgap);
            height = std::max(height, size.height());
        }
    }
    const QMargins m = contentsMargins();
    return QSize(width + m.left() + m.right(), height + m.top() + m.bottom());
}

QSize BorderLayout::sizeHint() const {
    return totalSize(SizeKind::Preferred);
}

QSize BorderLayout::minimumSize() const {
    return totalSize(SizeKind::Minimum);
}

void BorderLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    const QRect area = contentsRect();
    int top = area.top();
    int bottom = area.bottom() + 1;
    int left = area.left();
    int right = area.right() + 1;
    auto present = [&](Region region) { return m_items[region] && !m_items[region]->isEmpty(); };

    if (present(North)) {
        const int h = m_items[North]->sizeHint().height();
        m_items[North]->setGeometry(QRect(left, top, right - left, h));
        top += h + m_vgap;
    }
    if (present(South)) {
        const int h = m_items[South]->sizeHint().height();
        m_items[South]->setGeometry(QRect(left, bottom - h, right - left, h));
        bottom -= h + m_vgap;
    }
    if (present(West)) {
        const int w = m_items[West]->sizeHint().width();
        m_items[West]->setGeometry(QRect(left, top, w, std::max(0, bottom - top)));
        left += w + m_hgap;
    }
    if (present(East)) {
        const int w = m_items[East]->sizeHint().width();
        m_items[East]->setGeometry(QRect(right - w, top, w, std::max(0, bottom - top)));
        right -= w + m_hgap;
    }
    if (present(Center))
        m_items[Center]->setGeometry(
            QRect(left, top, std::max(0, right - left), std::max(0, bottom - top)));
}
