// The symbol taken out (image files, the clipboard) and text taken in from the clipboard (paste and
// the clipboard watch).
#include "app/frame.h"
#include "app/uitext.h"
#include "component/picture/imagefiles.h"
#include "shared/cp932.h"
#include "shared/dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QPushButton>

namespace zarvo::app {

void TFrameForm::Button4Click() {
    component::TQRCode& qr = *qr_;
    if (!qr.SymbolDisped())
        return;
    const component::TPictures kind = qr.SymbolPicture();
    static const char* const kProposed[] = {"Zarvo.bmp", "Zarvo.emf", "Zarvo.wmf"};
    shared::FileDialogRequest request;
    request.Filter = SaveFilter();
    request.FilterIndex = static_cast<int>(kind) + 1;
    request.DefaultExtension = QStringLiteral("bmp");
    request.Directory = shared::Cp932ToQString(SaveDir);
    request.FileName = QString::fromLatin1(kProposed[kind]);
    request.OverwritePrompt = true;
    const std::optional<shared::FileDialogChoice> chosen = dialogs_.SaveFile(this, request);
    if (!chosen)
        return;
    // the picture saved is what the editor shows
    if (Button13->isEnabled() && !Button13Click())
        return;
    if (!qr.SymbolDisped()) {
        dialogs_.Error(this, U("シンボルを表示出来ないため、保存しません。"));
        return;
    }

    // The copy method decides the format, not the filter chosen; a bitmap also becomes JPEG, PNG
    // or SVG when the name asks for it.
    const std::string name = QFile::encodeName(chosen->Path).toStdString();
    std::string type = kind == component::picEMF ? "emf" : kind == component::picWMF ? "wmf" : "bmp";
    if (kind == component::picBMP) {
        const std::string asked = component::ImageTypeOf(name);
        if (asked == "jpeg" || asked == "png" || asked == "svg")
            type = asked;
    }
    try {
        component::SavePicture(qr.Picture(), type, name);
    } catch (const std::exception& e) {
        dialogs_.Error(this, U("画像を保存できません。\n") + ErrorText(e));
        return;
    }
    RememberDirectory(SaveDir, chosen->Path);
}

void TFrameForm::Button3Click() {
    if (qr_->SymbolDisped())
        qr_->CopyToClipboard();
}

void TFrameForm::Button12Click() {
    component::TQRCode& qr = *qr_;
    const std::string code = qr.Code(), up = qr.CommentUp(), down = qr.CommentDown();
    qr.SetSymbolEnabled(false);
    qr.SetCommentUp(std::string());
    qr.SetCommentDown(std::string());
    qr.SetCode(std::string());
    QString refused;
    try {
        qr.PasteFromClipboard();
    } catch (const shared::TextError& e) {
        refused = QString::fromUtf8(e.what());
    }
    if (!refused.isEmpty() || qr.Code().empty()) {
        // nothing pasted: the symbol as it was
        PushItem(code, up, down);
        if (!refused.isEmpty())
            dialogs_.Error(this, U("クリップボードのテキストに Shift-JIS (CP932) で表せない文字があるため、"
                                   "ペースト出来ません。\n") +
                                     refused);
        ShowStatus();
        return;
    }
    qr.SetSymbolEnabled(true);
    SelectBox(ComboBox7, -1);
    SelectBox(ComboBox8, -1);
    SelectOrInsertCode();
    ShowCodeInEditor();
    ShowStatus();
}

void TFrameForm::CheckBox3Click() {
    if (CheckBox3->isChecked()) {
        Button12->setEnabled(false);
        qr_->SetClipWatch(true);
    } else {
        qr_->SetClipWatch(false);
        Button12->setEnabled(true);
    }
    ShowStatus();
}

void TFrameForm::QRCode1ChangedCode(component::TQRCode*, bool watch) {
    if (!watch)
        return;
    PushComments(std::string(), std::string());
    SelectBox(ComboBox7, -1);
    SelectBox(ComboBox8, -1);
    SelectOrInsertCode();
    ShowCodeInEditor();
    CurrentIndex = ComboBox1->currentIndex();
    ShowStatus();
}

} // namespace zarvo::app
