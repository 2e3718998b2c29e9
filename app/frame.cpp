#include "app/frame.h"

#include "app/mainsettings.h"
#include "app/symbolview.h"
#include "app/uitext.h"
#include "component/clipboard.h"
#include "printing/printdevice.h"
#include "printing/progress.h"
#include "shared/dialogs.h"
#include "shared/updown.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollArea>
#include <QStyledItemDelegate>
#include <tuple>

namespace zarvo::app {

namespace {

// Rows of the settings panel: 22 pixels apart, controls 20 high; two columns of label and
// control.
constexpr int kRow = 22;
constexpr int kHeight = 20;
constexpr int kLabelLeft = 4, kLabelRight = 184, kLabelWidth = 86;
constexpr int kControlLeft = 90, kControlRight = 272, kControlWidth = 90;
constexpr int kArrowWidth = 16;
int RowY(int row) {
    return 2 + kRow * row;
}

// The entries of the dropped-down lists show their beginning only: an item of megabytes (a file
// opened or a text copied) laid out whole took a minute each time the list opened. The box's own
// text and the editor pane show the item whole.
class ShortEntries : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    static constexpr qsizetype kShown = 200; // characters, far more than the list is wide

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (option->text.size() > kShown) {
            option->text.truncate(kShown);
            option->text += QChar(0x2026); // …
        }
    }
};

// The environment with the system clipboard where it names none: printing copies through it too.
FrameEnvironment WithClipboard(FrameEnvironment environment) {
    if (!environment.clipboard)
        environment.clipboard = std::make_shared<component::QtClipboard>();
    return environment;
}

} // namespace

TFrameForm::TFrameForm(FrameEnvironment environment, QWidget* parent)
    : QWidget(parent), env_(WithClipboard(std::move(environment))),
      qr_(std::make_unique<component::TQRCode>(env_.clipboard)), dialogs_(*env_.dialogs, *qr_) {
    setObjectName(QStringLiteral("FrameForm"));
    component::TFont windowFont;
    windowFont.Name = Sjis("ＭＳ Ｐゴシック");
    setFont(component::ToQFont(windowFont));

    // QRCode1 as the window's layout creates it: the settings override the spaces later
    component::TQRCode& qr = *qr_;
    component::SetUpAsMainSymbol(qr, 10);
    fontDialogFont_ = qr.ComFont();
    qr.SetOnChangedCode(
        [this](component::TQRCode* sender, bool watch) { QRCode1ChangedCode(sender, watch); });
    qr.SetOnClipboardRefused(
        [this](component::TQRCode*, const QString& reason) { QRCode1ClipboardRefused(reason); });
    // the clipboard watch runs outside any event of the window: its errors come here
    qr.SetErrorReport([this](const std::exception& e) { ReportError(ErrorText(e)); });

    CreateControls();
    Connect();
    // every control of the settings panel and of the button bar's left part stays in sight
    setMinimumSize(Panel2->width(), Panel2->height() + Panel3->height());
    resize(368, 441);
    setWindowTitle(QStringLiteral("Zarvo  Version 1.2  -  Data size = 0,  Capacity = 0"));
}

TFrameForm::~TFrameForm() = default;

QLabel* TFrameForm::NewLabel(const char* utf8, QWidget* parent, int x, int y, int w, QWidget* buddy) {
    auto* label = new QLabel(U(utf8), parent);
    label->setGeometry(x, y, w, kHeight);
    if (buddy)
        label->setBuddy(buddy);
    return label;
}

QLabel* TFrameForm::NewPanel(const char* name, QWidget* parent, int x, int y, int w, int h) {
    auto* panel = new QLabel(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setGeometry(x, y, w, h);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setAlignment(Qt::AlignCenter);
    return panel;
}

QLineEdit* TFrameForm::NewEdit(const char* name, QWidget* parent, int x, int y, int w) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(x, y, w, kHeight);
    edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("-?[0-9]{0,6}")), edit));
    return edit;
}

TUpDown* TFrameForm::NewUpDown(const char* name, QLineEdit* edit, int min, int max, int position) {
    auto* updown = new TUpDown(min, max, position, edit->parentWidget());
    updown->setObjectName(QString::fromLatin1(name));
    const QRect g = edit->geometry();
    updown->setGeometry(g.right() + 1, g.top(), kArrowWidth, g.height());
    updown->SetAssociate(edit);
    return updown;
}

