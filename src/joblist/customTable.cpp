#include "joblist/customTable.h"

#include "joblist/ColourRenderer.h"
#include "joblist/JobTableHeader.h"
#include "joblist/JobTableModel.h"
#include "joblist/LeftDotRenderer.h"
#include "joblist/SelectionColours.h"
#include "joblist/scan/DroppedImages.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QItemSelection>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>

#include <algorithm>
#include <optional>

namespace {
constexpr int preferredWidths[JobTableModel::ColumnCount] = {30, 200, 200, 90};

// The action a drop from a file manager is taken with: a copy (the files stay
// where they are) or a link, never a move, which would have the source delete them.
std::optional<Qt::DropAction> safeDropAction(const QDropEvent& event) {
    if (!bringsLocalFiles(event.mimeData()))
        return std::nullopt;
    if (event.possibleActions() & Qt::CopyAction)
        return Qt::CopyAction;
    if (event.possibleActions() & Qt::LinkAction)
        return Qt::LinkAction;
    return std::nullopt;
}

// Accepts a drag with `action`, or refuses it (the "no drop" cursor).
bool answerDrag(QDropEvent* event, const std::optional<Qt::DropAction>& action) {
    if (!action) {
        event->ignore();
        return false;
    }
    event->setDropAction(*action);
    event->accept();
    return true;
}
} // namespace

customTable::customTable(QWidget* parent)
    : QTableView(parent)
    , m_pathRenderer(new LeftDotRenderer(this))
    , m_statusRenderer(new ColourRenderer(this))
    , m_header(new JobTableHeader(
          std::vector<int>(std::begin(preferredWidths), std::end(preferredWidths)), this)) {
    setHorizontalHeader(m_header);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers); // the tick toggles without an editor
    verticalHeader()->hide();
    // Every row is one text line: a fixed height spares the view from
    // measuring a hundred thousand rows.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setWordWrap(false);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    setDropIndicatorShown(false);
    followLook();
}

bool customTable::event(QEvent* event) {
    const bool handled = QTableView::event(event);
    // A change of look changes the highlight the selection is tinted from.
    if (event->type() == QEvent::ApplicationPaletteChange || event->type() == QEvent::PaletteChange)
        followLook();
    return handled;
}

void customTable::followLook() {
    const QPalette selection = lightSelection(QApplication::palette(this));
    // Setting the palette reports a change again: stop once it holds.
    const QPalette now = palette();
    bool same = true;
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        for (const QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
            same = same && now.color(group, role) == selection.color(group, role);
    if (!same)
        setPalette(selection);
}

void customTable::configureColumns() {
    setItemDelegateForColumn(JobTableModel::ImageColumn, m_pathRenderer);
    setItemDelegateForColumn(JobTableModel::NewImageColumn, m_pathRenderer);
    setItemDelegateForColumn(JobTableModel::StatusColumn, m_statusRenderer);
    m_header->usePreferredWidths();
}

QSize customTable::sizeHint() const {
    const int frame = 2 * frameWidth();
    return {preferredViewportWidth + frame,
            preferredViewportHeight + m_header->sizeHint().height() + frame};
}

bool customTable::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    // A click anywhere in the tick cell toggles the tick, not only one on its
    // small box; the box's own handling never sees the release, so a click
    // on it toggles once too.
    if (index.isValid() && index.column() == JobTableModel::ProcessColumn && event &&
        event->type() == QEvent::MouseButtonRelease) {
        const bool click =
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && index == m_pressedTick;
        m_pressedTick = QPersistentModelIndex();
        if (click)
            toggleTick(index.row());
        return click;
    }
    return QTableView::edit(index, trigger, event);
}

void customTable::mousePressEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    m_pressedTick = event->button() == Qt::LeftButton && index.isValid() &&
                            index.column() == JobTableModel::ProcessColumn
                        ? QPersistentModelIndex(index)
                        : QPersistentModelIndex();
    QTableView::mousePressEvent(event);
}

