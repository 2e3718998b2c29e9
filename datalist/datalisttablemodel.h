// The grid's model: the data list window's table (DataGrid) as a Qt table. Row r of the model is
// grid row r + 1; the grid's fixed row and column are the headers (column texts, row numbers).
#pragma once

#include "datalist/datagrid.h"

#include <QAbstractTableModel>

namespace zarvo::datalist {

class DataListTableModel : public QAbstractTableModel, private GridObserver {
    Q_OBJECT

  public:
    enum Column { COLUMN_CODE = 0, COLUMN_UP = 1, COLUMN_DOWN = 2, COLUMN_COUNT = 3 };

    explicit DataListTableModel(QObject* parent = nullptr);
    ~DataListTableModel() override;

    // The table; every change made through it reaches the views.
    DataGrid& Grid() { return grid_; }
    const DataGrid& Grid() const { return grid_; }

    // The index of a grid cell (column 1..3) and back.
    QModelIndex IndexOf(GridCell cell) const;
    static GridCell CellOf(const QModelIndex& index);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // The comments of the trailing row are neither enabled nor selectable.
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Typed text (EditRole): the cell's bytes (CellBytes). False, nothing changed, for a text that
    // CP932 cannot hold or a cell that cannot be selected. The text the cell shows changes nothing,
    // so bytes that do not decode survive an edit that was left unchanged.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

  private:
    bool Valid(const QModelIndex& index) const;
    void RowInserting(int32_t row) override;
    void RowInserted() override;
    void RowRemoving(int32_t row) override;
    void RowRemoved() override;
    void RowMoving(int32_t from, int32_t to) override;
    void RowMoved() override;
    void RowsChanged(int32_t first, int32_t last) override;
    void AllChanging() override;
    void AllChanged() override;

    DataGrid grid_;
};

} // namespace zarvo::datalist