QComboBox* TFrameForm::NewComboBox(const char* name, QWidget* parent, bool editable) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    if (editable) {
        box->setEditable(true);
        // the three lists must never fall out of step: the box itself inserts nothing, completes
        // nothing and selects nothing when the typed text leaves it
        box->setInsertPolicy(QComboBox::NoInsert);
        box->setCompleter(nullptr);
        box->setItemDelegate(new ShortEntries(box));
        QObject::disconnect(box->lineEdit(), &QLineEdit::editingFinished, box, nullptr);
        connect(box->lineEdit(), &QLineEdit::textEdited, this, [this, box] { BoxTextEdited(box); });
    }
    return box;
}

void TFrameForm::CreateControls() {
    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    auto* area = new QWidget;
    QRCode1View = new TSymbolView(*qr_, area);
    QRCode1View->setObjectName(QStringLiteral("QRCode1"));
    QRCode1View->move(1, 1);
    ScrollBox1->setWidget(area);
    qr_->SetOnInvalidate([this, area](component::TQRCode*) {
        QRCode1View->Follow();
        area->resize(QRCode1View->width() + 2, QRCode1View->height() + 2);
    });
    area->resize(QRCode1View->width() + 2, QRCode1View->height() + 2);

    CreateSettingsPanel();
    CreateButtonBar();
    CreateEditorPane();
    CreatePopupMenu();
}

