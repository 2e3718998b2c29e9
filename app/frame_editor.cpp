// The editor pane: the whole symbol string, line breaks included, drawn (QR) and stored (Add), and
// data files opened and saved as raw bytes.
#include "app/frame.h"
#include "app/uitext.h"
#include "datalist/celltext.h"
#include "shared/cp932.h"
#include "shared/dialogs.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <cerrno>
#include <sys/stat.h>

namespace zarvo::app {

namespace {

const char* const kSymbolString = "シンボル文字列";

} // namespace

void TFrameForm::RememberDirectory(std::string& field, const QString& path) {
    // the settings keep CP932 text: a directory it cannot name is not remembered
    try {
        field = shared::QStringToCp932(QFileInfo(path).absolutePath());
    } catch (const shared::TextError&) {
    }
}

void TFrameForm::Memo1Change() {
    // a change the program made consumes its mark
    if (EditorOrigin != 0) {
        EditorOrigin = 0;
        return;
    }
    // the user's own edit: not drawn, not stored, and no item any more
    Button13->setEnabled(true);
    Button16->setEnabled(true);
    SelectBox(ComboBox1, -1);
    ShowInSymbolBox(Memo1->toPlainText());
    SelectBox(ComboBox7, -1);
    SelectBox(ComboBox8, -1);
}

void TFrameForm::ShowCodeInEditor() {
    EditorOrigin = -1;
    Memo1->setPlainText(datalist::EditorText(qr_->Code()));
    EditorOrigin = 0; // also when the text was the same and nothing changed
    Button13->setEnabled(false);
    Button16->setEnabled(false);
    Label10->setText(U(kSymbolString));
}

void TFrameForm::ShowInSymbolBox(const QString& text) {
    ComboBox1->setEditText(datalist::OneLine(text));
    ComboBox1->lineEdit()->setCursorPosition(0); // its beginning, as a list entry shows
}

void TFrameForm::WriteNewItemCaption() {
    Label1->setText(U("シンボル文字列 (new %1)").arg(list_.Count() + 1));
}

void TFrameForm::ShowUnstoredCode() {
    SelectBox(ComboBox1, -1);
    ShowInSymbolBox(shared::Cp932ToQString(qr_->Code()));
    for (QComboBox* box : {ComboBox7, ComboBox8}) {
        SelectBox(box, -1);
        box->setEditText(shared::Cp932ToQString(box == ComboBox7 ? qr_->CommentUp() : qr_->CommentDown()));
    }
}

bool TFrameForm::Button13Click() {
    std::string text;
    try {
        text = datalist::TypedCode(Memo1->toPlainText());
    } catch (const shared::TextError& e) {
        return RefuseText(e);
    }
    const int32_t found = list_.Find(text);
    component::TQRCode& qr = *qr_;
    qr.SetSymbolEnabled(false);
    qr.SetCommentUp(found >= 0 ? list_.Up(found) : std::string());
    qr.SetCommentDown(found >= 0 ? list_.Down(found) : std::string());
    qr.SetCode(text);
    qr.SetSymbolEnabled(true);
    if (found >= 0) {
        SelectOrInsertCode();
        Button13->setEnabled(false);
        Button16->setEnabled(false);
        return true;
    }
    // drawn, not stored: Add or Return in the symbol box stores it after the current item
    ShowUnstoredCode();
    Button13->setEnabled(false);
    ShowStatus();
    WriteNewItemCaption();
    return true;
}

void TFrameForm::Button16Click() {
    if (Button13->isEnabled() && !Button13Click())
        return;
    if (!ComboBox7->currentText().isEmpty() || !ComboBox8->currentText().isEmpty()) {
        // comments typed after QR are taken
        std::string up, down;
        if (!ShownComments(up, down))
            return;
        PushComments(up, down);
    }
    SelectOrInsertCode();
    Button16->setEnabled(false);
}

void TFrameForm::Button14Click() {
    shared::FileDialogRequest request;
    request.Filter = U("全てのファイル(*.*)|*.*");
    request.Directory = shared::Cp932ToQString(OpenDir);
    const std::optional<shared::FileDialogChoice> chosen = dialogs_.OpenFile(this, request);
    if (!chosen)
        return;
    const QString& path = chosen->Path;
    const std::string name = QFile::encodeName(path).toStdString();
    // The component takes a missing file for "nothing to load": the header would then name this
    // file beside the old data's size, and Save would offer the name for the old data.
    struct stat st {};
    if (::stat(name.c_str(), &st) != 0 && (errno == ENOENT || errno == ENOTDIR)) {
        dialogs_.Error(this, U("ファイル \"%1\" が見つかりません。").arg(path));
        return;
    }

    component::TQRCode& qr = *qr_;
    qr.SetSymbolEnabled(false);
    try {
        qr.LoadDataFromFile(name);
    } catch (const std::exception& e) {
        qr.SetSymbolEnabled(true); // the old data, drawn as before
        dialogs_.Error(this, U("ファイルを読み込めません。\n") + ErrorText(e));
        return;
    }
    const int32_t found = list_.Find(qr.Code());
    if (found < 0) {
        qr.SetCommentUp(std::string());
        qr.SetCommentDown(std::string());
        ShowUnstoredCode();
    } else {
        qr.SetCommentUp(list_.Up(found));
        qr.SetCommentDown(list_.Down(found));
        SelectBox(ComboBox1, found);
        ComboBoxChange(ComboBox1);
    }
    qr.SetSymbolEnabled(true);
    ShowStatus();
    if (found < 0)
        WriteNewItemCaption();

    ShowCodeInEditor();
    Button16->setEnabled(found < 0); // the file's content can be stored as an item
    Label10->setText(QFileInfo(path).fileName() + U(" %1 Bytes").arg(qr.Len()));
    RememberDirectory(OpenDir, path);
}

void TFrameForm::Button15Click() {
    // what is saved is what the editor shows
    if (Button13->isEnabled() && !Button13Click())
        return;
    shared::FileDialogRequest request;
    request.Filter = SaveFilter();
    request.FilterIndex = 4; // all files
    request.Directory = shared::Cp932ToQString(SaveSDir);
    // the opened file's name: the header's text before its first blank
    const QString header = Label10->text();
    request.FileName = header == U(kSymbolString) ? QStringLiteral("Sample.dat")
                                                  : header.left(header.indexOf(QLatin1Char(' ')));
    request.OverwritePrompt = true;
    const std::optional<shared::FileDialogChoice> chosen = dialogs_.SaveFile(this, request);
    if (!chosen)
        return;
    try {
        qr_->SaveDataToFile(QFile::encodeName(chosen->Path).toStdString());
    } catch (const std::exception& e) {
        dialogs_.Error(this, U("ファイルに保存できません。\n") + ErrorText(e));
        return;
    }
    RememberDirectory(SaveSDir, chosen->Path);
}

QString TFrameForm::SaveFilter() {
    return U("ビットマップ(*.bmp)|*.bmp|EMF(Win32 エンハンスドメタファイル)(*.emf)|*.emf|"
             "WMF(Win16 形式メタファイル)(*.wmf)|*.wmf|全てのファイル(*.*)|*.*");
}

} // namespace zarvo::app
