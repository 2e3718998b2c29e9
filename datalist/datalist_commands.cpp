// The data list window's commands: check and OK, delete, insert, move, search, sort, font, print,
// row height and print columns.
#include "datalist/collation.h"
#include "datalist/datagridview.h"
#include "datalist/datalist.h"
#include "datalist/datalisthost.h"
#include "datalist/datalisttablemodel.h"
#include "datalist/sort.h"
#include "shared/cp932.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>

namespace zarvo::datalist {

namespace {

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

int32_t StepOf(Qt::MouseButton button, Qt::KeyboardModifiers m) {
    return PanelStep(button == Qt::RightButton, m.testFlag(Qt::ShiftModifier),
                     m.testFlag(Qt::ControlModifier), m.testFlag(Qt::AltModifier));
}

bool StepButton(Qt::MouseButton button) {
    return button == Qt::LeftButton || button == Qt::RightButton;
}

} // namespace

void TDataListForm::Button1Click() {
    const CheckResult fault = Grid().CheckData();
    if (!fault.Ok()) {
        host_.Inform(this, QString::fromUtf8(CheckMessage(fault).c_str()));
        FocusGrid();
        model_->Grid().ShowFault(fault);
        ShowCursor();
        return;
    }
    host_.ReplaceList(Grid().ToList());
    accept();
}

void TDataListForm::StringGrid1KeyDown() {
    const DataGrid::EnterResult result =
        model_->Grid().EnterKey(CheckBox1->isChecked(), CheckBox3->isChecked());
    ShowCursor();
    if (result.Checked && !result.Check.Ok())
        host_.Inform(this, QString::fromUtf8(CheckMessage(result.Check).c_str()));
}

void TDataListForm::StringGrid1RowMoved(int from, int to) {
    model_->Grid().RowDragged(from, to);
    ShowCursor();
}

void TDataListForm::Button3Click() {
    if (model_->Grid().DeleteRow())
        ShowCursor();
    FocusGrid();
}

void TDataListForm::Button7MouseDown(Qt::KeyboardModifiers m) {
    model_->Grid().InsertRow(InsertVariantFor(m.testFlag(Qt::ControlModifier), m.testFlag(Qt::ShiftModifier),
                                              m.testFlag(Qt::AltModifier)));
    ShowCursor();
    FocusGrid();
}

void TDataListForm::UpDown1MouseDown() {
    UpDown1->SetPosition(upDown1_.Press(UpDown1->Position()));
}

void TDataListForm::UpDown1Click(bool up) {
    if (!upDown1_.Click())
        return;
    if (model_->Grid().MoveCurrent(up))
        ShowCursor();
}

void TDataListForm::UpDown2MouseDown() {
    UpDown2->SetPosition(upDown2_.Press(UpDown2->Position()));
}

void TDataListForm::UpDown2Click(bool up) {
    if (upDown2_.Click())
        FindText(!up); // the lower arrow searches forward
}

void TDataListForm::FindText(bool forward) {
    // Edit1 holds only what CP932 can hold
    const std::string text = shared::QStringToCp932(acceptedSearchText_);
    if (model_->Grid().FindText(text, forward, CheckBox4->isChecked()))
        ShowCursor();
}

void TDataListForm::N1Click() {
    const std::optional<QString> text =
        host_.InputQuery(this, U("検索文字列の入力"), U("検索文字列入力を入力して下さい。"), Edit1->text());
    if (!text)
        return;
    Edit1->setText(*text);
    Edit1TextEdited(*text);
    if (Edit1->text() == *text)
        FindText(true);
}

void TDataListForm::N3Click() {
    FindText(true);
}

void TDataListForm::N4Click() {
    FindText(false);
}

void TDataListForm::N6Click() {
    model_->Grid().Select(1, kColCode);
    ShowCursor();
}

void TDataListForm::N7Click() {
    model_->Grid().Select(Grid().TrailingRow(), kColCode);
    ShowCursor();
}

void TDataListForm::Button4Click() {
    if (const std::optional<component::TFont> chosen = host_.ChooseFont(this, gridFont_)) {
        gridFont_ = *chosen;
        ApplyGridFont();
    }
    FocusGrid();
}

void TDataListForm::Button5Click() {
    if (Grid().RowCount() < 4)
        return; // fewer than two data rows: nothing to sort, no dialog
    TSortForm dialog(host_.SortKey(), host_.SortOrder(), this);
    const int result = dialog.exec();
    FocusGrid();
    if (result != QDialog::Accepted)
        return;
    SortSign = host_.SortOrder();
    SortColumn = host_.SortKey() + kColCode;
    model_->Grid().Sort(SortColumn, SortSign, LocaleCollation());
    ShowCursor();
}

void TDataListForm::Button6Click() {
    if (!host_.CanPrintList())
        return;
    host_.PrintList(this, Grid().ToList(), Partition, gridFont_);
    FocusGrid();
}

void TDataListForm::Panel2MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
    if (StepButton(button))
        SetRowHeight(StringGrid1->verticalHeader()->defaultSectionSize() + StepOf(button, modifiers));
}

void TDataListForm::Panel3MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
    if (!StepButton(button))
        return;
    Partition = ClampPartition(Partition + StepOf(button, modifiers));
    ShowCaption();
}

void TDataListForm::CheckBox1Click() {
    FocusGrid();
}

void TDataListForm::CheckBox2Click() {
    StringGrid1->setFocus();
    StringGrid1->SetAlwaysShowEditor(CheckBox2->isChecked());
}

} // namespace zarvo::datalist