void TFrameForm::CreateSettingsPanel() {
    Panel2 = new QWidget(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->resize(368, 289);
    QWidget* p = Panel2;

    // the data list
    ComboBox1 = NewComboBox("ComboBox1", p, true);
    ComboBox1->setGeometry(kLabelLeft, RowY(1), 256, kHeight);
    ComboBox1->setMaxVisibleItems(10);
    Label1 = NewLabel("シンボル文字列 (0 of 0)", p, kLabelLeft, RowY(0), 240, ComboBox1);
    Label1->setObjectName(QStringLiteral("Label1"));
    CheckBox1 = new QCheckBox(U("バイナリ表記"), p);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setGeometry(kControlRight, RowY(0), kControlWidth, kHeight);
    CheckBox1->setToolTip(U("バイナリ表記文字列"));
    UpDown3 = new TUpDown(-1010, 1010, 0, p);
    UpDown3->setObjectName(QStringLiteral("UpDown3"));
    UpDown3->setGeometry(262, RowY(1), kArrowWidth, kHeight);
    UpDown3->setToolTip(U("前後のデータと入れ替えを行ないます。"));
    Button7 = new QPushButton(U("ソート"), p);
    Button7->setGeometry(280, RowY(1), 40, kHeight);
    Button7->setToolTip(U("データをソートします。"));
    Button17 = new QPushButton(U("一覧"), p);
    Button17->setGeometry(322, RowY(1), 40, kHeight);
    Button17->setToolTip(U("データを一覧表示して入力・修正します。"));
    ComboBox7 = NewComboBox("ComboBox7", p, true);
    ComboBox7->setGeometry(kControlLeft, RowY(2), 272, kHeight);
    NewLabel("上部のコメント", p, kLabelLeft, RowY(2), kLabelWidth, ComboBox7);
    ComboBox8 = NewComboBox("ComboBox8", p, true);
    ComboBox8->setGeometry(kControlLeft, RowY(3), 272, kHeight);
    NewLabel("下部のコメント", p, kLabelLeft, RowY(3), kLabelWidth, ComboBox8);
    // Return reaches an editable box first, which hands it to its line edit past any filter there
    for (QComboBox* box : {ComboBox1, ComboBox7, ComboBox8})
        box->installEventFilter(this);

    // encoding
    ComboBox2 = NewComboBox("ComboBox2", p, false);
    ComboBox2->addItems(
        {U("自動判定"), U("数字"), U("英数字: 0-9 A-Z SP $%*+-./:"), U("8ビットバイト"), U("漢字")});
    ComboBox2->setGeometry(kControlLeft, RowY(4), 176, kHeight);
    NewLabel("符号化モード", p, kLabelLeft, RowY(4), kLabelWidth, ComboBox2);
    Panel9 = NewPanel("Panel9", p, kControlRight, RowY(4), kControlWidth, kHeight);
    ComboBox3 = NewComboBox("ComboBox3", p, true);
    ComboBox3->addItems({U("レベルL"), U("レベルM"), U("レベルQ"), U("レベルH")});
    ComboBox3->setGeometry(kControlLeft, RowY(5), kControlWidth, kHeight);
    NewLabel("誤り訂正レペル", p, kLabelLeft, RowY(5), kLabelWidth, ComboBox3);
    ComboBox4 = NewComboBox("ComboBox4", p, true);
    ComboBox4->addItem(U("自動設定"));
    for (int i = 0; i < 8; ++i)
        ComboBox4->addItem(QString::number(i));
    ComboBox4->setGeometry(kControlRight, RowY(5), kControlWidth, kHeight);
    NewLabel("マスクパターン", p, kLabelRight, RowY(5), kLabelWidth, ComboBox4);

    const int editWidth = kControlWidth - kArrowWidth;
    Edit2 = NewEdit("Edit2", p, kControlLeft, RowY(6), editWidth);
    UpDown2 = NewUpDown("UpDown2", Edit2, 1, 40, 1);
    NewLabel("バージョン", p, kLabelLeft, RowY(6), kLabelWidth, Edit2);
    Edit1 = NewEdit("Edit1", p, kControlRight, RowY(6), editWidth);
    UpDown1 = NewUpDown("UpDown1", Edit1, 1, 10, 1);
    NewLabel("倍率", p, kLabelRight, RowY(6), kLabelWidth, Edit1);

    // division
    ComboBox9 = NewComboBox("ComboBox9", p, true);
    ComboBox9->addItems({U("シングル"), U("連結"), U("プラス")});
    ComboBox9->setGeometry(kControlLeft, RowY(7), kControlWidth, kHeight);
    ComboBox9->setToolTip(U("データを分割表示する場合のモード"));
    NewLabel("分割モード", p, kLabelLeft, RowY(7), kLabelWidth, ComboBox9);
    Edit3 = NewEdit("Edit3", p, kControlRight, RowY(7), editWidth);
    Edit3->setToolTip(U("データを分割表示する場合の個数"));
    UpDown6 = NewUpDown("UpDown6", Edit3, 1, 1024, 1);
    NewLabel("分割の個数", p, kLabelRight, RowY(7), kLabelWidth, Edit3);
    Edit6 = NewEdit("Edit6", p, kControlLeft, RowY(8), editWidth);
    Edit6->setToolTip(U("データを分割表示する場合の行当り個数"));
    UpDown11 = NewUpDown("UpDown11", Edit6, 1, 1024, 16);
    NewLabel("行当り個数", p, kLabelLeft, RowY(8), kLabelWidth, Edit6);
    Panel4 = NewPanel("Panel4", p, kControlRight, RowY(8), kControlWidth, kHeight);
    NewLabel("サイズ", p, kLabelRight, RowY(8), kLabelWidth, nullptr);

    // spaces
    Edit9 = NewEdit("Edit9", p, kControlLeft, RowY(9), editWidth);
    UpDown9 = NewUpDown("UpDown9", Edit9, 0, 2000, 10);
    NewLabel("上の余白", p, kLabelLeft, RowY(9), kLabelWidth, Edit9);
    Edit10 = NewEdit("Edit10", p, kControlRight, RowY(9), editWidth);
    UpDown10 = NewUpDown("UpDown10", Edit10, 0, 2000, 10);
    NewLabel("下の余白", p, kLabelRight, RowY(9), kLabelWidth, Edit10);
    Edit4 = NewEdit("Edit4", p, kControlLeft, RowY(10), editWidth);
    UpDown4 = NewUpDown("UpDown4", Edit4, 0, 2000, 10);
    NewLabel("左の余白", p, kLabelLeft, RowY(10), kLabelWidth, Edit4);
    Edit5 = NewEdit("Edit5", p, kControlRight, RowY(10), editWidth);
    UpDown5 = NewUpDown("UpDown5", Edit5, 0, 2000, 10);
    NewLabel("右の余白", p, kLabelRight, RowY(10), kLabelWidth, Edit5);

    // pictures, colours, font, watch
    ComboBox5 = NewComboBox("ComboBox5", p, false);
    ComboBox5->addItems({QStringLiteral("Bitmap"), QStringLiteral("EMF")});
    ComboBox5->setGeometry(kControlLeft, RowY(11), kControlWidth, kHeight);
    NewLabel("表示形式", p, kLabelLeft, RowY(11), kLabelWidth, ComboBox5);
    ComboBox6 = NewComboBox("ComboBox6", p, false);
    ComboBox6->addItems({QStringLiteral("Bitmap"), QStringLiteral("EMF"), QStringLiteral("WMF")});
    ComboBox6->setGeometry(kControlRight, RowY(11), kControlWidth, kHeight);
    NewLabel("コピー方法", p, kLabelRight, RowY(11), kLabelWidth, ComboBox6);
    Button1 = new QPushButton(U("描画色"), p);
    Button1->setGeometry(kLabelLeft, RowY(12), 70, kHeight);
    Button2 = new QPushButton(U("背景色"), p);
    Button2->setGeometry(78, RowY(12), 70, kHeight);
    Button11 = new QPushButton(U("フォント"), p);
    Button11->setGeometry(152, RowY(12), 70, kHeight);
    CheckBox3 = new QCheckBox(U("クリップ監視"), p);
    CheckBox3->setObjectName(QStringLiteral("CheckBox3"));
    CheckBox3->setGeometry(kControlRight, RowY(12), kControlWidth, kHeight);
    CheckBox3->setToolTip(U("クリップボード監視機能"));

    for (auto [box, index] : {std::pair{ComboBox2, 0},
                              {ComboBox3, 0},
                              {ComboBox4, 0},
                              {ComboBox5, 0},
                              {ComboBox6, 0},
                              {ComboBox9, 0}})
        box->setCurrentIndex(index);
}

void TFrameForm::CreateButtonBar() {
    Panel3 = new QWidget(this);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->resize(368, 40);
    QWidget* p = Panel3;
    auto button = [p](QPushButton*& b, const char* text, int x, int w, const char* hint) {
        b = new QPushButton(U(text), p);
        b->setGeometry(x, 8, w, 24);
        if (hint)
            b->setToolTip(U(hint));
    };
    button(Button3, "コピー", 4, 52, "イメージをクリップボードへコピーします。");
    button(Button12, "ペースト", 58, 52, "クリップボードのテキストをペーストします。");
    button(Button4, "保存", 112, 52, "イメージをファイルとして保存します。");
    button(Button5, "1件削除", 166, 56, nullptr);
    button(Button6, "終了", 224, 48, "Zarvoを終了します。");
    Panel5 = NewPanel("Panel5", p, 276, 8, 88, 24);

    button(Button8, "印刷", 372, 48, "通常印刷をします。");
    Edit7 = NewEdit("Edit7", p, 422, 10, 40);
    UpDown7 = NewUpDown("UpDown7", Edit7, 1, 1000, 1);
    NewLabel("個", p, 480, 10, 14, Edit7);
    button(Button10, "リスト印刷", 498, 76, "リスト印刷をします。");
    button(Button9, "印刷設定", 578, 64, "各種印刷設定をします。");
    Edit8 = NewEdit("Edit8", p, 646, 10, 44);
    UpDown8 = NewUpDown("UpDown8", Edit8, 10, 1000, 100);
    NewLabel("%", p, 708, 10, 14, Edit8);
    for (auto [edit, updown, hint] : {std::tuple{Edit7, UpDown7, "通常印刷の個数を指定します。"},
                                      std::tuple{Edit8, UpDown8, "印刷の倍率を指定します。"}}) {
        edit->setToolTip(U(hint));
        updown->setToolTip(U(hint));
    }
    Panel7 = NewPanel("Panel7", p, 726, 8, 84, 24);
    Panel7->setToolTip(U("印刷時の行間隔(右クリック＋，左クリック－)"));
    Panel8 = NewPanel("Panel8", p, 814, 8, 84, 24);
    Panel8->setToolTip(U("印刷時の列間隔(右クリック＋，左クリック－)"));
    // the spacing panels act on the press of a mouse button, as the data list window's do
    for (QLabel* panel : {Panel7, Panel8})
        panel->installEventFilter(this);
    ShowPrintSpacing();
}

void TFrameForm::CreateEditorPane() {
    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    auto button = [this](QPushButton*& b, const char* text, int x, int w, const char* hint) {
        b = new QPushButton(U(text), Panel1);
        b->setGeometry(x, 6, w, 24);
        b->setToolTip(U(hint));
    };
    button(Button13, "QR", 4, 40, "編集窓の内容をQRコードとして表示します。");
    button(Button16, "Add", 46, 40, "編集窓の内容をデータリストに追加します。");
    button(Button14, "Open", 88, 44, "ファイルを開いて編集窓に表示します。");
    button(Button15, "Save", 134, 44, "編集窓に表示している内容をファイルに保存します。");
    Label10 = new QLabel(U("シンボル文字列"), Panel1);
    Label10->setObjectName(QStringLiteral("Label10"));
    Label10->setGeometry(184, 6, 400, 24);
    Panel6 = new QWidget(this);
    Panel6->setObjectName(QStringLiteral("Panel6"));
    Memo1 = new QPlainTextEdit(Panel6);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setTabChangesFocus(true); // Tab leaves the editor, as it leaves every other control
    component::TFont memoFont;
    memoFont.Name = Sjis("ＭＳ ゴシック");
    memoFont.Size = 10; // 13 pixels
    memoFont.Pitch = 2;
    Memo1->setFont(component::ToQFont(memoFont));
    Label10->setBuddy(Memo1);
    for (QPushButton* b : {Button13, Button16})
        b->setEnabled(false);

    for (QWidget* w : std::initializer_list<QWidget*>{Button8, Edit7, Button10, Button9, Edit8, Button13,
                                                      Button16, Button14, Button15, Memo1})
        outerControls_.emplace_back(w, w->focusPolicy());
}

void TFrameForm::Connect() {
    // the object names of buttons are their documented names
    const std::pair<QPushButton*, const char*> names[] = {
        {Button1, "Button1"},   {Button2, "Button2"},   {Button3, "Button3"},   {Button4, "Button4"},
        {Button5, "Button5"},   {Button6, "Button6"},   {Button7, "Button7"},   {Button8, "Button8"},
        {Button9, "Button9"},   {Button10, "Button10"}, {Button11, "Button11"}, {Button12, "Button12"},
        {Button13, "Button13"}, {Button14, "Button14"}, {Button15, "Button15"}, {Button16, "Button16"},
        {Button17, "Button17"}};
    for (const auto& [button, name] : names)
        button->setObjectName(QString::fromLatin1(name));

    connect(ComboBox1, &QComboBox::activated, this, [this] { ComboBoxChange(ComboBox1); });
    connect(ComboBox7, &QComboBox::activated, this, [this] { ComboBoxChange(ComboBox7); });
    connect(ComboBox8, &QComboBox::activated, this, [this] { ComboBoxChange(ComboBox8); });
    connect(Button5, &QPushButton::clicked, this, &TFrameForm::Button5Click);
    connect(UpDown3, &TUpDown::Pressed, this, &TFrameForm::UpDown3MouseDown);
    connect(UpDown3, &TUpDown::Clicked, this, &TFrameForm::UpDown3Click);
    connect(Button7, &QPushButton::clicked, this, &TFrameForm::Button7Click);
    connect(Button17, &QPushButton::clicked, this, &TFrameForm::Button17Click);
    connect(Button8, &QPushButton::clicked, this, &TFrameForm::Button8Click);
    connect(Button10, &QPushButton::clicked, this, &TFrameForm::Button10Click);
    connect(Button9, &QPushButton::clicked, this, &TFrameForm::Button9Click);
    connect(Button6, &QPushButton::clicked, this, &QWidget::close);
    connect(Memo1, &QPlainTextEdit::textChanged, this, &TFrameForm::Memo1Change);
    connect(Button13, &QPushButton::clicked, this, [this] { Button13Click(); });
    connect(Button16, &QPushButton::clicked, this, &TFrameForm::Button16Click);
    connect(Button14, &QPushButton::clicked, this, &TFrameForm::Button14Click);
    connect(Button15, &QPushButton::clicked, this, &TFrameForm::Button15Click);
    connect(Button4, &QPushButton::clicked, this, &TFrameForm::Button4Click);
    connect(Button3, &QPushButton::clicked, this, &TFrameForm::Button3Click);
    connect(Button12, &QPushButton::clicked, this, &TFrameForm::Button12Click);

    connect(ComboBox2, &QComboBox::activated, this, &TFrameForm::ComboBox2Change);
    connect(ComboBox3, &QComboBox::activated, this, &TFrameForm::ComboBox3Change);
    connect(ComboBox4, &QComboBox::activated, this, &TFrameForm::ComboBox4Change);
    connect(ComboBox5, &QComboBox::activated, this, &TFrameForm::ComboBox5Change);
    connect(ComboBox6, &QComboBox::activated, this, &TFrameForm::ComboBox6Change);
    connect(ComboBox9, &QComboBox::activated, this, &TFrameForm::ComboBox9Change);
    connect(CheckBox1, &QCheckBox::clicked, this, &TFrameForm::CheckBox1Click);
    connect(CheckBox3, &QCheckBox::clicked, this, &TFrameForm::CheckBox3Click);
    connect(Button1, &QPushButton::clicked, this, &TFrameForm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TFrameForm::Button2Click);
    connect(Button11, &QPushButton::clicked, this, &TFrameForm::Button11Click);

    for (TUpDown* updown :
         {UpDown1, UpDown2, UpDown4, UpDown5, UpDown6, UpDown9, UpDown10, UpDown11, UpDown7, UpDown8}) {
        connect(updown, &TUpDown::Clicked, this, [this, updown] { ApplySpin(updown); });
    }
    const std::pair<QLineEdit*, TUpDown*> edits[] = {
        {Edit1, UpDown1},  {Edit2, UpDown2}, {Edit3, UpDown6}, {Edit4, UpDown4}, {Edit5, UpDown5},
        {Edit6, UpDown11}, {Edit7, UpDown7}, {Edit8, UpDown8}, {Edit9, UpDown9}, {Edit10, UpDown10}};
    for (const auto& [edit, updown] : edits) {
        connect(edit, &QLineEdit::returnPressed, this, [this, updown = updown] {
            updown->TakeEditText();
            ApplySpin(updown);
        });
    }
}

void TFrameForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int clientWidth = width();
    const int clientHeight = height();
    Panel3->setGeometry(0, clientHeight - Panel3->height(), std::max(clientWidth, 900), Panel3->height());
    const int top = clientHeight - Panel3->height() - Panel2->height();
    Panel2->move(0, top);
    const int editorWidth = std::max(0, clientWidth - Panel2->width());
    Panel1->setGeometry(365, top, editorWidth, 35);
    Panel6->setGeometry(365, top + 35, editorWidth, std::max(0, clientHeight - Panel3->height() - top - 35));
    Memo1->setGeometry(0, 0, Panel6->width(), Panel6->height());
    ScrollBox1->setGeometry(0, 0, clientWidth, std::max(0, top));
    UpdateTabChain();
}

