#pragma once

#include <QPersistentModelIndex>
#include <QStringList>
#include <QTableView>

#include <optional>
#include <vector>

class LeftDotRenderer;
class ColourRenderer;
class JobTableHeader;

// The job table: a tick box in column 0 (the only column the user changes),
// whole rows selected (several with Shift, Ctrl or Ctrl+A), columns in a fixed
// order that share the view's width, and a drop target for image files and folders.
class customTable final : public QTableView {
    Q_OBJECT
public:
    static constexpr int preferredViewportWidth = 600;
    static constexpr int preferredViewportHeight = 200;

    explicit customTable(QWidget* parent = nullptr);

    // Widths and renderers; call once the model is set.
    void configureColumns();

    QSize sizeHint() const override;

    using QTableView::edit;

    // The selected rows, ascending.
    std::vector<int> selectedRowNumbers() const;
    // Selects exactly these rows (ascending), in as few ranges as they allow.
    void selectRowNumbers(const std::vector<int>& rows);
    // While something is being added, nothing more may be dropped.
    void setDropsLocked(bool locked) { m_dropsLocked = locked; }

signals:
    // Delete was pressed over the table while it may change.
    void removeRequested();
    // A right click (or the menu key) over a row, at a point on the screen.
    void rowMenuRequested(int row, const QPoint& globalPos);
    // The local files and folders dropped onto the table, in the order
    // dropped, in native separators; what they hold is looked up elsewhere.
    void pathsDropped(const QStringList& paths);

protected:
    bool event(QEvent* event) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void followLook();
    bool acceptsDrops() const;
    bool isLocked() const;
    void toggleTick(int row);
    void toggleTicks();

    LeftDotRenderer* m_pathRenderer;
    ColourRenderer* m_statusRenderer;
    JobTableHeader* m_header;
    QPersistentModelIndex m_pressedTick;
    std::optional<Qt::DropAction> m_dragAction; // how the drag under way is taken, if at all
    bool m_dropsLocked = false;
};
