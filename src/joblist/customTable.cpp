#include "joblist/customTable.h"

#include "app/CorvaneGUI.h"
#include "joblist/ColourRenderer.h"
#include "joblist/JobTableModel.h"
#include "joblist/LeftDotRenderer.h"

#include <QHeaderView>

customTable::customTable(CorvaneGUI* owner)
    : QTableView(owner)
    , m_owner(owner)
    , m_pathRenderer(new LeftDotRenderer(owner))
    , m_statusRenderer(new ColourRenderer(owner)) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers); // the tick toggles without an editor
    verticalHeader()->hide();
    horizontalHeader()->setSectionsMovable(false);
    horizontalHeader()->setHighlightSections(false);
    // Every row is one text line: a fixed height spares the view from
    // measuring a hundred thousand rows.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setWordWrap(false);
}

void customTable::configureColumns() {
    setItemDelegateForColumn(JobTableModel::ImageColumn, m_pathRenderer);
    setItemDelegateForColumn(JobTableModel::NewImageColumn, m_pathRenderer);
    setItemDelegateForColumn(JobTableModel::StatusColumn, m_statusRenderer);
    const int widths[JobTableModel::ColumnCount] = {30, 200, 200, 90};
    for (int column = 0; column < JobTableModel::ColumnCount; ++column)
        setColumnWidth(column, widths[column]);
}

QSize customTable::sizeHint() const {
    const int frame = 2 * frameWidth();
    return {preferredViewportWidth + frame,
            preferredViewportHeight + horizontalHeader()->sizeHint().height() + frame};
}
