#include "printing/preview.h"

#include "component/clipboard.h"
#include "component/picture/imagefiles.h"
#include "component/qrcode.h"
#include "printing/printdevice.h"
#include "printing/printhost.h"
#include "printing/progress.h"
#include "printing/uitext.h"
#include "shared/dialogs.h"

#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <algorithm>
#include <climits>
#include <exception>

namespace zarvo::printing {

namespace {

constexpr int kPanelHeight = 52;

int32_t ToInt32(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

} // namespace

void TImage::SetPicture(const QImage& picture) {
    picture_ = picture;
    update();
}

void TImage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, picture_);
}

TPreviewForm::TPreviewForm(PrintHost& host) : QDialog(host.HostWindow()), host_(host) {
    setObjectName(QStringLiteral("PreviewForm"));
    setWindowTitle(U("印刷プレビュー"));
    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(0, 0, 891, kPanelHeight);

    int x = 8;
    const auto button = [&](QPushButton*& b, const char* name, const char* caption, const char* hint, int w) {
        b = new QPushButton(U(caption), Panel1);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(U(hint));
        b->setGeometry(x, 4, w, 25);
        x += w + 4;
    };
    button(Button1, "Button1", "印刷", "印刷を開始します。", 64);
    button(Button2, "Button2", "閉じる", "プレビューを閉じます。", 64);
    x += 8;
    button(Button3, "Button3", "<---", "前のページ", 56);
    button(Button4, "Button4", "--->", "次のページ", 56);
    x += 8;
    button(Button6, "Button6", "コピー", "プレビューイメージをクリップボードへコピーします。", 64);
    button(Button7, "Button7", "保存", "プレビューイメージをファイルとして保存します。", 64);
    x += 8;
    button(Button5, "Button5", "等倍", "プレビューをもとのイメージと同じ大きさにします。", 64);

    Label1 = new QLabel(U("1ページ目"), Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(10, 34, 120, 16);
    Label2 = new QLabel(U("2ページ目"), Panel1);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(448, 34, 120, 16);

    Image1 = new TImage(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(0, kPanelHeight, 891, 633);

    connect(Button1, &QPushButton::clicked, this, [this] { Guarded([this] { Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(Button3, &QPushButton::clicked, this, [this] { Guarded([this] { Button3Click(); }); });
    connect(Button4, &QPushButton::clicked, this, [this] { Guarded([this] { Button4Click(); }); });
    connect(Button5, &QPushButton::clicked, this, [this] { Guarded([this] { Button5Click(); }); });
    connect(Button6, &QPushButton::clicked, this, [this] { Guarded([this] { Button6Click(); }); });
    connect(Button7, &QPushButton::clicked, this, [this] { Guarded([this] { Button7Click(); }); });
    // Paging from the keyboard as well
    connect(new QShortcut(QKeySequence(Qt::Key_PageUp), this), &QShortcut::activated, Button3,
            &QPushButton::click);
    connect(new QShortcut(QKeySequence(Qt::Key_PageDown), this), &QShortcut::activated, Button4,
            &QPushButton::click);
}

TPreviewForm::~TPreviewForm() = default;

template <typename F> void TPreviewForm::Guarded(F&& command) {
    try {
        command();
    } catch (const std::exception& e) {
        host_.TheDialogs().Error(this, QString::fromUtf8(e.what()));
    }
}

bool TPreviewForm::ListMode() const {
    return host_.PrintState().ListPrintMode;
}

QImage TPreviewForm::PageBitmap() const {
    return pages_ ? pages_->PageBitmap() : QImage();
}

void TPreviewForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    Guarded([this] { FormShow(); });
}

void TPreviewForm::Measure() {
    PrintFields& f = host_.PrintState();
    const DeviceMetrics printer = host_.ThePrinter().Metrics();
    f.PrinterDpiX = printer.DpiX;
    f.PrinterDpiY = printer.DpiY;
    f.PageWidth = printer.PageWidth;
    f.PageHeight = printer.PageHeight;
    f.ScreenDpiX = logicalDpiX();
    f.ScreenDpiY = logicalDpiY();
}

void TPreviewForm::FormShow() {
    Measure();
    PrintFields& f = host_.PrintState();
    const Measurements m{f.PrinterDpiX, f.PrinterDpiY, f.PageWidth, f.PageHeight, f.ScreenDpiX, f.ScreenDpiY};
    const int32_t magnification = host_.PrintMagnification();
    const component::TQRCode& qr = host_.QRCode1();
    const PrintGeometry g =
        ComputeGeometry(m, magnification, qr.Width(), qr.Height(), f.PrintColSpace, f.PrintRowSpace);
    SymbolsPerPage = ToInt32(g.PerPage());

    if (ListMode()) {
        PageCount = 10000;
        setWindowTitle(U("リスト印刷プレビュー  :  %1個").arg(f.ListPrintCount));
    } else {
        const int32_t n = host_.PrintCount();
        PageCount = ToInt32(printing::PageCount(n, g.PerPage()));
        setWindowTitle(U("印刷プレビュー  :  %1個").arg(n));
    }
    CurrentPage = 1;

    // Two pages side by side on the screen the window is on
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QSize screenSize = screen->size();
    PreviewScale = printing::PreviewScale(screenSize.width(), screenSize.height(), f.PageWidth, f.PageHeight);
    const PreviewSizes sizes = ComputePreviewSizes(f.PageWidth, f.PageHeight, PreviewScale, kPanelHeight);
    const int width = ToInt32(sizes.ClientWidth), height = ToInt32(sizes.ClientHeight);
    resize(width, height);
    move(screen->geometry().center() - QPoint(width / 2, height / 2));
    Panel1->setGeometry(0, 0, width, kPanelHeight);
    Image1->setGeometry(0, kPanelHeight, width, height - kPanelHeight);
    Label2->move(ToInt32(sizes.RightPageLeft), Label2->y());
    pages_.emplace(PreviewSetup{m, magnification, PreviewScale, f.PrintColSpace, f.PrintRowSpace});

    // "等倍" stays done only while the magnification and the devices are those it was done for
    if (f.SameSizeSwitch &&
        magnification == SameSizeMagnification(f.ScreenDpiX, PreviewScale, f.PrinterDpiX)) {
        Button5->setEnabled(false);
    } else {
        Button5->setEnabled(true);
        f.SameSizeSwitch = false;
    }
    Draw(1);
}

void TPreviewForm::Draw(int64_t p) {
    if (!pages_ || p < 1 || p > PageCount)
        return;
    component::TQRCode& qr = host_.QRCode1();
    PagesDrawn drawn;
    if (ListMode()) {
        // The list as it is now: what the program does while the bar shows cannot change it midway
        const datalist::DataList items = host_.List();
        drawn = pages_->DrawList(p, p + 1, qr, items, SymbolsPerPage, &host_.TheProgressForm());
        if (drawn.LastPage > 0)
            PageCount = ToInt32(drawn.LastPage);
    } else {
        const component::Picture picture = qr.Picture();
        drawn = pages_->DrawNormal(p, picture, qr.Width(), qr.Height(), host_.PrintCount(),
                                   &host_.TheProgressForm());
    }
    Image1->SetPicture(pages_->Image());
    Label1->setText(drawn.Label1);
    Label2->setText(drawn.Label2);
    CurrentPage = ToInt32(p);
    Button3->setEnabled(p != 1);
    Button4->setEnabled(p < PageCount - 1);
}

void TPreviewForm::Button1Click() {
    if (!host_.ThePrinter().Choose(this, host_.TheDialogs()))
        return;
    // The print is laid out for the printer it goes to, which the print dialog may have changed
    Measure();
    accept();
}

void TPreviewForm::Button5Click() {
    PrintFields& f = host_.PrintState();
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const int32_t s =
        printing::PreviewScale(screen->size().width(), screen->size().height(), f.PageWidth, f.PageHeight);
    host_.SetPrintMagnification(ToInt32(SameSizeMagnification(f.ScreenDpiX, s, f.PrinterDpiX)));
    f.SameSizeSwitch = true;
    FormShow();
}

void TPreviewForm::Button6Click() {
    auto data = std::make_unique<QMimeData>();
    data->setImageData(Image1->Picture());
    host_.TheClipboard().SetMimeData(std::move(data));
}

void TPreviewForm::Button7Click() {
    shared::FileDialogRequest request;
    request.Filter = U("ビットマップ(*.bmp)|*.bmp|全てのファイル(*.*)|*.*");
    request.DefaultExtension = QStringLiteral("bmp");
    request.Directory = QFile::decodeName(QByteArray::fromStdString(host_.ProgramDir()));
    request.FileName = QStringLiteral("Preview.bmp");
    request.OverwritePrompt = true;
    const std::optional<shared::FileDialogChoice> chosen = host_.TheDialogs().SaveFile(this, request);
    if (!chosen)
        return;
    const std::string path = QFile::encodeName(chosen->Path).toStdString();
    // JPEG by the name's extension; any other name gets bitmap data
    const std::string type = component::ImageTypeOf(path) == "jpeg" ? "jpeg" : "bmp";
    component::SavePicture(component::Bitmap::FromImage(Image1->Picture()), type, path);
}

} // namespace zarvo::printing
