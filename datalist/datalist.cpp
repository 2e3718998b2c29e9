// The data list window: its controls, opening and closing, and its settings.
#include "datalist/datalist.h"

#include "datalist/celltext.h"
#include "datalist/datagridview.h"
#include "datalist/datalisthost.h"
#include "datalist/datalisttablemodel.h"
#include "shared/cp932.h"
#include "shared/windowplace.h"

#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace zarvo::datalist {

namespace {

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

constexpr int kTopHeight = 84;

} // namespace

TDataListForm::TDataListForm(DataListHost& host, QWidget* parent)
    : QDialog(parent), host_(host), model_(new DataListTableModel(this)) {
    setObjectName(QStringLiteral("DataListForm"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    component::TFont windowFont; // the window's own font; the grid has its own
    windowFont.Name = shared::Utf8ToCp932("ＭＳ Ｐゴシック");
    setFont(component::ToQFont(windowFont));
    gridFont_ = FontOfSettings(DataListSettings());
    CreateControls();
    CreatePopupMenu();
    Connect();
    resize(564, 378);
    move(191, 182);
    SetRowHeight(24);
    ShowCaption();
}

TDataListForm::~TDataListForm() = default;

const DataGrid& TDataListForm::Grid() const {
    return model_->Grid();
}

void TDataListForm::CreateControls() {
    auto* top = new QWidget(this);
    top->setObjectName(QStringLiteral("TopPanel"));
    top->setFixedHeight(kTopHeight);
    top->setMinimumWidth(556);
    auto button = [top](QPushButton*& b, const char* name, const char* text, int x, int w, const char* hint) {
        b = new QPushButton(U(text), top);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(x, 4, w, 24);
        b->setAutoDefault(false);
        if (hint)
            b->setToolTip(U(hint));
    };
    button(Button1, "Button1", "OK", 4, 60, "一覧のデータの変更を有功にして終了します。");
    button(Button2, "Button2", "Cancel", 68, 60, "一覧のデータの変更をキャンセルして終了します。");
    button(Button3, "Button3", "1件削除", 140, 64, "現在行のデータを1件削除します。");
    button(Button7, "Button7", "挿入", 206, 48, "現在の行の前あるいは後ろに新しい行を挿入します。");
    UpDown1 = new shared::TUpDown(ArrowCounter::kMin, ArrowCounter::kMax, 0, top);
    UpDown1->setObjectName(QStringLiteral("UpDown1"));
    UpDown1->setGeometry(256, 4, 18, 24);
    UpDown1->setToolTip(U("前後のデータと入れ替えを行ないます。"));
    button(Button5, "Button5", "ソート", 276, 52, "データをソートします。");
    button(Button4, "Button4", "フォント", 340, 64, nullptr);
    button(Button6, "Button6", "印刷", 406, 52, "データの一覧を印刷します。");
    Button6->setEnabled(host_.CanPrintList());

    auto panel = [top](QLabel*& p, const char* name, int x, int w, const char* hint) {
        p = new QLabel(top);
        p->setObjectName(QString::fromLatin1(name));
        p->setGeometry(x, 56, w, 22);
        p->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        p->setAlignment(Qt::AlignCenter);
        p->setToolTip(U(hint));
    };
    auto check = [top](QCheckBox*& c, const char* name, const char* text, int x, int y, int w) {
        c = new QCheckBox(U(text), top);
        c->setObjectName(QString::fromLatin1(name));
        c->setGeometry(x, y, w, 22);
    };
    check(CheckBox1, "CheckBox1", "エンターキーで次の行に移動", 4, 31, 178);
    check(CheckBox2, "CheckBox2", "常時文字入力の状態", 186, 31, 136);
    check(CheckBox3, "CheckBox3", "エンターキーでデータチェック", 326, 31, 190);

    Label1 = new QLabel(U("検索文字列"), top);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(4, 56, 58, 22);
    Edit1 = new QLineEdit(top);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(62, 56, 112, 22);
    Label1->setBuddy(Edit1);
    UpDown2 = new shared::TUpDown(ArrowCounter::kMin, ArrowCounter::kMax, 0, top);
    UpDown2->setObjectName(QStringLiteral("UpDown2"));
    UpDown2->setGeometry(176, 56, 18, 22);
    check(CheckBox4, "CheckBox4", "完全に一致する文字列を検索", 200, 56, 178);
    panel(Panel2, "Panel2", 380, 80, "行間隔(右クリック＋，左クリック－)");
    panel(Panel3, "Panel3", 462, 98, "段組印刷の段数(右クリック＋，左クリック－)");

    StringGrid1 = new DataGridView(this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setModel(model_);
    StringGrid1->setAccessibleName(U("データの一覧"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(top);
    layout->addWidget(StringGrid1, 1);
}

void TDataListForm::CreatePopupMenu() {
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    auto item = [this](QAction*& a, const char* name, const char* caption, const QKeySequence& shortcut) {
        a = new QAction(U(caption), this);
        a->setObjectName(QString::fromLatin1(name));
        if (caption[0] == '-' && caption[1] == 0) {
            a->setSeparator(true);
        } else {
            a->setShortcut(shortcut);
            // the menu's shortcuts work wherever in the grid the focus is, its cell editor too
            a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            StringGrid1->addAction(a);
        }
        PopupMenu1->addAction(a);
    };
    item(N1, "N1", "検索文字列の入力", QKeySequence(Qt::CTRL | Qt::Key_F));
    item(N2, "N2", "-", {});
    item(N3, "N3", "前方への件策", QKeySequence(Qt::Key_F3));
    item(N4, "N4", "後方への件策", QKeySequence(Qt::SHIFT | Qt::Key_F3));
    item(N5, "N5", "-", {});
    item(N6, "N6", "先頭行へ移動", QKeySequence(Qt::CTRL | Qt::Key_T));
    item(N7, "N7", "最終行へ移動", QKeySequence(Qt::CTRL | Qt::Key_D));
    StringGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(StringGrid1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu1->popup(StringGrid1->viewport()->mapToGlobal(at)); });
}

void TDataListForm::Connect() {
    connect(Button1, &QPushButton::clicked, this, &TDataListForm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(Button3, &QPushButton::clicked, this, &TDataListForm::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TDataListForm::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &TDataListForm::Button5Click);
    connect(Button6, &QPushButton::clicked, this, &TDataListForm::Button6Click);
    // the insert button acts on the press of any mouse button, and not at all from the keyboard
    for (QWidget* w :
         {static_cast<QWidget*>(Button7), static_cast<QWidget*>(Panel2), static_cast<QWidget*>(Panel3)})
        w->installEventFilter(this);
    connect(UpDown1, &shared::TUpDown::Pressed, this, &TDataListForm::UpDown1MouseDown);
    connect(UpDown1, &shared::TUpDown::Clicked, this, &TDataListForm::UpDown1Click);
    connect(UpDown2, &shared::TUpDown::Pressed, this, &TDataListForm::UpDown2MouseDown);
    connect(UpDown2, &shared::TUpDown::Clicked, this, &TDataListForm::UpDown2Click);
    connect(CheckBox1, &QCheckBox::clicked, this, &TDataListForm::CheckBox1Click);
    connect(CheckBox2, &QCheckBox::clicked, this, &TDataListForm::CheckBox2Click);
    connect(CheckBox3, &QCheckBox::clicked, this, &TDataListForm::CheckBox1Click);
    connect(CheckBox4, &QCheckBox::clicked, this, &TDataListForm::CheckBox1Click);
    connect(Edit1, &QLineEdit::textEdited, this, &TDataListForm::Edit1TextEdited);
    connect(N1, &QAction::triggered, this, &TDataListForm::N1Click);
    connect(N3, &QAction::triggered, this, &TDataListForm::N3Click);
    connect(N4, &QAction::triggered, this, &TDataListForm::N4Click);
    connect(N6, &QAction::triggered, this, &TDataListForm::N6Click);
    connect(N7, &QAction::triggered, this, &TDataListForm::N7Click);
    connect(StringGrid1, &DataGridView::EnterPressed, this, &TDataListForm::StringGrid1KeyDown);
    connect(StringGrid1, &DataGridView::RowDragged, this, &TDataListForm::StringGrid1RowMoved);
    connect(StringGrid1, &DataGridView::TextRefused, this, &TDataListForm::Refuse);
    connect(StringGrid1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { GridCurrentChanged(current); });
    // the caption counts the items whatever changed their number
    connect(model_, &QAbstractItemModel::rowsInserted, this, &TDataListForm::ShowCaption);
    connect(model_, &QAbstractItemModel::rowsRemoved, this, &TDataListForm::ShowCaption);
    connect(model_, &QAbstractItemModel::modelReset, this, &TDataListForm::ShowCaption);
}

bool TDataListForm::eventFilter(QObject* watched, QEvent* event) {
    // a double click's second press comes as a double click; it is a press all the same
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (watched == Button7) {
            Button7MouseDown(mouse->modifiers());
            return true;
        }
        if (watched == Panel2) {
            Panel2MouseDown(mouse->button(), mouse->modifiers());
            return true;
        }
        if (watched == Panel3) {
            Panel3MouseDown(mouse->button(), mouse->modifiers());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TDataListForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    FormShow();
}

void TDataListForm::done(int result) {
    // OK, Cancel, Escape and the frame's close all end here
    if (!closed_) {
        closed_ = true;
        FormCloseQuery();
    }
    QDialog::done(result);
}

void TDataListForm::FormShow() {
    param::TParameter& store = host_.Parameter1();
    DataListSettings settings;
    std::vector<std::string> messages;
    if (store.GetCount() != 0)
        messages = ReadDataListSettings(store, settings);
    ApplySettings(settings);

    model_->Grid().Assign(host_.List());
    const int32_t item = host_.ItemIndex();
    model_->Grid().Select(item >= 0 && item < Grid().ItemCount() ? item + 1 : 1, kColCode);
    ShowCaption();
    ShowCursor();
    StringGrid1->setFocus();
    StringGrid1->KeepEditorShown();

    if (!messages.empty()) {
        QString text = U("設定を読めなかった項目は既定の値にしました。");
        for (const std::string& m : messages)
            text += QLatin1Char('\n') + shared::Cp932ToQString(m);
        host_.Inform(this, text);
    }
}

void TDataListForm::ApplySettings(const DataListSettings& s) {
    PlaceWindow(s);
    gridFont_ = FontOfSettings(s);
    ApplyGridFont();
    SetRowHeight(s.DefaultRowHeight);
    for (int c = 0; c < 3; ++c)
        StringGrid1->horizontalHeader()->resizeSection(c, s.ColWidths[static_cast<size_t>(c)]);
    Partition = ClampPartition(s.Partition);
    // as if the user had set them: the always shown editor takes effect at once
    const std::pair<QCheckBox*, bool> checks[] = {{CheckBox1, s.EnterMovesToNextRow},
                                                  {CheckBox2, s.AlwaysShowEditor},
                                                  {CheckBox3, s.EnterChecksData},
                                                  {CheckBox4, s.ExactMatch}};
    for (const auto& [box, on] : checks)
        box->setChecked(on);
    CheckBox2Click();
    acceptedSearchText_ = shared::Cp932ToQString(s.SearchText);
    Edit1->setText(acceptedSearchText_);
}

void TDataListForm::PlaceWindow(const DataListSettings& s) {
    shared::PlaceWindow(*this, s.Left, s.Top, s.Width, s.Height);
    shared::ShowStoredState(*this, s.WindowState, false);
}

DataListSettings TDataListForm::CollectSettings() const {
    DataListSettings s;
    const QRect bounds = shared::StoredBounds(*this);
    s.Left = bounds.x();
    s.Top = bounds.y();
    s.Width = bounds.width();
    s.Height = bounds.height();
    s.WindowState = shared::StoredState(*this);
    SetFontSettings(s, gridFont_);
    s.DefaultRowHeight = StringGrid1->verticalHeader()->defaultSectionSize();
    for (int c = 0; c < 3; ++c)
        s.ColWidths[static_cast<size_t>(c)] = StringGrid1->horizontalHeader()->sectionSize(c);
    s.Partition = Partition;
    s.EnterMovesToNextRow = CheckBox1->isChecked();
    s.AlwaysShowEditor = CheckBox2->isChecked();
    s.EnterChecksData = CheckBox3->isChecked();
    s.ExactMatch = CheckBox4->isChecked();
    s.SearchText = shared::QStringToCp932(acceptedSearchText_); // held to CP932 as it was typed
    return s;
}

void TDataListForm::FormCloseQuery() {
    try {
        WriteDataListSettings(host_.Parameter1(), CollectSettings(), isMaximized());
    } catch (const std::exception& e) {
        // the window closes all the same, and the main window still learns the row
        host_.Inform(this, U("一覧の設定を保存できませんでした。\n") + shared::Cp932ToQString(e.what()));
    }
    host_.SetListReturnIndex(Grid().Current().Row - 1);
}

void TDataListForm::ApplyGridFont() {
    const QFont font = component::ToQFont(gridFont_);
    StringGrid1->setFont(font);
    QPalette palette = StringGrid1->palette();
    palette.setColor(QPalette::Text, QColor(component::ResolveColor(gridFont_.Color)));
    StringGrid1->setPalette(palette);
    // the number column holds eight digits
    const int width = QFontMetrics(font).horizontalAdvance(QStringLiteral("00000000"));
    StringGrid1->verticalHeader()->setFixedWidth(width);
    StringGrid1->viewport()->update();
}

void TDataListForm::SetRowHeight(int32_t height) {
    const int32_t h = ClampRowHeight(height);
    QHeaderView* rows = StringGrid1->verticalHeader();
    rows->setMinimumSectionSize(kMinRowHeight);
    rows->setDefaultSectionSize(h);
    Panel2->setText(U("行間隔 = %1").arg(h));
}

void TDataListForm::ShowCaption() {
    setWindowTitle(U("データの一覧表示  :  %1個").arg(Grid().ItemCount()));
    Panel3->setText(U("印刷の段数 = %1").arg(Partition));
}

void TDataListForm::ShowCursor() {
    const QModelIndex index = model_->IndexOf(Grid().Current());
    cursorFromTable_ = true;
    StringGrid1->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    cursorFromTable_ = false;
    StringGrid1->scrollTo(index);
}

void TDataListForm::GridCurrentChanged(const QModelIndex& current) {
    if (cursorFromTable_ || !current.isValid())
        return;
    const GridCell cell = DataListTableModel::CellOf(current);
    if (!model_->Grid().Select(cell.Row, cell.Col))
        QMetaObject::invokeMethod(this, &TDataListForm::ShowCursor, Qt::QueuedConnection);
}

void TDataListForm::Edit1TextEdited(const QString& text) {
    try {
        (void)shared::QStringToCp932(text);
    } catch (const shared::TextError& e) {
        Edit1->setText(acceptedSearchText_);
        Refuse(QString::fromUtf8(e.what()));
        return;
    }
    acceptedSearchText_ = text;
}

void TDataListForm::Refuse(const QString& reason) {
    host_.Inform(this, U("Shift-JIS (CP932) で表せない文字は入力できません。\n") + reason);
}

void TDataListForm::FocusGrid() {
    StringGrid1->setFocus();
    // taking the focus closed an editor that is to stay open
    StringGrid1->KeepEditorShown();
}

} // namespace zarvo::datalist
