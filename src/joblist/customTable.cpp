#include "joblist/customTable.h"

#include "joblist/ColourRenderer.h"
#include "joblist/JobTableHeader.h"
#include "joblist/JobTableModel.h"
#include "joblist/LeftDotRenderer.h"
#include "joblist/scan/DroppedImages.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
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
    setSelectionMode(QAbstractItemView::SingleSelection);
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
    // Space ticks or unticks the current row, whichever of its cells is current.
    const bool space = event->key() == Qt::Key_Space || event->key() == Qt::Key_Select;
    if (space && !(event->modifiers() & ~Qt::KeypadModifier) && currentIndex().isValid()) {
        toggleTick(currentIndex().row());
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void customTable::toggleTick(int row) {
    const QModelIndex tick = model()->index(row, JobTableModel::ProcessColumn);
    const bool ticked = tick.data(Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked;
    model()->setData(tick, ticked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
}

void customTable::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    m_header->shareWidth(viewport()->width());
}

bool customTable::acceptsDrops() const {
    // While a run uses the rows nothing may be added.
    const auto* jobs = qobject_cast<const JobTableModel*>(model());
    return !m_dropsLocked && (!jobs || !jobs->isLocked());
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
