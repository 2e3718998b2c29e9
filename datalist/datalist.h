// TDataListForm: the data list window. It edits a copy of the main window's data list in the grid
// StringGrid1 and hands it back on OK when no symbol string is empty or repeated; it searches,
// inserts, deletes, moves and sorts rows, and keeps its layout and options in the main window's
// settings store. Everything it needs from the main window comes through DataListHost.
//
// Handlers keep the names of the controls and events they serve; the rules live in the table
// (DataGrid) under the grid's model, and the handlers bring the grid's cursor and the captions up
// to date afterwards.
#pragma once

#include "component/picture/text.h"
#include "datalist/controlsteps.h"
#include "datalist/datagrid.h"
#include "datalist/datalistsettings.h"
#include "shared/updown.h"

#include <QDialog>
#include <cstdint>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

namespace zarvo::datalist {

class DataGridView;
class DataListHost;
class DataListTableModel;

class TDataListForm : public QDialog {
    Q_OBJECT

  public:
    explicit TDataListForm(DataListHost& host, QWidget* parent = nullptr);
    ~TDataListForm() override;

    DataListTableModel& Model() { return *model_; }
    const DataGrid& Grid() const;

    // The first show runs it: settings, the grid filled from the main window's list, captions,
    // the cursor on the main window's selected item.
    void FormShow();
    // Every close runs it (OK, Cancel, the frame's close): saves the settings and hands the
    // current row back. Never refuses.
    void FormCloseQuery();

    void Button1Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void Button6Click();
    void Button7MouseDown(Qt::KeyboardModifiers modifiers);
    void UpDown1MouseDown();
    void UpDown1Click(bool up);
    void UpDown2MouseDown();
    void UpDown2Click(bool up);
    void Panel2MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void Panel3MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void CheckBox1Click();
    void CheckBox2Click();
    void StringGrid1KeyDown();
    void StringGrid1RowMoved(int from, int to);
    void N1Click();
    void N3Click();
    void N4Click();
    void N6Click();
    void N7Click();
    // Searches for Edit1's text from the current cell on; see DataGrid::FindText.
    void FindText(bool forward);

    int32_t Partition = 1;  // print columns of the text listing, 1..24
    int32_t SortColumn = 1; // 1..3, during a sort
    int32_t SortSign = 1;   // +1 or -1, during a sort

    // The controls, named as documented (objectName too).
    DataGridView* StringGrid1;
    QPushButton *Button1, *Button2, *Button3, *Button4, *Button5, *Button6, *Button7;
    QCheckBox *CheckBox1, *CheckBox2, *CheckBox3, *CheckBox4;
    shared::TUpDown *UpDown1, *UpDown2;
    QLabel *Panel2, *Panel3, *Label1;
    QLineEdit* Edit1;
    QMenu* PopupMenu1;
    QAction *N1, *N2, *N3, *N4, *N5, *N6, *N7;

  protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void CreateControls();
    void CreatePopupMenu();
    void Connect();
    void ApplySettings(const DataListSettings& settings);
    DataListSettings CollectSettings() const;
    void PlaceWindow(const DataListSettings& settings);
    void ApplyGridFont();
    void SetRowHeight(int32_t height);
    void ShowCaption();
    // Moves the view's current cell to the table's.
    void ShowCursor();
    // The view's current cell, chosen by the user, becomes the table's when it may.
    void GridCurrentChanged(const QModelIndex& current);
    void Edit1TextEdited(const QString& text);
    void Refuse(const QString& reason);
    void FocusGrid();

    DataListHost& host_;
    DataListTableModel* model_;
    component::TFont gridFont_;
    ArrowCounter upDown1_, upDown2_;
    QString acceptedSearchText_;
    bool shown_ = false;
    bool closed_ = false;
    bool cursorFromTable_ = false;
};

} // namespace zarvo::datalist
