// The settings controls of the main window and the status they lead to.
#include "app/frame.h"
#include "app/uitext.h"
#include "shared/cp932.h"
#include "shared/dialogs.h"
#include "shared/updown.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>

namespace zarvo::app {

namespace {

void ShowColoured(QLabel* panel, const QString& text, component::TColor color) {
    panel->setText(text);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::WindowText, QColor(component::ResolveColor(color)));
    panel->setPalette(palette);
}

} // namespace

void TFrameForm::ApplySpin(TUpDown* updown) {
    component::TQRCode& qr = *qr_;
    const int32_t position = updown->Position();
    if (updown == UpDown1) {
        qr.SetPxmag(position);
    } else if (updown == UpDown2) {
        qr.SetVersion(position);
    } else if (updown == UpDown4) {
        qr.SetSymbolSpaceLeft(position);
    } else if (updown == UpDown5) {
        qr.SetSymbolSpaceRight(position);
    } else if (updown == UpDown9) {
        qr.SetSymbolSpaceUp(position);
    } else if (updown == UpDown10) {
        qr.SetSymbolSpaceDown(position);
    } else if (updown == UpDown11) {
        qr.SetColumn(position);
    } else if (updown == UpDown6) {
        qr.SetCount(position);
        // the component may have changed the mode with the count
        SelectBox(ComboBox9, static_cast<int32_t>(qr.Mode()));
    } else {
        if (updown == UpDown8)
            UpDown8Click();
        return; // the other print settings: read when printing
    }
    ShowStatus();
}

void TFrameForm::ComboBox2Change() {
    qr_->SetEmode(ComboBox2->currentIndex() - 1);
    ShowStatus();
}

void TFrameForm::ComboBox3Change() {
    qr_->SetEclevel(ComboBox3->currentIndex());
    ShowStatus();
}

void TFrameForm::ComboBox4Change() {
    qr_->SetMasktype(ComboBox4->currentIndex() - 1);
    ShowStatus();
}

void TFrameForm::ComboBox5Change() {
    const int index = ComboBox5->currentIndex();
    qr_->SetSymbolPicture(static_cast<component::TPictures>(index));
    SelectBox(ComboBox6, index);
    ShowStatus();
}

void TFrameForm::ComboBox6Change() {
    const int index = ComboBox6->currentIndex();
    qr_->SetSymbolPicture(static_cast<component::TPictures>(index));
    SelectBox(ComboBox5, index == component::picWMF ? component::picEMF : index);
    ShowStatus();
}

void TFrameForm::ComboBox9Change() {
    qr_->SetMode(static_cast<component::TQRMode>(ComboBox9->currentIndex()));
    // the component fits the count to the mode
    UpDown6->SetPosition(qr_->Count());
    ShowStatus();
}

void TFrameForm::CheckBox1Click() {
    qr_->SetBinaryOperation(CheckBox1->isChecked());
    ShowStatus();
}

void TFrameForm::Button1Click() {
    if (const auto color = dialogs_.ChooseColor(this, qr_->SymbolColor()))
        qr_->SetSymbolColor(*color);
    ShowStatus();
}

void TFrameForm::Button2Click() {
    if (const auto color = dialogs_.ChooseColor(this, qr_->BackColor()))
        qr_->SetBackColor(*color);
    ShowStatus();
}

void TFrameForm::Button11Click() {
    if (const auto font = ChooseFont(this, qr_->ComFont())) {
        fontDialogFont_ = *font;
        qr_->SetComFont(*font);
    }
    ShowStatus();
}

void TFrameForm::QRCode1ClipboardRefused(const QString& reason) {
    // a box for every copy would be a nuisance: the display-state panel says it
    ShowColoured(Panel5, U("取り込めません。"), 255);
    Panel5->setToolTip(U("クリップボードのテキストを取り込めません: ") + reason);
}

void TFrameForm::ShowStatus() {
    const component::TQRCode& qr = *qr_;
    if (qr.SymbolDisped()) {
        Panel4->setText(QStringLiteral("%1\u00D7%2").arg(qr.SymbolWidth()).arg(qr.SymbolHeight()));
        ShowColoured(Panel5, U("表示しました。"), 16711680);
        Panel5->setToolTip(QString());
    } else {
        Panel4->setText(QStringLiteral("0\u00D70"));
        ShowColoured(Panel5, U("表示出来ません。"), 255);
        // a picture refused for its size is not the data's fault: say so
        switch (qr.LastDrawFailure()) {
        case component::TDrawFailure::TooLarge:
            Panel5->setToolTip(U("画像が大きすぎるため表示出来ません。"));
            break;
        case component::TDrawFailure::NoMemory:
            Panel5->setToolTip(U("画像のためのメモリが足りないため表示出来ません。"));
            break;
        case component::TDrawFailure::None:
            Panel5->setToolTip(QString());
            break;
        }
    }

    WriteItemCaption();

    if (qr.Len() == 0) {
        ShowColoured(Panel9, QStringLiteral("Void Data"), 16777215);
        Panel9->setToolTip(U("空のデータです。"));
    } else if (qr.Binary()) {
        ShowColoured(Panel9, QStringLiteral("Binary Data"), 65535);
        Panel9->setToolTip(U("バイナリデータです。"));
    } else {
        ShowColoured(Panel9, QStringLiteral("Text Data"), 16711680);
        Panel9->setToolTip(U("テキストデータです。"));
    }

    const int64_t capacity = qr.EmodeR() == 3 ? int64_t{2} * qr.Capacity() : qr.Capacity();
    setWindowTitle(
        QStringLiteral("Zarvo  Version 1.2  -  Data size = %1,  Capacity = %2").arg(qr.Len()).arg(capacity));

    if (CheckBox1->isChecked() != qr.BinaryOperation()) {
        const QSignalBlocker blocker(CheckBox1);
        CheckBox1->setChecked(qr.BinaryOperation());
    }
    // the rotation shortcuts act only where the menu would offer them
    PopupMenu1Popup();
}

} // namespace zarvo::app
