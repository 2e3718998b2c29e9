// TFrameForm: the main window. It binds its controls to the symbol component QRCode1, keeps the
// data list (mirrored into ComboBox1, ComboBox7 and ComboBox8), and loads and saves the settings
// and the data list files in the program's directory.
//
// Handlers keep the names of the controls and events they serve. Changes that the program makes
// to a control never run that control's action: the controls report only the user's own actions
// (activated, clicked, textEdited, the arrows' clicks), and UpDown3 skips a click by the arrows'
// counter rule (ArrowCounter). The list's rules are the DataList's; the window shows what they
// decide.
//
// It is the host of the windows it opens: the data list window (DataListHost) and printing's
// preview, size report and print commands (PrintHost, with the print fields of PrintFields).
// While any of them, or any box or dialog, is open, the clipboard watch is held: a text copied
// meanwhile is taken when the window closes.
#pragma once

#include "app/application.h"
#include "app/helddialogs.h"
#include "component/qrcode.h"
#include "datalist/controlsteps.h"
#include "datalist/datalisthost.h"
#include "datalist/datalistmodel.h"
#include "param/param.h"
#include "printing/printhost.h"
#include "shared/cp932.h"
#include "shared/dialogs.h"
#include "shared/updown.h"

#include <QWidget>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;

namespace zarvo::datalist {
struct LoadedDataList;
}
namespace zarvo::printing {
class PrintDevice;
class TProgressForm;
} // namespace zarvo::printing

