// Start and close of the main window: the settings and the data list files in the program's
// directory.
#include "app/frame.h"
#include "app/mainsettings.h"
#include "app/uitext.h"
#include "datalist/datalistfiles.h"
#include "datalist/datalistsettings.h"
#include "shared/cp932.h"
#include "shared/dialogs.h"
#include "shared/updown.h"
#include "shared/windowplace.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>

namespace zarvo::app {

namespace {

QString Local(const std::string& bytes) {
    return shared::Cp932ToQString(bytes);
}

// A stored index that the box does not hold gives the box's first entry.
// 64 bits: the entry of a stored value is found by adding to it, and a settings file may hold any
// integer.
void SelectStored(QComboBox* box, int64_t index) {
    const QSignalBlocker blocker(box);
    box->setCurrentIndex(index >= 0 && index < box->count() ? static_cast<int>(index) : 0);
}

} // namespace

void TFrameForm::FormShow() {
    starting_ = true;
    component::TQRCode& qr = *qr_;
    qr.SetSymbolEnabled(false);

    // the settings
    bool firstRun = true;
    parameter_.SetDir(env_.ProgramDir);
    try {
        parameter_.Open(env_.ExeName);
        firstRun = parameter_.Count() == 0;
    } catch (const std::exception& e) {
        settingsUnreadable_ = true;
        dialogs_.Error(this,
                       U("設定ファイルを読み込めません。設定は初期値で始め、終了時にも保存しません。\n") +
                           ErrorText(e));
    }

    // the data list files
    datalist::LoadedDataList loaded = datalist::LoadDataListFiles(env_.ProgramDir);
    ReportListFiles(loaded);

    MainSettings settings;
    if (firstRun) {
        for (QComboBox* box : {ComboBox2, ComboBox3, ComboBox4, ComboBox5, ComboBox6, ComboBox9})
            SelectBox(box, 0);
        SameSizeSwitch = false;
        PrintRowSpace = 10;
        PrintColSpace = 0;
        ShowPrintSpacing();
        sortKey_ = 0;
        sortOrder_ = 1;
        OpenDir.clear();
        SaveDir.clear();
        SaveSDir.clear();
    } else {
        const std::vector<std::string> messages = ReadMainSettings(parameter_, settings);
        ApplySettings(settings);
        if (!messages.empty()) {
            // one report for all: an old file may lack several keys
            QString text = U("設定ファイルの次の値を読めないため、初期値を使います。");
            for (const std::string& m : messages)
                text += QStringLiteral("\n") + Local(m);
            dialogs_.Error(this, text);
        }
    }

    LoadList(std::move(loaded.List), firstRun ? 0 : settings.CurrentItem);

    try {
        qr.SetSymbolEnabled(true);
    } catch (const std::exception& e) {
        // the user can still mend the setting that failed; the start goes on, so that the close
        // saves the mend and the items of this session
        ReportError(U("シンボルを表示できませんでした。\n") + ErrorText(e));
    }
    ShowStatus();
    ListPrintMode = false;
    CurrentIndex = ComboBox1->currentIndex();
    ShowCodeInEditor();
    ComboBox1->setFocus(); // ready for the first symbol string
    started_ = true;
    starting_ = false;
}

void TFrameForm::ReportListFiles(const datalist::LoadedDataList& loaded) {
    // A save cut off after its journal was in place and then finished holds what the user saved:
    // nothing to say. One undone (a new file of it was lost) gives the list of the save before:
    // the user must know that the last changes are missing.
    if (loaded.Recovered == shared::SetRecovery::Undone)
        dialogs_.Inform(this, U("前回のデータリストの保存は途中で中断されていたため、"
                                "その前に保存したデータリストを読み込みました。"));
    QString text;
    std::vector<const char*> setAside;
    if (!loaded.StreamError.empty()) {
        text = U("データリスト \"Zarvo.dat\" を読み込めません。\n") +
               QString::fromUtf8(loaded.StreamError.c_str());
        setAside = {datalist::kDatFile, datalist::kUpFile, datalist::kDownFile};
    }
    for (const datalist::RefusedCommentFile& refused : loaded.RefusedComments) {
        const QString name = QString::fromLatin1(refused.Name);
        if (!text.isEmpty())
            text += QStringLiteral("\n");
        if (refused.Lines < 0)
            text += U("コメントファイル \"%1\" を読み込めません: %2")
                        .arg(name, QString::fromLocal8Bit(refused.Error.c_str()));
        else
            text +=
                U("コメントファイル \"%1\" の行数 (%2) がデータの件数 (%3) と合わないため、読み込みません。")
                    .arg(name)
                    .arg(refused.Lines)
                    .arg(loaded.List.Count());
        setAside.push_back(refused.Name);
    }
    if (text.isEmpty())
        return;

    // nothing read is lost: the files stay as they are unless the list changes, and a copy of
    // each is kept beside them
    listFilesKept_ = true;
    try {
        QString copies;
        for (const char* name : setAside)
            if (const std::string copy = datalist::BackupDataListFile(env_.ProgramDir, name); !copy.empty())
                copies += QStringLiteral("\n") + QString::fromLocal8Bit(copy.c_str());
        if (!copies.isEmpty())
            text += U("\n\n元のファイルを次の名前で残しました:") + copies;
    } catch (const std::exception& e) {
        text += U("\n\n元のファイルの控えを作れませんでした: ") + ErrorText(e);
    }
    text += loaded.StreamError.empty() ? U("\n\nそのコメントは空で続けます。")
                                       : U("\n\n空のデータリストで続けます。");
    text += U("データリストを変更しない限り、元のファイルは上書きしません。");
    dialogs_.Error(this, text);
}

void TFrameForm::PlaceWindow(const MainSettings& s) {
    if (s.HasBounds)
        shared::PlaceWindow(*this, s.Left, s.Top, s.Width, s.Height);
    shared::ShowStoredState(*this, s.WindowState, true);
}

void TFrameForm::ApplySettings(const MainSettings& s) {
    component::TQRCode& qr = *qr_;
    PlaceWindow(s);
    SelectStored(ComboBox2, int64_t{s.Emode} + 1);
    qr.SetEmode(ComboBox2->currentIndex() - 1);
    SelectStored(ComboBox3, s.Eclevel);
    qr.SetEclevel(ComboBox3->currentIndex());
    SelectStored(ComboBox4, int64_t{s.Masktype} + 1);
    qr.SetMasktype(ComboBox4->currentIndex() - 1);
    CheckBox3->setChecked(s.ClipWatch);
    CheckBox3Click();
    qr.SetClipWatch(CheckBox3->isChecked());
    UpDown1->SetPosition(s.Pxmag);
    qr.SetPxmag(UpDown1->Position());
    SelectStored(ComboBox5, s.DisplayFormat);
    UpDown2->SetPosition(s.Version);
    qr.SetVersion(UpDown2->Position());
    UpDown9->SetPosition(s.SpaceUp);
    qr.SetSymbolSpaceUp(UpDown9->Position());
    UpDown10->SetPosition(s.SpaceDown);
    qr.SetSymbolSpaceDown(UpDown10->Position());
    UpDown4->SetPosition(s.SpaceLeft);
    qr.SetSymbolSpaceLeft(UpDown4->Position());
    UpDown5->SetPosition(s.SpaceRight);
    qr.SetSymbolSpaceRight(UpDown5->Position());
    SelectStored(ComboBox6, s.CopyMethod);
    qr.SetSymbolPicture(static_cast<component::TPictures>(ComboBox6->currentIndex()));
    UpDown7->SetPosition(s.PrintCount);
    UpDown8->SetPosition(s.PrintMagnification);
    qr.SetSymbolColor(s.SymbolColor);
    qr.SetBackColor(s.BackColor);
    SameSizeSwitch = s.SameSizeSwitch;
    PrintRowSpace = s.PrintRowSpace;
    PrintColSpace = s.PrintColSpace;
    ShowPrintSpacing();
    qr.SetBinaryOperation(s.BinaryOperation);
    {
        const QSignalBlocker blocker(CheckBox1);
        CheckBox1->setChecked(qr.BinaryOperation());
    }
    sortKey_ = s.SortKey;
    sortOrder_ = s.SortOrder;
    SelectStored(ComboBox9, s.SplitMode);
    qr.SetMode(static_cast<component::TQRMode>(ComboBox9->currentIndex()));
    UpDown6->SetPosition(s.SplitCount);
    qr.SetCount(UpDown6->Position());
    UpDown11->SetPosition(s.SplitColumn);
    qr.SetColumn(UpDown11->Position());

    component::TFont font = datalist::FontOfSettings(s);
    font.Charset = 128;
    fontDialogFont_ = font;
    qr.SetComFont(font);

    OpenDir = s.OpenDir;
    SaveDir = s.SaveDir;
    SaveSDir = s.SaveSDir;

    qr.SetEmode(ComboBox2->currentIndex() - 1);
    ShowStatus();
}

void TFrameForm::LoadList(datalist::DataList list, int32_t storedIndex) {
    list_ = std::move(list);
    FillBoxes();
    if (list_.Count() == 0) {
        SelectAll(-1);
        return;
    }
    const int32_t index = storedIndex >= 0 && storedIndex < list_.Count() ? storedIndex : 0;
    SelectAll(index);
    // drawing is off: the start-up turns it on once everything is in
    qr_->SetCommentUp(list_.Up(index));
    qr_->SetCommentDown(list_.Down(index));
    qr_->SetCode(list_.Code(index));
}

MainSettings TFrameForm::CollectSettings() const {
    MainSettings s;
    const QRect bounds = shared::StoredBounds(*this);
    s.HasBounds = true;
    s.Left = bounds.x();
    s.Top = bounds.y();
    s.Width = bounds.width();
    s.Height = bounds.height();
    s.WindowState = shared::StoredState(*this);
    s.Emode = ComboBox2->currentIndex() - 1;
    s.Eclevel = ComboBox3->currentIndex();
    s.Masktype = ComboBox4->currentIndex() - 1;
    s.ClipWatch = CheckBox3->isChecked();
    s.Pxmag = UpDown1->Position();
    s.DisplayFormat = ComboBox5->currentIndex();
    s.Version = UpDown2->Position();
    s.SpaceUp = UpDown9->Position();
    s.SpaceDown = UpDown10->Position();
    s.SpaceLeft = UpDown4->Position();
    s.SpaceRight = UpDown5->Position();
    s.CopyMethod = ComboBox6->currentIndex();
    s.PrintCount = UpDown7->Position();
    s.PrintMagnification = UpDown8->Position();
    s.SymbolColor = qr_->SymbolColor();
    s.BackColor = qr_->BackColor();
    s.SameSizeSwitch = SameSizeSwitch;
    s.PrintRowSpace = PrintRowSpace;
    s.PrintColSpace = PrintColSpace;
    s.BinaryOperation = CheckBox1->isChecked();
    s.SortKey = sortKey_;
    s.SortOrder = sortOrder_;
    s.SplitMode = ComboBox9->currentIndex();
    s.SplitCount = UpDown6->Position();
    s.SplitColumn = UpDown11->Position();
    datalist::SetFontSettings(s, fontDialogFont_);
    s.OpenDir = OpenDir;
    s.SaveDir = SaveDir;
    s.SaveSDir = SaveSDir;
    s.CurrentItem = ComboBox1->currentIndex();
    return s;
}

QStringList TFrameForm::SaveFiles() {
    QStringList failures;
    // the list files as one set; files that could not be taken stay as they are on disk unless
    // the user changed the list
    if (!listFilesKept_ || listChanged_) {
        try {
            datalist::SaveDataListFiles(env_.ProgramDir, list_);
        } catch (const std::exception& e) {
            failures << U("データリストを保存できません: ") + ErrorText(e);
        }
    }
    if (!settingsUnreadable_) {
        try {
            WriteMainSettings(parameter_, CollectSettings(), isMaximized());
            parameter_.Save();
        } catch (const std::exception& e) {
            failures << U("設定ファイルを保存できません: ") + ErrorText(e);
        }
    }
    return failures;
}

bool TFrameForm::FormCloseQuery() {
    const QStringList failures = SaveFiles();
    if (failures.isEmpty())
        return true;
    return dialogs_.Ask(this, failures.join(QStringLiteral("\n")) + U("\n\n保存せずに終了しますか？"));
}

QStringList TFrameForm::SaveWithoutQuestions() {
    // a window that never started has nothing of the user's; one already closed has saved
    if (!started_ || closing_)
        return {};
    return SaveFiles();
}

QStringList TFrameForm::CloseWithoutQuestions() {
    QStringList failures = SaveWithoutQuestions();
    closing_ = true; // the close that follows asks nothing and writes nothing again
    close();
    return failures;
}

} // namespace zarvo::app
