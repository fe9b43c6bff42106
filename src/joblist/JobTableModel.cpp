#include "joblist/JobTableModel.h"

#include <QDir>

#include <algorithm>
#include <iterator>

JobTableModel::JobTableModel(QObject* parent)
    : QAbstractTableModel(parent) {}

int JobTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int JobTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant JobTableModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const JobRow& r = m_rows[static_cast<size_t>(index.row())];
    switch (index.column()) {
    case ProcessColumn:
        if (role == Qt::CheckStateRole)
            return r.process ? Qt::Checked : Qt::Unchecked;
        if (role == Qt::EditRole)
            return r.process;
        return {};
    case ImageColumn:
    case NewImageColumn: {
        const QString& path = index.column() == ImageColumn ? r.image : r.newImage;
        if (role == Qt::ToolTipRole) // the whole path, however the cell shortens it
            return QDir::toNativeSeparators(path);
        return role == Qt::DisplayRole || role == Qt::EditRole ? QVariant(path) : QVariant();
    }
    case StatusColumn:
        if (role == Qt::ToolTipRole && !r.note.isEmpty())
            return QString::fromUtf8(r.note);
        return role == Qt::DisplayRole || role == Qt::EditRole ? QVariant(r.status) : QVariant();
    default:
        return {};
    }
}

bool JobTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    // Only the tick is editable by the user; the other columns are written by
    // the program through the typed setters.
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid) ||
        index.column() != ProcessColumn || m_locked)
        return false;
    bool process = false;
    if (role == Qt::CheckStateRole)
        process = value.value<Qt::CheckState>() == Qt::Checked;
    else if (role == Qt::EditRole)
        process = value.toBool();
    else
        return false;
    setProcess(index.row(), process);
    return true;
}

QVariant JobTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < ColumnCount)
        return jobColumnTitles().at(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags JobTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == ProcessColumn && !m_locked)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

bool JobTableModel::removeRows(int row, int count, const QModelIndex& parent) {
    if (parent.isValid() || row < 0 || count <= 0 || row + count > rowCount())
        return false;
    beginRemoveRows({}, row, row + count - 1);
    m_rows.erase(m_rows.begin() + row, m_rows.begin() + row + count);
    endRemoveRows();
    return true;
}

void JobTableModel::setLocked(bool locked) {
    if (locked == m_locked)
        return;
    m_locked = locked;
    if (!m_rows.empty())
        announceRows(0, rowCount() - 1, ProcessColumn, ProcessColumn); // the flags changed
}

void JobTableModel::appendRow(JobRow row) {
    const int at = rowCount();
    beginInsertRows({}, at, at);
    m_rows.push_back(std::move(row));
    endInsertRows();
}

void JobTableModel::appendRows(std::vector<JobRow> rows) {
    if (rows.empty())
        return;
    const int first = rowCount();
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    m_rows.insert(m_rows.end(), std::make_move_iterator(rows.begin()),
                  std::make_move_iterator(rows.end()));
    endInsertRows();
}

void JobTableModel::clear() {
    m_roots.clear();
    if (m_rows.empty())
        return;
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

void JobTableModel::setProcess(int row, bool process) {
    m_rows[static_cast<size_t>(row)].process = process;
    announceRows(row, row, ProcessColumn, ProcessColumn);
}

int JobTableModel::rewriteNewImages(
    const std::function<bool(const QString& image, QStringView root, QString& newImage)>& rewrite) {
    int rewritten = 0;
    for (JobRow& row : m_rows) {
        if (!rewrite(row.image, m_roots.at(row.root), row.newImage))
            break;
        ++rewritten;
    }
    if (rewritten > 0)
        announceRows(0, rewritten - 1, NewImageColumn, NewImageColumn);
    return rewritten;
}

void JobTableModel::updateAll(const std::function<void(int, JobRow&)>& change) {
    if (m_rows.empty())
        return;
    for (size_t i = 0; i < m_rows.size(); ++i)
        change(static_cast<int>(i), m_rows[i]);
    announceRows(0, rowCount() - 1, ProcessColumn, StatusColumn);
}

void JobTableModel::setProcess(const std::vector<int>& rows, bool process) {
    if (rows.empty())
        return;
    for (int row : rows)
        m_rows[static_cast<size_t>(row)].process = process;
    const auto [first, last] = std::minmax_element(rows.begin(), rows.end());
    announceRows(*first, *last, ProcessColumn, ProcessColumn);
}

void JobTableModel::removeIf(const std::function<bool(const JobRow&)>& drop) {
    std::vector<char> dropped(m_rows.size());
    for (size_t i = 0; i < m_rows.size(); ++i)
        dropped[i] = drop(m_rows[i]);
    removeMarked(dropped);
}

void JobTableModel::removeAt(const std::vector<int>& rows) {
    std::vector<char> dropped(m_rows.size());
    for (int row : rows)
        if (row >= 0 && row < rowCount())
            dropped[static_cast<size_t>(row)] = 1;
    removeMarked(dropped);
}

void JobTableModel::removeMarked(const std::vector<char>& dropped) {
    int runs = 0;
    for (size_t i = 0; i < m_rows.size(); ++i) {
        if (dropped[i] && (i == 0 || !dropped[i - 1]))
            ++runs;
    }
    if (runs == 0)
        return;
    // A few runs keep the views' selection through precise removals; many
    // scattered runs would each shift the whole vector, so rebuild once.
    constexpr int preciseRunLimit = 16;
    if (runs > preciseRunLimit) {
        beginResetModel();
        size_t kept = 0;
        for (size_t i = 0; i < m_rows.size(); ++i) {
            if (!dropped[i])
                m_rows[kept++] = std::move(m_rows[i]);
        }
        m_rows.resize(kept);
        endResetModel();
        return;
    }
    for (int row = rowCount() - 1; row >= 0;) {
        if (!dropped[static_cast<size_t>(row)]) {
            --row;
            continue;
        }
        int first = row;
        while (first > 0 && dropped[static_cast<size_t>(first - 1)])
            --first;
        removeRows(first, row - first + 1);
        row = first - 1;
    }
}

void JobTableModel::announceRows(int first, int last, int firstColumn, int lastColumn) {
    emit dataChanged(index(first, firstColumn), index(last, lastColumn));
}
