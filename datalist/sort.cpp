#include "datalist/sort.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

namespace zarvo::datalist {

TSortForm::TSortForm(int32_t& sortKey, int32_t& sortOrder, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      sortKey_(sortKey), sortOrder_(sortOrder) {
    setObjectName(QStringLiteral("SortForm"));
    setWindowTitle(QString::fromUtf8("ソート"));
    setFixedSize(178, 167);
    RadioGroup1 =
        NewGroup("RadioGroup1", "ソート条件",
                 {"シンボル文字列でソート", "上部コメントでソート", "下部コメントでソート"}, 4, 86, keys_);
    RadioGroup2 = NewGroup("RadioGroup2", "ソート方向", {"正順ソート", "逆順ソート"}, 92, 40, orders_);
    // the two directions side by side
    orders_->button(0)->setGeometry(2, 16, 80, 20);
    orders_->button(1)->setGeometry(86, 16, 78, 20);
    Button1 = new QPushButton(QString::fromUtf8("ソート"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setToolTip(QString::fromUtf8("現在の条件でソートを開始します。"));
    Button1->setGeometry(8, 138, 76, 24);
    Button1->setDefault(true);
    Button2 = new QPushButton(QString::fromUtf8("キャンセル"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setToolTip(QString::fromUtf8("ソートを中止します。"));
    Button2->setGeometry(94, 138, 76, 24);
    connect(Button1, &QPushButton::clicked, this, &TSortForm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

QGroupBox* TSortForm::NewGroup(const char* name, const char* caption,
                               std::initializer_list<const char*> items, int y, int height,
                               QButtonGroup*& group) {
    auto* box = new QGroupBox(QString::fromUtf8(caption), this);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(6, y, 166, height);
    group = new QButtonGroup(box);
    int id = 0;
    for (const char* item : items) {
        auto* radio = new QRadioButton(QString::fromUtf8(item), box);
        radio->setGeometry(10, 16 + 22 * id, 150, 20);
        group->addButton(radio, id++);
    }
    return box;
}

void TSortForm::FormShow() {
    const int key = sortKey_ >= 0 && sortKey_ <= 2 ? sortKey_ : 0;
    keys_->button(key)->setChecked(true);
    orders_->button(sortOrder_ == -1 ? 1 : 0)->setChecked(true);
    keys_->button(key)->setFocus();
}

void TSortForm::Button1Click() {
    sortKey_ = keys_->checkedId();
    sortOrder_ = orders_->checkedId() == 1 ? -1 : 1;
    accept();
}

void TSortForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
    // centred on the screen
    if (const QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

} // namespace zarvo::datalist
