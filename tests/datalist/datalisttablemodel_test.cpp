#include "datalist/celltext.h"
#include "datalist/collation.h"
#include "datalist/datalisttablemodel.h"
#include "shared/cp932.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace zarvo::datalist {
namespace {

DataList Items(const std::vector<std::string>& codes) {
    DataList list;
    for (const std::string& code : codes)
        list.Append(code, code + "-u", code + "-d");
    return list;
}

QString Shown(const DataListTableModel& model, int row, int column) {
    return model.data(model.index(row, column)).toString();
}

TEST(DataListTableModel, EveryChangeOfTheTableReachesTheModelsUsers) {
    DataListTableModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    DataGrid& grid = model.Grid();
    grid.Assign(Items({"C", "A", "B"}));
    EXPECT_EQ(model.rowCount(), 4);
    EXPECT_EQ(model.columnCount(), DataListTableModel::COLUMN_COUNT);

    // a persistent index follows its row through moves, as the view's current cell does
    QPersistentModelIndex b = model.index(2, DataListTableModel::COLUMN_UP);
    grid.Select(2, 1);
    grid.InsertRow(InsertVariant::CopyAfter);
    grid.InsertRow(InsertVariant::EmptyBefore);
    grid.DeleteRow();
    grid.DeleteRow();
    EXPECT_EQ(b.row(), 2);
    grid.RowDragged(3, 1);
    EXPECT_EQ(b.row(), 0);
    EXPECT_EQ(b.data().toString(), QStringLiteral("B-u"));
    grid.RowDragged(1, 4); // onto the trailing row: nothing
    EXPECT_EQ(b.row(), 0);
    grid.Select(1, 1);
    grid.MoveCurrent(false);
    grid.ExchangeRows(1, 2);
    grid.Sort(kColCode, -1, LocaleCollation(QLocale::c()));
    EXPECT_EQ(Shown(model, 0, 0), QStringLiteral("C"));

    // typing on the trailing row adds a row
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    const QModelIndex trailing = model.index(model.rowCount() - 1, DataListTableModel::COLUMN_CODE);
    EXPECT_TRUE(model.setData(trailing, QStringLiteral("D")));
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(model.rowCount(), 5);
    EXPECT_EQ(grid.ToList().Codes(), (std::vector<std::string>{"C", "B", "A", "D"}));
    grid.Assign(DataList());
    EXPECT_EQ(model.rowCount(), 1);
}

TEST(DataListTableModel, HeadersAreTheFixedRowAndColumn) {
    DataListTableModel model;
    model.Grid().Assign(Items({"A", "B"}));
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), QString::fromUtf8("シンボル文字列"));
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), QString::fromUtf8("上部のコメント"));
    EXPECT_EQ(model.headerData(2, Qt::Horizontal).toString(), QString::fromUtf8("下部のコメント"));
    // the trailing row is numbered too
    EXPECT_EQ(model.headerData(0, Qt::Vertical).toString(), QStringLiteral("1"));
    EXPECT_EQ(model.headerData(2, Qt::Vertical).toString(), QStringLiteral("3"));
    EXPECT_FALSE(model.headerData(3, Qt::Vertical).isValid());

    // comments of the trailing row cannot be chosen
    EXPECT_TRUE(model.flags(model.index(2, 0)).testFlag(Qt::ItemIsEditable));
    EXPECT_EQ(model.flags(model.index(2, 1)), Qt::NoItemFlags);
    EXPECT_EQ(model.flags(model.index(2, 2)), Qt::NoItemFlags);
    EXPECT_TRUE(model.flags(model.index(1, 2)).testFlag(Qt::ItemIsSelectable));
    EXPECT_FALSE(model.setData(model.index(2, 1), QStringLiteral("x")));
    EXPECT_EQ(model.rowCount(), 3);
}

TEST(DataListTableModel, CellsKeepTheirBytesUnlessTheUserChangesTheText) {
    DataList list;
    list.Append(std::string("a\x80z", 3), "", ""); // 0x80 does not decode
    list.Append("line 1\r\nline 2", "", "");       // a symbol string of two lines
    list.Append(shared::Utf8ToCp932("東京"), "", "");
    DataListTableModel model;
    model.Grid().Assign(list);
    const QModelIndex odd = model.index(0, 0), lines = model.index(1, 0), kanji = model.index(2, 0);

    EXPECT_EQ(Shown(model, 1, 0), QString::fromUtf8("line 1\u21B5line 2"));
    EXPECT_EQ(Shown(model, 2, 0), QString::fromUtf8("東京"));
    // the editor hands back what it was given: nothing changes
    EXPECT_TRUE(model.setData(odd, model.data(odd, Qt::EditRole)));
    EXPECT_TRUE(model.setData(lines, model.data(lines, Qt::EditRole)));
    EXPECT_EQ(model.Grid().Cell(1, 1), std::string("a\x80z", 3));
    EXPECT_EQ(model.Grid().Cell(2, 1), "line 1\r\nline 2");

    // an edited symbol string keeps its line breaks; a comment has none
    EXPECT_TRUE(model.setData(lines, QString::fromUtf8("line 1\u21B5line 3")));
    EXPECT_EQ(model.Grid().Cell(2, 1), "line 1\r\nline 3");
    EXPECT_TRUE(model.setData(model.index(1, 2), QString::fromUtf8("up\u21B5per\nx")));
    EXPECT_EQ(model.Grid().Cell(2, 3), "up per x");

    // a character Shift-JIS cannot hold is refused whole
    EXPECT_FALSE(model.setData(kanji, QString::fromUtf8("東京é")));
    EXPECT_EQ(model.Grid().Cell(3, 1), shared::Utf8ToCp932("東京"));
    EXPECT_THROW(CellBytes(QString::fromUtf8("😀"), kColUp), shared::TextError);
}

TEST(LocaleCollation, IgnoresLetterCaseAndKeepsTheOrderTotal) {
    for (const QLocale& locale : {QLocale::c(), QLocale(QLocale::Japanese, QLocale::Japan)}) {
        const LocaleCollation collation(locale);
        const std::string name = locale.name().toStdString();
        EXPECT_LT(collation.Compare("a", "B"), 0) << name;
        EXPECT_GT(collation.Compare("b", "A"), 0) << name;
        EXPECT_LT(collation.Compare("abc", "ABD"), 0) << name;
        // alike but for letter case, or for bytes that do not decode: the bytes decide
        EXPECT_LT(collation.Compare("A", "a"), 0) << name;
        EXPECT_LT(collation.Compare(std::string("\x80", 1), std::string("\xA0", 1)), 0) << name;
        EXPECT_EQ(collation.Compare("same", "same"), 0) << name;

        DataList list = Items({"b", "A", "a"});
        SortList(list, skCode, 1, collation);
        EXPECT_EQ(list.Code(2), "b") << name;
        SortList(list, skCode, -1, collation);
        EXPECT_EQ(list.Code(0), "b") << name;
    }
    // the Japanese order: kana by their reading, not by their Shift-JIS codes (ア 83 41 < い 82 A2)
    const LocaleCollation japanese(QLocale(QLocale::Japanese, QLocale::Japan));
    EXPECT_LT(japanese.Compare(shared::Utf8ToCp932("ア"), shared::Utf8ToCp932("い")), 0);
    EXPECT_GT(LocaleCollation(QLocale::c()).Compare(shared::Utf8ToCp932("ア"), shared::Utf8ToCp932("い")), 0);
}

} // namespace
} // namespace zarvo::datalist
