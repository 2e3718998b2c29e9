#include "datalist/datalisttablemodel.h"

#include "datalist/celltext.h"
#include "shared/cp932.h"

namespace zarvo::datalist {

DataListTableModel::DataListTableModel(QObject* parent) : QAbstractTableModel(parent) {
    grid_.SetObserver(this);
}

DataListTableModel::~DataListTableModel() {
    grid_.SetObserver(nullptr);
}

bool DataListTableModel::Valid(const QModelIndex& index) const {
    return index.isValid() && index.model() == this && index.row() < rowCount() &&
           index.column() < COLUMN_COUNT;
}

QModelIndex DataListTableModel::IndexOf(GridCell cell) const {
    return index(cell.Row - 1, cell.Col - 1);
}

GridCell DataListTableModel::CellOf(const QModelIndex& index) {
    return {index.row() + 1, index.column() + 1};
}

int DataListTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : grid_.RowCount() - 1;
}

int DataListTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : COLUMN_COUNT;
}

QVariant DataListTableModel::data(const QModelIndex& index, int role) const {
    if (!Valid(index) || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    const GridCell cell = CellOf(index);
    return CellText(grid_.Cell(cell.Row, cell.Col));
}

QVariant DataListTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || section < 0)
        return {};
    if (orientation == Qt::Vertical)
        return section < rowCount() ? QVariant(QString::number(section + 1)) : QVariant();
    switch (section) {
    case COLUMN_CODE:
        return QString::fromUtf8("シンボル文字列");
    case COLUMN_UP:
        return QString::fromUtf8("上部のコメント");
    case COLUMN_DOWN:
        return QString::fromUtf8("下部のコメント");
    default:
        return {};
    }
}

Qt::ItemFlags DataListTableModel::flags(const QModelIndex& index) const {
    if (!Valid(index))
        return Qt::NoItemFlags;
    const GridCell cell = CellOf(index);
    if (!grid_.CanSelect(cell.Row, cell.Col))
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

bool DataListTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !Valid(index))
        return false;
    const GridCell cell = CellOf(index);
    const QString text = value.toString();
    if (text == CellText(grid_.Cell(cell.Row, cell.Col)))
        return true;
    std::string bytes;
    try {
        bytes = CellBytes(text, cell.Col);
    } catch (const shared::TextError&) {
        return false;
    }
    return grid_.SetEditText(cell.Row, cell.Col, std::move(bytes));
}

void DataListTableModel::RowInserting(int32_t row) {
    beginInsertRows({}, row - 1, row - 1);
}

void DataListTableModel::RowInserted() {
    endInsertRows();
}

void DataListTableModel::RowRemoving(int32_t row) {
    beginRemoveRows({}, row - 1, row - 1);
}

void DataListTableModel::RowRemoved() {
    endRemoveRows();
}

void DataListTableModel::RowMoving(int32_t from, int32_t to) {
    // Qt names the row before which the moved row lands, counted before the move
    const int f = from - 1, t = to - 1;
    beginMoveRows({}, f, f, {}, t > f ? t + 1 : t);
}

void DataListTableModel::RowMoved() {
    endMoveRows();
}

void DataListTableModel::RowsChanged(int32_t first, int32_t last) {
    // Whole rows, also for one cell typed into: the view writes only a single changed cell back
    // into its open editor, which would put the cursor at the end after every keystroke
    Q_EMIT dataChanged(index(first - 1, 0), index(last - 1, COLUMN_COUNT - 1));
}

void DataListTableModel::AllChanging() {
    beginResetModel();
}

void DataListTableModel::AllChanged() {
    endResetModel();
}

} // namespace zarvo::datalist
