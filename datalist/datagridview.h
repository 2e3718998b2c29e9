// StringGrid1, the data list window's grid: a table view over DataListTableModel (no widget per
// cell). Enter reaches the window whether a cell is being edited or not; the cell editor hands
// every keystroke to the model at once, as the grid's own editor does, and refuses a character
// that CP932 cannot hold; a row is dragged by its number, and the view's own move of the header
// section is taken back so that the model alone decides.
#pragma once

#include <QTableView>

namespace zarvo::datalist {

class DataGridView : public QTableView {
    Q_OBJECT

  public:
    explicit DataGridView(QWidget* parent = nullptr);

    // The cell editor is opened on every cell that becomes current, and kept open.
    void SetAlwaysShowEditor(bool on);
    bool AlwaysShowEditor() const { return alwaysShowEditor_; }
    // Reopens the editor on the current cell when it is to be kept open.
    void KeepEditorShown();
    // Whether a cell's editor is open.
    bool Editing() const { return state() == EditingState; }
    // Return or Enter, in the grid or in a cell's editor (closed already).
    void EnterKey();

  Q_SIGNALS:
    // Return or Enter, after an open editor has handed over its text and closed.
    void EnterPressed();
    // A row dragged by its number cell, as grid rows (1 ..).
    void RowDragged(int from, int to);
    // A typed character that the cell cannot hold; the editor keeps its text.
    void TextRefused(const QString& reason);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

  private:
    void SectionMoved(int logical, int oldVisual, int newVisual);

    bool alwaysShowEditor_ = false;
};

} // namespace zarvo::datalist