namespace zarvo::app {

using shared::Dialogs;
using shared::TUpDown;

class TSymbolView;
struct MainSettings;

// Where the window keeps its files and whom it asks.
struct FrameEnvironment {
    std::string ProgramDir;     // directory of the settings and data list files (path bytes)
    std::string ExeName;        // the program's path; the settings file is its name + ".ini"
    Dialogs* dialogs = nullptr; // not owned
    std::shared_ptr<component::Clipboard> clipboard; // null: the system clipboard
    std::shared_ptr<printing::PrintDevice> printer;  // null: the system's printers (or a PDF file)
};

class TFrameForm : public QWidget,
                   public ErrorReporter,
                   public datalist::DataListHost,
                   public printing::PrintHost,
                   public printing::PrintFields {
    Q_OBJECT

  public:
    explicit TFrameForm(FrameEnvironment environment, QWidget* parent = nullptr);
    ~TFrameForm() override;

    // The start-up sequence; the first show runs it. Reports a bad settings key, an unreadable
    // "Zarvo.dat" or comment file, or a first drawing that fails, and goes on with the first-run
    // value, an empty list or no symbol.
    void FormShow();
    // True once the start-up sequence has run: only then does a close write anything.
    bool Started() const { return started_; }
    // The close sequence: writes the list files and the settings. True when the window may
    // close; a failed write is reported, and the user chooses between closing without it and
    // staying.
    bool FormCloseQuery();

    component::TQRCode& QRCode1() override { return *qr_; }
    param::TParameter& Parameter1() override { return parameter_; }
    const datalist::DataList& List() const override { return list_; }

    // Data list operations (also used by the editor pane and the clipboard commands).
    // Selects the item whose symbol string equals QRCode1's Code, else inserts the Code with the
    // shown comments after the current item.
    void SelectOrInsertCode();
    // The status panels, the item caption, the data kind, the window caption, CheckBox1.
    void ShowStatus();
    // An error that ended a command, in a message box.
    void ReportError(const QString& text) override;

    // The data list window's host: the list it opens on and takes back on OK (selecting nothing;
    // Button17 selects ListReturnIndex afterwards), the settings store and the sort fields.
    int32_t ItemIndex() const override;
    void ReplaceList(datalist::DataList list) override;
    void SetListReturnIndex(int32_t index) override { ListReturnIndex = index; }
    // SortKey: 0 symbol strings, 1 upper, 2 lower comments, -1 no value yet; SortOrder: +1
    // ascending, -1 descending, 0 no value yet.
    int32_t& SortKey() override { return sortKey_; }
    int32_t& SortOrder() override { return sortOrder_; }
    void Inform(QWidget* parent, const QString& text) override;
    std::optional<component::TFont> ChooseFont(QWidget* parent, const component::TFont& initial) override;
    std::optional<QString> InputQuery(QWidget* parent, const QString& caption, const QString& prompt,
                                      const QString& initial) override;
    // The data list window's "印刷": the text listing on this run's printer.
    bool CanPrintList() const override { return true; }
    void PrintList(QWidget* parent, const datalist::DataList& items, int32_t partition,
                   const component::TFont& font) override;

    // Printing's host: this window, its print controls and fields, and the program's dialogs,
    // clipboard, printer and progress window.
    QWidget* HostWindow() override { return this; }
    int32_t PrintCount() const override;
    int32_t PrintMagnification() const override;
    void SetPrintMagnification(int32_t percent) override;
    printing::PrintFields& PrintState() override { return *this; }
    const std::string& ProgramDir() const override { return env_.ProgramDir; }
    Dialogs& TheDialogs() override { return dialogs_; }
    component::Clipboard& TheClipboard() override { return *env_.clipboard; }
    printing::PrintDevice& ThePrinter() override;
    printing::TProgressForm& TheProgressForm() override;

    int32_t CurrentIndex = -1;
    int32_t ListReturnIndex = 0;
    int32_t EditorOrigin = 0;
    std::string OpenDir, SaveDir, SaveSDir;

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // frame.cpp: controls and layout
    void CreateControls();
    void CreateSettingsPanel();
    void CreateButtonBar();
    void CreateEditorPane();
    void Connect();
    QLineEdit* NewEdit(const char* name, QWidget* parent, int x, int y, int w);
    TUpDown* NewUpDown(const char* name, QLineEdit* edit, int min, int max, int position);
    QComboBox* NewComboBox(const char* name, QWidget* parent, bool editable);
    QLabel* NewLabel(const char* utf8, QWidget* parent, int x, int y, int w, QWidget* buddy);
    QLabel* NewPanel(const char* name, QWidget* parent, int x, int y, int w, int h);
    // Only controls the user sees whole are reached with Tab.
    void UpdateTabChain();

    // frame_list.cpp: the data list
    void ComboBoxChange(QComboBox* box);
    void ComboBox1KeyDown();
    void ComboBox7KeyDown();
    void Button5Click();
    void UpDown3MouseDown();
    void UpDown3Click(bool up);
    void Button7Click();
    void Button17Click();
    // The bytes behind a box's shown text: the item's own bytes while the text is the item's,
    // else the typed text made CP932 (TextError when it cannot be).
    std::string ShownText(QComboBox* box) const;
    const std::vector<std::string>& ListOf(QComboBox* box) const;
    void SelectAll(int32_t index);
    void SelectBox(QComboBox* box, int32_t index);
    void FillBoxes();
    // Item index, which the list has just gained, in the three boxes.
    void ShowInsertedItem(int32_t index);
    // The texts of item index in the three boxes, as the list now holds them.
    void ShowItemTexts(int32_t index);
    void PushItem(const std::string& code, const std::string& up, const std::string& down);
    // The comments drawn anew, the symbol string as it is.
    void PushComments(const std::string& up, const std::string& down);
    // The bytes of both comment boxes' shown texts; false (the user told why) when Shift-JIS
    // cannot hold one.
    bool ShownComments(std::string& up, std::string& down);
    void ShowItem();
    void WriteItemCaption();
    bool RefuseText(const shared::TextError& error);
    void BoxTextEdited(QComboBox* box);

    // frame_binding.cpp: the settings controls
    void ApplySpin(TUpDown* updown);
    void ComboBox2Change();
    void ComboBox3Change();
    void ComboBox4Change();
    void ComboBox5Change();
    void ComboBox6Change();
    void ComboBox9Change();
    void CheckBox1Click();
    void Button1Click();
    void Button2Click();
    void Button11Click();
    // A copied text the clipboard watch did not take (CP932 cannot hold it).
    void QRCode1ClipboardRefused(const QString& reason);

    // frame_editor.cpp: the editor pane and the data files
    void Memo1Change();
    // QR; false when the editor's text was refused (Shift-JIS cannot hold it) and nothing drawn.
    bool Button13Click();
    void Button16Click();
    void Button14Click();
    void Button15Click();
    // The component's Code in the editor, as a change the program made; QR and Add disabled.
    void ShowCodeInEditor();
    // The component's Code and comments in the boxes, selecting no item.
    void ShowUnstoredCode();
    // A text not in the list shown in the symbol box, on one line.
    void ShowInSymbolBox(const QString& text);
    void WriteNewItemCaption();
    // The filter list of both save dialogs.
    static QString SaveFilter();
    // field := the directory of path, as the settings keep it (kept when CP932 cannot name it).
    static void RememberDirectory(std::string& field, const QString& path);

    // frame_export.cpp: image files and the clipboard
    void Button4Click();
    void Button3Click();
    void Button12Click();
    void CheckBox3Click();
    void QRCode1ChangedCode(component::TQRCode* sender, bool watch);

    // frame_menu.cpp: the popup menu
    void CreatePopupMenu();
    void PopupMenu1Popup();
    void RotationClick(int32_t angle);
    void N4Click();
    void N5Click();
    void Help1Click();

    // frame_print.cpp: the print controls and the size report
    void Button8Click();
    void Button10Click();
    void Button9Click();
    void UpDown8Click();
    void Panel7MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void Panel8MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void ShowPrintSpacing();

    // frame_startclose.cpp: start and close
    void ApplySettings(const MainSettings& settings);
    MainSettings CollectSettings() const;
    void LoadList(datalist::DataList list, int32_t storedIndex);
    void PlaceWindow(const MainSettings& settings);
    // The list files that could not be taken, copied to ".bak" and reported in one message.
    void ReportListFiles(const datalist::LoadedDataList& loaded);

    FrameEnvironment env_;
    std::unique_ptr<component::TQRCode> qr_;
    HeldDialogs dialogs_; // the environment's, holding the watch while one is open
    std::unique_ptr<printing::TProgressForm> progress_;
    param::TParameter parameter_;
    datalist::DataList list_;
    component::TFont fontDialogFont_; // what the font dialog holds and the settings keep
    int32_t sortKey_ = 0;
    int32_t sortOrder_ = 1;
    bool started_ = false;
    bool starting_ = false;
    bool listFilesKept_ = false; // a list file could not be taken: kept unless the list changes
    bool listChanged_ = false;
    bool settingsUnreadable_ = false; // then the close does not write the settings either
    datalist::ArrowCounter upDown3_;
    bool closing_ = false;
    std::vector<std::pair<QWidget*, Qt::FocusPolicy>> outerControls_; // may lie outside the window

  public:
    // The controls, named as documented (objectName too).
    QScrollArea* ScrollBox1;
    TSymbolView* QRCode1View;
    QWidget *Panel1, *Panel2, *Panel3, *Panel6;
    QLabel *Label1, *Label10, *Panel4, *Panel5, *Panel7, *Panel8, *Panel9;
    QComboBox *ComboBox1, *ComboBox2, *ComboBox3, *ComboBox4, *ComboBox5, *ComboBox6, *ComboBox7, *ComboBox8,
        *ComboBox9;
    QCheckBox *CheckBox1, *CheckBox3;
    QLineEdit *Edit1, *Edit2, *Edit3, *Edit4, *Edit5, *Edit6, *Edit7, *Edit8, *Edit9, *Edit10;
    TUpDown *UpDown1, *UpDown2, *UpDown3, *UpDown4, *UpDown5, *UpDown6, *UpDown7, *UpDown8, *UpDown9,
        *UpDown10, *UpDown11;
    QPushButton *Button1, *Button2, *Button3, *Button4, *Button5, *Button6, *Button7, *Button8, *Button9,
        *Button10, *Button11, *Button12, *Button13, *Button14, *Button15, *Button16, *Button17;
    QPlainTextEdit* Memo1;
    QMenu* PopupMenu1;
    QAction *N1, *N01, *N901, *N1801, *N2701, *N3, *N4, *N5, *N2, *Help1;
};

} // namespace zarvo::app
