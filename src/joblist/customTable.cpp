#include "joblist/customTable.h"

#include "app/CorvaneGUI.h"
#include "joblist/ColourRenderer.h"
#include "joblist/ColumnShares.h"
#include "joblist/DroppedImages.h"
#include "joblist/JobTableHeader.h"
#include "joblist/JobTableModel.h"
#include "joblist/LeftDotRenderer.h"

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

customTable::customTable(CorvaneGUI* owner)
    : QTableView(owner)
    , m_owner(owner)
    , m_pathRenderer(new LeftDotRenderer(owner))
    , m_statusRenderer(new ColourRenderer(owner))
    , m_header(new JobTableHeader(this))
    , m_shares(std::begin(preferredWidths), std::end(preferredWidths)) {
    setHorizontalHeader(m_header);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers); // the tick toggles without an editor
    verticalHeader()->hide();
    m_header->setSectionsMovable(false);
    m_header->setHighlightSections(false);
    m_header->viewport()->installEventFilter(this);
    connect(m_header, &QHeaderView::sectionResized, this, [this](int column) {
        if (m_draggingEdge && !m_sharing && column + 1 < m_header->count())
            fillWithLastColumn();
    });
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
    m_sharing = true;
    for (int column = 0; column < JobTableModel::ColumnCount; ++column)
        setColumnWidth(column, preferredWidths[column]);
    m_sharing = false;
    m_sharedWidths = columnWidths();
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

std::vector<int> customTable::columnWidths() const {
    std::vector<int> widths;
    for (int column = 0; column < m_header->count(); ++column)
        widths.push_back(columnWidth(column));
    return widths;
}

void customTable::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    shareViewportWidth();
}

void customTable::shareViewportWidth() {
    if (!model() || m_header->count() != static_cast<int>(m_shares.size()))
        return;
    const std::vector<int> widths = shareWidths(m_shares, viewport()->width());
    m_sharing = true;
    for (size_t column = 0; column < widths.size(); ++column)
        setColumnWidth(static_cast<int>(column), widths[column]);
    m_sharing = false;
    m_sharedWidths = columnWidths();
}

void customTable::fillWithLastColumn() {
    const int last = m_header->count() - 1;
    int others = 0;
    for (int column = 0; column < last; ++column)
        others += columnWidth(column);
    m_sharing = true;
    setColumnWidth(last, std::max(m_header->minimumSectionSize(), viewport()->width() - others));
    m_sharing = false;
}

bool customTable::eventFilter(QObject* watched, QEvent* event) {
    // While the user drags a column edge the last column takes up the
    // difference; once let go, the widths are the new shares. The widths the
    // view gives out itself never change the shares.
    if (watched == m_header->viewport()) {
        if (event->type() == QEvent::MouseButtonPress) {
            m_draggingEdge = true;
        } else if (event->type() == QEvent::MouseButtonRelease) {
            m_draggingEdge = false;
            const std::vector<int> widths = columnWidths();
            if (widths != m_sharedWidths && widths.size() == m_shares.size()) {
                m_shares.assign(widths.begin(), widths.end());
                m_sharedWidths = widths;
            }
        }
    }
    return QTableView::eventFilter(watched, event);
}

bool customTable::acceptsDrops() const {
    // While a run uses the rows nothing may be added.
    const auto* jobs = qobject_cast<const JobTableModel*>(model());
    return !jobs || !jobs->isLocked();
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
        CorvaneGUI::addImageRows(imagesFromDrop(event->mimeData()->urls()));
}