void customTable::keyPressEvent(QKeyEvent* event) {
    // Space ticks or unticks the selected rows, or the current row when no
    // more than one is selected, whichever of its cells is current.
    const bool space = event->key() == Qt::Key_Space || event->key() == Qt::Key_Select;
    if (space && !(event->modifiers() & ~Qt::KeypadModifier) && currentIndex().isValid()) {
        toggleTicks();
        event->accept();
        return;
    }
    // While a run uses the rows the list keeps its selection and its rows.
    if (event->matches(QKeySequence::SelectAll) || event->key() == Qt::Key_Delete) {
        event->accept();
        if (isLocked())
            return;
        if (event->key() == Qt::Key_Delete)
            emit removeRequested();
        else
            selectAll();
        return;
    }
    QTableView::keyPressEvent(event);
}

void customTable::contextMenuEvent(QContextMenuEvent* event) {
    QModelIndex index = indexAt(event->pos());
    if (event->reason() == QContextMenuEvent::Keyboard)
        index = currentIndex();
    if (!index.isValid())
        return;
    // A click outside the selection moves it to the clicked row, as file lists do.
    if (!selectionModel()->isRowSelected(index.row(), {}))
        selectRowNumbers({index.row()});
    const QPoint at = event->reason() == QContextMenuEvent::Keyboard
                          ? viewport()->mapToGlobal(visualRect(index).center())
                          : event->globalPos();
    emit rowMenuRequested(index.row(), at);
    event->accept();
}

std::vector<int> customTable::selectedRowNumbers() const {
    std::vector<int> rows;
    if (!selectionModel())
        return rows;
    for (const QItemSelectionRange& range : selectionModel()->selection())
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.push_back(row);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void customTable::selectRowNumbers(const std::vector<int>& rows) {
    QItemSelection selection;
    const int lastColumn = model()->columnCount() - 1;
    for (size_t i = 0; i < rows.size();) {
        size_t end = i + 1;
        while (end < rows.size() && rows[end] == rows[end - 1] + 1)
            ++end;
        selection.append(QItemSelectionRange(model()->index(rows[i], 0),
                                             model()->index(rows[end - 1], lastColumn)));
        i = end;
    }
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    if (!rows.empty())
        selectionModel()->setCurrentIndex(model()->index(rows.front(), 0),
                                          QItemSelectionModel::NoUpdate);
}

void customTable::toggleTick(int row) {
    const QModelIndex tick = model()->index(row, JobTableModel::ProcessColumn);
    const bool ticked = tick.data(Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked;
    model()->setData(tick, ticked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
}

void customTable::toggleTicks() {
    const int current = currentIndex().row();
    const std::vector<int> selected = selectedRowNumbers();
    auto* jobs = qobject_cast<JobTableModel*>(model());
    if (selected.size() < 2 || !jobs) {
        toggleTick(current);
        return;
    }
    if (jobs->isLocked())
        return;
    // All take the opposite of the current row's tick (of the first selected
    // row when the current one is not among them), so mixed rows end alike.
    const bool currentSelected = std::binary_search(selected.begin(), selected.end(), current);
    const int leader = currentSelected ? current : selected.front();
    jobs->setProcess(selected, !jobs->row(leader).process);
}

void customTable::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    m_header->shareWidth(viewport()->width());
}

bool customTable::isLocked() const {
    const auto* jobs = qobject_cast<const JobTableModel*>(model());
    return jobs && jobs->isLocked();
}

bool customTable::acceptsDrops() const {
    // While a run uses the rows, or a scan adds some, nothing may be added.
    return !m_dropsLocked && !isLocked();
}

void customTable::dragEnterEvent(QDragEnterEvent* event) {
    // Decided once a drag: what it brings does not change while it moves, and
    // the answer looks at every file it carries.
    m_dragAction = acceptsDrops() ? safeDropAction(*event) : std::nullopt;
    answerDrag(event, m_dragAction);
}

void customTable::dragMoveEvent(QDragMoveEvent* event) {
    answerDrag(event, acceptsDrops() ? m_dragAction : std::nullopt);
}

void customTable::dropEvent(QDropEvent* event) {
    if (!acceptsDrops()) {
        event->ignore();
        return;
    }
    if (answerDrag(event, safeDropAction(*event)))
        emit pathsDropped(localPathsOf(event->mimeData()->urls()));
}