void TFrameForm::UpdateTabChain() {
    // The editor pane and the print controls lie beyond the first-run width: Tab must not walk
    // into them unseen (a digit would change the print count). A click on what shows still works.
    const QRect client = rect();
    for (const auto& [control, policy] : outerControls_) {
        const QRect area(control->mapTo(this, QPoint(0, 0)), control->size());
        const bool seen = !area.isEmpty() && client.contains(area);
        control->setFocusPolicy(seen ? policy : Qt::FocusPolicy(policy & ~Qt::TabFocus));
    }
}

void TFrameForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (started_ || starting_)
        return;
    try {
        FormShow();
    } catch (const std::exception& e) {
        // the window stays unstarted, so its close writes nothing over the files
        starting_ = false;
        dialogs_.Error(this, U("起動できませんでした: ") + ErrorText(e));
    }
}

void TFrameForm::closeEvent(QCloseEvent* event) {
    // a window whose start-up did not finish has nothing to write that would not lose data
    if (!started_ || closing_ || FormCloseQuery()) {
        closing_ = true;
        event->accept();
    } else {
        event->ignore();
    }
}

bool TFrameForm::eventFilter(QObject* watched, QEvent* event) {
    // a double click's second press comes as a double click; it is a press all the same
    if ((event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) &&
        (watched == Panel7 || watched == Panel8)) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (watched == Panel7)
            Panel7MouseDown(mouse->button(), mouse->modifiers());
        else
            Panel8MouseDown(mouse->button(), mouse->modifiers());
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        auto* box = qobject_cast<QComboBox*>(watched);
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && box) {
            if (box == ComboBox1) {
                ComboBox1KeyDown();
                return true;
            }
            if (box == ComboBox7 || box == ComboBox8) {
                ComboBox7KeyDown();
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TFrameForm::ReportError(const QString& text) {
    dialogs_.Error(this, text);
}

} // namespace zarvo::app
