#pragma once

#include "conversion/run/RunRows.h"
#include "joblist/rules/ImageRoots.h"
#include "joblist/rules/JobRow.h"

#include <QAbstractTableModel>

#include <functional>
#include <vector>

// The job table's data. Bulk operations notify the views once, so lists of
// a hundred thousand images stay responsive.
class JobTableModel final : public QAbstractTableModel, public RunRows {
    Q_OBJECT
public:
    enum Column { ProcessColumn = 0, ImageColumn = 1, NewImageColumn = 2, StatusColumn = 3 };
    static constexpr int ColumnCount = 4;

    explicit JobTableModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool removeRows(int row, int count, const QModelIndex& parent = {}) override;

    const std::vector<JobRow>& rows() const { return m_rows; }
    // The folders the rows were added from; JobRow::root indexes them.
    const ImageRoots& roots() const { return m_roots; }
    // The index rows added from `folder` carry; empty: each image's own folder.
    quint32 addRoot(const QString& folder) { return m_roots.add(folder); }
    const JobRow& row(int index) const override { return m_rows[static_cast<size_t>(index)]; }

    // While a run uses the rows, the user cannot tick or untick them.
    void setLocked(bool locked);
    bool isLocked() const { return m_locked; }

    void appendRow(JobRow row);
    void appendRows(std::vector<JobRow> rows);
    void clear();

    void setProcess(int row, bool process);
    // Ticks or unticks the given rows with one notification.
    void setProcess(const std::vector<int>& rows, bool process);

    // Rewrites column 2 row by row, in order, until `rewrite` returns false for
    // a row (that row and the ones below keep their targets); one
    // notification covers every rewritten row. Returns how many were rewritten.
    int rewriteNewImages(const std::function<bool(const QString& image, QStringView root,
                                                  QString& newImage)>& rewrite);
    // Applies `change` to every row and announces columns 0 to 3 once.
    void updateAll(const std::function<void(int, JobRow&)>& change);
    // Removes every row for which `drop` holds, keeping the order of the rest.
    void removeIf(const std::function<bool(const JobRow&)>& drop);
    // Removes the rows at these indexes (any order, duplicates allowed).
    void removeAt(const std::vector<int>& rows);

    // A row to change without telling the views; announceRows() tells them
    // later, once for many rows (a run ends rows faster than they can repaint).
    JobRow& rowForQuietUpdate(int index) override { return m_rows[static_cast<size_t>(index)]; }
    void announceRows(int first, int last) override {
        announceRows(first, last, ProcessColumn, StatusColumn);
    }

private:
    void announceRows(int first, int last, int firstColumn, int lastColumn);
    void removeMarked(const std::vector<char>& dropped);

    std::vector<JobRow> m_rows;
    ImageRoots m_roots;
    bool m_locked = false;
};
