// The data list in the main window: selecting, storing, deleting, moving and sorting items, and
// the data list window. Where an item goes is the DataList's rule; the boxes show what it decided.
#include "app/frame.h"
#include "app/uitext.h"
#include "datalist/celltext.h"
#include "datalist/collation.h"
#include "datalist/datalist.h"
#include "datalist/rowsort.h"
#include "datalist/sort.h"
#include "shared/cp932.h"
#include "shared/dialogs.h"
#include "shared/updown.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>

namespace zarvo::app {

const std::vector<std::string>& TFrameForm::ListOf(QComboBox* box) const {
    if (box == ComboBox7)
        return list_.Ups();
    if (box == ComboBox8)
        return list_.Downs();
    return list_.Codes();
}

std::string TFrameForm::ShownText(QComboBox* box) const {
    const int index = box->currentIndex();
    const std::vector<std::string>& items = ListOf(box);
    // the item's own bytes while the box shows it unedited: binary bytes do not survive a trip
    // through the shown text
    if (index >= 0 && static_cast<size_t>(index) < items.size() &&
        box->currentText() == datalist::CellText(items[static_cast<size_t>(index)]))
        return items[static_cast<size_t>(index)];
    return box == ComboBox1 ? datalist::TypedCode(box->currentText())
                            : datalist::TypedComment(box->currentText());
}

bool TFrameForm::RefuseText(const shared::TextError& error) {
    dialogs_.Error(this, U("Shift-JIS (CP932) で表せない文字があるため、登録できません。\n") +
                             QString::fromUtf8(error.what()));
    return false;
}

void TFrameForm::SelectBox(QComboBox* box, int32_t index) {
    const QSignalBlocker blocker(box);
    box->setCurrentIndex(index);
    if (index < 0 && box->isEditable())
        box->clearEditText();
}

void TFrameForm::SelectAll(int32_t index) {
    for (QComboBox* box : {ComboBox1, ComboBox7, ComboBox8})
        SelectBox(box, index);
}

void TFrameForm::FillBoxes() {
    for (QComboBox* box : {ComboBox1, ComboBox7, ComboBox8}) {
        const QSignalBlocker blocker(box);
        box->clear();
        QStringList texts;
        texts.reserve(list_.Count());
        for (const std::string& item : ListOf(box))
            texts.push_back(datalist::CellText(item));
        box->addItems(texts);
        box->setCurrentIndex(-1);
        box->clearEditText();
    }
}

void TFrameForm::ShowInsertedItem(int32_t index) {
    for (QComboBox* box : {ComboBox1, ComboBox7, ComboBox8}) {
        const QSignalBlocker blocker(box);
        box->insertItem(index, datalist::CellText(ListOf(box)[static_cast<size_t>(index)]));
    }
    listChanged_ = true;
}

void TFrameForm::ShowItemTexts(int32_t index) {
    for (QComboBox* box : {ComboBox1, ComboBox7, ComboBox8}) {
        const QSignalBlocker blocker(box);
        box->setItemText(index, datalist::CellText(ListOf(box)[static_cast<size_t>(index)]));
    }
    listChanged_ = true;
}

void TFrameForm::ReplaceList(datalist::DataList list) {
    list_ = std::move(list);
    FillBoxes();
    listChanged_ = true;
}

bool TFrameForm::ShownComments(std::string& up, std::string& down) {
    try {
        up = ShownText(ComboBox7);
        down = ShownText(ComboBox8);
    } catch (const shared::TextError& e) {
        return RefuseText(e);
    }
    return true;
}

void TFrameForm::PushComments(const std::string& up, const std::string& down) {
    component::TQRCode& qr = *qr_;
    qr.SetSymbolEnabled(false);
    qr.SetCommentUp(up);
    qr.SetCommentDown(down);
    qr.SetSymbolEnabled(true);
}

void TFrameForm::PushItem(const std::string& code, const std::string& up, const std::string& down) {
    component::TQRCode& qr = *qr_;
    qr.SetSymbolEnabled(false);
    qr.SetCommentUp(up);
    qr.SetCommentDown(down);
    qr.SetCode(code);
    qr.SetSymbolEnabled(true);
}

void TFrameForm::ShowItem() {
    const int32_t i = ComboBox1->currentIndex();
    if (i >= 0 && i < list_.Count())
        PushItem(list_.Code(i), list_.Up(i), list_.Down(i));
    ShowCodeInEditor();
    CurrentIndex = ComboBox1->currentIndex();
    ShowStatus();
}

void TFrameForm::WriteItemCaption() {
    Label1->setText(U("シンボル文字列 (%1 of %2)").arg(ComboBox1->currentIndex() + 1).arg(list_.Count()));
}

void TFrameForm::BoxTextEdited(QComboBox* box) {
    // typing leaves the item: the box selects nothing and keeps what was typed
    if (box->currentIndex() != -1) {
        QLineEdit* edit = box->lineEdit();
        const QString text = edit->text();
        const int cursor = edit->cursorPosition();
        {
            const QSignalBlocker blocker(box);
            box->setCurrentIndex(-1);
        }
        edit->setText(text);
        edit->setCursorPosition(cursor);
    }
    if (box == ComboBox1 || box == ComboBox7 || box == ComboBox8)
        ComboBoxChange(box);
    else if (box == ComboBox3)
        ComboBox3Change();
    else if (box == ComboBox4)
        ComboBox4Change();
    else if (box == ComboBox9)
        ComboBox9Change();
}

void TFrameForm::ComboBoxChange(QComboBox* box) {
    const int32_t index = box->currentIndex();
    if (index == -1) {
        if (box == ComboBox1) {
            SelectBox(ComboBox7, -1);
            SelectBox(ComboBox8, -1);
            EditorOrigin = 1;
            Memo1->setPlainText(datalist::Lines(ComboBox1->currentText()));
            EditorOrigin = 0;
            Button13->setEnabled(true);
            Button16->setEnabled(true);
        }
        return;
    }
    if (index == CurrentIndex) {
        // the item shown already: after typing, bring its texts back into every box so that a
        // following Enter does not store cleared comments
        SelectAll(index);
        ShowCodeInEditor();
        WriteItemCaption();
        return;
    }
    SelectAll(index);
    ShowItem();
}

void TFrameForm::ComboBox1KeyDown() {
    std::string code, up, down;
    try {
        code = ShownText(ComboBox1);
        up = ShownText(ComboBox7);
        down = ShownText(ComboBox8);
    } catch (const shared::TextError& e) {
        RefuseText(e);
        return;
    }
    const datalist::DataList::Placement placed =
        list_.SelectOrInsert(CurrentIndex, std::move(code), std::move(up), std::move(down));
    if (placed.Inserted)
        ShowInsertedItem(placed.Index);
    SelectAll(placed.Index);
    ShowItem();
}

void TFrameForm::ComboBox7KeyDown() {
    if (ComboBox1->currentIndex() == -1) {
        ComboBox1KeyDown();
        return;
    }
    if (list_.Count() == 0)
        return;
    const int32_t i = ComboBox1->currentIndex();
    std::string up, down;
    if (!ShownComments(up, down))
        return;
    list_.SetComments(i, up, down);
    ShowItemTexts(i);
    SelectBox(ComboBox7, i);
    SelectBox(ComboBox8, i);
    PushComments(up, down);
    CurrentIndex = i;
    ShowStatus();
}

void TFrameForm::Button5Click() {
    const int32_t i = ComboBox1->currentIndex();
    if (i == -1)
        return;
    const int32_t next = list_.DeleteItem(i);
    for (QComboBox* box : {ComboBox1, ComboBox7, ComboBox8}) {
        const QSignalBlocker blocker(box);
        box->removeItem(i);
    }
    listChanged_ = true;
    if (next >= 0) {
        SelectAll(next);
        PushItem(list_.Code(next), list_.Up(next), list_.Down(next));
    } else {
        SelectAll(-1);
        PushItem(std::string(), std::string(), std::string());
    }
    ShowStatus();
    CurrentIndex = ComboBox1->currentIndex();
    ShowCodeInEditor();
}

void TFrameForm::UpDown3MouseDown() {
    // the arrows count clicks without ever stopping at an end of their range
    UpDown3->SetPosition(upDown3_.Press(UpDown3->Position()));
}

void TFrameForm::UpDown3Click(bool up) {
    if (!upDown3_.Click())
        return;
    const int32_t i = ComboBox1->currentIndex();
    if (i == -1)
        return;
    qr_->SetSymbolEnabled(false);
    const int32_t to = list_.MoveItem(i, up);
    if (to != i) {
        ShowItemTexts(i);
        ShowItemTexts(to);
        SelectAll(to);
        ShowItem();
    }
    qr_->SetSymbolEnabled(true);
    WriteItemCaption();
}

void TFrameForm::Button7Click() {
    // one item, or none shown: nothing to sort, and no dialog
    if (list_.Count() < 2 || ComboBox1->currentIndex() == -1)
        return;
    const component::WatchHold hold(*qr_);
    {
        datalist::TSortForm dialog(sortKey_, sortOrder_, this);
        if (dialog.exec() != QDialog::Accepted)
            return;
    }
    datalist::SortList(list_, sortKey_, sortOrder_, datalist::LocaleCollation());
    listChanged_ = true;
    FillBoxes();
    // the first item of the sorted list is shown
    SelectAll(0);
    ShowItem();
}

void TFrameForm::Button17Click() {
    const component::WatchHold hold(*qr_);
    {
        datalist::TDataListForm window(*this, this);
        window.exec();
    }
    const int32_t index = list_.ReturnIndex(ListReturnIndex);
    ListReturnIndex = 0;
    if (index < 0) {
        // every row was deleted: the item shown is gone too, as when the last one is deleted here
        SelectAll(-1);
        PushItem(std::string(), std::string(), std::string());
        CurrentIndex = -1;
        ShowCodeInEditor();
        ShowStatus();
        return;
    }
    SelectBox(ComboBox1, index);
    if (index == CurrentIndex) {
        // the window may have edited the item shown: draw it as it now is
        SelectAll(index);
        ShowItem();
        return;
    }
    ComboBoxChange(ComboBox1);
}

void TFrameForm::SelectOrInsertCode() {
    std::string up, down;
    std::optional<shared::TextError> refused;
    try {
        up = ShownText(ComboBox7);
        down = ShownText(ComboBox8);
    } catch (const shared::TextError& e) {
        // stored without comments; said only when it is stored
        refused = e;
        up.clear();
        down.clear();
    }
    const datalist::DataList::Placement placed =
        list_.SelectOrInsert(CurrentIndex, qr_->Code(), std::move(up), std::move(down));
    if (placed.Inserted)
        ShowInsertedItem(placed.Index);
    SelectAll(placed.Index);
    WriteItemCaption();
    CurrentIndex = ComboBox1->currentIndex();
    ShowStatus();
    if (placed.Inserted && refused)
        RefuseText(*refused);
}

} // namespace zarvo::app
