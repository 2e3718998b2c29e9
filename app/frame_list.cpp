// The data list in the main window: selecting, storing, deleting and moving items.
#include "app/codetext.h"
#include "app/frame.h"
#include "app/uitext.h"
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

namespace {

// How an item's text shows in a one-line box: a symbol string of several lines stays one line.
QString DisplayText(const std::string& bytes) {
    return OneLine(shared::Cp932ToQString(bytes));
}

} // namespace

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
        box->currentText() == DisplayText(items[static_cast<size_t>(index)]))
        return items[static_cast<size_t>(index)];
    if (box == ComboBox1)
        return TypedCode(box->currentText());
    // a comment is one line in its file
    return shared::QStringToCp932(OneLine(box->currentText()).replace(QChar(kBreakMark), QLatin1Char(' ')));
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
            texts.push_back(DisplayText(item));
        box->addItems(texts);
        box->setCurrentIndex(-1);
        box->clearEditText();
    }
}

void TFrameForm::InsertItem(int32_t index, std::string code, std::string up, std::string down) {
    const QString texts[] = {DisplayText(code), DisplayText(up), DisplayText(down)};
    list_.Insert(index, std::move(code), std::move(up), std::move(down));
    int i = 0;
    for (QComboBox* box : {ComboBox1, ComboBox7, ComboBox8}) {
        const QSignalBlocker blocker(box);
        box->insertItem(index, texts[i++]);
    }
    listChanged_ = true;
}

void TFrameForm::ExchangeRows(int32_t a, int32_t b) {
    list_.ExchangeRows(a, b);
    for (QComboBox* box : {ComboBox1, ComboBox7, ComboBox8}) {
        const QSignalBlocker blocker(box);
        const QString textA = box->itemText(a);
        box->setItemText(a, box->itemText(b));
        box->setItemText(b, textA);
    }
    listChanged_ = true;
}

void TFrameForm::AssignList(datalist::DataList list) {
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
            Memo1->setPlainText(Lines(ComboBox1->currentText()));
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
    const int32_t found = list_.Find(code);
    if (found >= 0) {
        SelectAll(found);
    } else {
        const int32_t at = list_.Count() == 0 ? 0 : std::clamp(CurrentIndex + 1, 0, list_.Count());
        InsertItem(at, std::move(code), std::move(up), std::move(down));
        SelectAll(at);
    }
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
    listChanged_ = true;
    for (QComboBox* box : {ComboBox7, ComboBox8}) {
        const QSignalBlocker blocker(box);
        box->setItemText(i, DisplayText(box == ComboBox7 ? up : down));
        box->setCurrentIndex(i);
    }
    PushComments(up, down);
    CurrentIndex = i;
    ShowStatus();
}

void TFrameForm::Button5Click() {
    const int32_t i = ComboBox1->currentIndex();
    if (i == -1)
        return;
    list_.Delete(i);
    for (QComboBox* box : {ComboBox1, ComboBox7, ComboBox8}) {
        const QSignalBlocker blocker(box);
        box->removeItem(i);
    }
    listChanged_ = true;
    if (list_.Count() > 0) {
        const int32_t next = i < list_.Count() ? i : i - 1;
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
    if (std::abs(UpDown3->Position()) > 1000) {
        UpDown3->SetPosition(0);
        upDown3Ignore_ = true;
    }
}

void TFrameForm::UpDown3Click(bool up) {
    if (upDown3Ignore_) {
        upDown3Ignore_ = false;
        return;
    }
    const int32_t i = ComboBox1->currentIndex();
    if (i == -1)
        return;
    qr_->SetSymbolEnabled(false);
    if (up && i > 0) {
        ExchangeRows(i - 1, i);
        SelectAll(i - 1);
        ShowItem();
    } else if (!up && i < list_.Count() - 1) {
        ExchangeRows(i, i + 1);
        SelectAll(i + 1);
        ShowItem();
    }
    qr_->SetSymbolEnabled(true);
    WriteItemCaption();
}

void TFrameForm::SetDataListWindow(std::function<void(TFrameForm&)> window) {
    dataListWindow_ = std::move(window);
    Button17->setEnabled(static_cast<bool>(dataListWindow_));
}

void TFrameForm::Button17Click() {
    if (!dataListWindow_)
        return;
    dataListWindow_(*this);
    if (list_.Count() == 0)
        ListReturnIndex = -1;
    else if (ListReturnIndex > list_.Count() - 1)
        ListReturnIndex = list_.Count() - 1;
    const int32_t index = ListReturnIndex;
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
    if (index >= 0 && index == CurrentIndex) {
        // the window may have edited the item shown: draw it as it now is
        SelectAll(index);
        ShowItem();
        return;
    }
    ComboBoxChange(ComboBox1);
}

void TFrameForm::SelectOrInsertCode() {
    const std::string& code = qr_->Code();
    const int32_t found = list_.Find(code);
    if (found >= 0) {
        SelectAll(found);
    } else {
        std::string up, down;
        try {
            up = ShownText(ComboBox7);
            down = ShownText(ComboBox8);
        } catch (const shared::TextError& e) {
            RefuseText(e);
            up.clear();
            down.clear();
        }
        const int32_t at = list_.Count() == 0 ? 0 : std::clamp(CurrentIndex + 1, 0, list_.Count());
        InsertItem(at, code, std::move(up), std::move(down));
        SelectAll(at);
    }
    WriteItemCaption();
    CurrentIndex = ComboBox1->currentIndex();
    ShowStatus();
}

} // namespace zarvo::app
