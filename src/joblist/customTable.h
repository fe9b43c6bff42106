#pragma once

#include <QPersistentModelIndex>
#include <QTableView>

#include <optional>

#include <vector>

class CorvaneGUI;
class LeftDotRenderer;
class ColourRenderer;
class JobTableHeader;

// The job table: a tick box in column 0 (the only column the user changes),
// single row selection, columns in a fixed order that share the view's width,
// and a drop target for image files and folders.
class customTable final : public QTableView {
    Q_OBJECT
public:
    static constexpr int preferredViewportWidth = 600;
    static constexpr int preferredViewportHeight = 200;

    explicit customTable(CorvaneGUI* owner);

    // Widths and renderers; call once the model is set.
    void configureColumns();

    QSize sizeHint() const override;

    using QTableView::edit;

protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool acceptsDrops() const;
    void toggleTick(int row);
    void shareViewportWidth();
    void fillWithLastColumn();
    std::vector<int> columnWidths() const;

    CorvaneGUI* m_owner;
    LeftDotRenderer* m_pathRenderer;
    ColourRenderer* m_statusRenderer;
    JobTableHeader* m_header;
    QPersistentModelIndex m_pressedTick;
    // Each column's share of the view's width: the preferred widths at first,
    // then whatever the user makes of them by dragging a column edge.
    std::vector<double> m_shares;
    std::vector<int> m_sharedWidths;            // the widths last given out
    bool m_sharing = false;                     // the widths being set are the view's own
    bool m_draggingEdge = false;                // a mouse button is down on the titles
    std::optional<Qt::DropAction> m_dragAction; // how the drag under way is taken, if at all
};
