#include "printing/symbolsize.h"

#include "component/clipboard.h"
#include "component/picture/text.h"
#include "component/qrcode.h"
#include "printing/printdevice.h"
#include "printing/printhost.h"
#include "printing/sizereport.h"
#include "printing/uitext.h"
#include "shared/cp932.h"
#include "shared/dialogs.h"

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QScreen>
#include <exception>

namespace zarvo::printing {

namespace {

// "ＭＳ Ｐゴシック" as the pictures name it.
component::TFont ReportFont(int32_t points, bool bold) {
    component::TFont font;
    font.Name = shared::Utf8ToCp932("ＭＳ Ｐゴシック");
    font.Size = points;
    font.Bold = bold;
    return font;
}

} // namespace

TSymbolSizeForm::TSymbolSizeForm(PrintHost& host)
    : QDialog(host.HostWindow(), Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                     Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint),
      host_(host) {
    setObjectName(QStringLiteral("SymbolSizeForm"));
    setWindowTitle(U("現在のシンボルのサイズ情報"));
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont font = component::ToQFont(ReportFont(10, true));
    font.setPixelSize(13);
    Label1->setFont(font);
    Label1->move(6, 6);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Print1 = PopupMenu1->addAction(U("情報を印刷"));
    Print1->setObjectName(QStringLiteral("Print1"));
    Print1->setShortcut(QKeySequence::Print);
    Copy1 = PopupMenu1->addAction(U("情報をクリップボードへコピー"));
    Copy1->setObjectName(QStringLiteral("Copy1"));
    Copy1->setShortcut(QKeySequence::Copy);
    N1 = PopupMenu1->addSeparator();
    N1->setObjectName(QStringLiteral("N1"));
    Close1 = PopupMenu1->addAction(U("閉じる"));
    Close1->setObjectName(QStringLiteral("Close1"));
    // The shortcuts work without the menu open
    addActions({Print1, Copy1});

    const auto guarded = [this](void (TSymbolSizeForm::*command)()) {
        return [this, command] {
            try {
                (this->*command)();
            } catch (const std::exception& e) {
                host_.TheDialogs().Error(this, QString::fromUtf8(e.what()));
            }
        };
    };
    connect(Print1, &QAction::triggered, this, guarded(&TSymbolSizeForm::Print1Click));
    connect(Copy1, &QAction::triggered, this, guarded(&TSymbolSizeForm::Copy1Click));
    connect(Close1, &QAction::triggered, this, &QDialog::close);
}

void TSymbolSizeForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    FormShow();
}

void TSymbolSizeForm::FormShow() {
    const component::TQRCode& qr = host_.QRCode1();
    const DeviceMetrics printer = host_.ThePrinter().Metrics();
    SizeReportInput in;
    in.SymbolWidth = qr.SymbolWidth();
    in.SymbolHeight = qr.SymbolHeight();
    in.Pxmag = qr.Pxmag();
    in.Magnification = host_.PrintMagnification();
    in.ScreenDpiX = Label1->logicalDpiX();
    in.ScreenDpiY = Label1->logicalDpiY();
    in.PrinterDpiX = printer.DpiX;
    in.PrinterDpiY = printer.DpiY;
    in.PhysicalWidth = printer.PhysicalWidth;
    in.PhysicalHeight = printer.PhysicalHeight;
    in.ScaleFactor = printer.ScaleFactor;
    const std::vector<std::string> lines = SizeReportLines(in);

    QStringList shown;
    for (const std::string& line : lines)
        shown << QString::fromStdString(line);
    Label1->setText(shown.join(QLatin1Char('\n')));
    Label1->adjustSize();
    resize(Label1->width() + 12, Label1->height() + 12);
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    move(screen->geometry().center() - rect().center());
    ReportText = QString::fromStdString(SizeReportText(lines));
}

void TSymbolSizeForm::contextMenuEvent(QContextMenuEvent* event) {
    PopupMenu1->popup(event->globalPos());
}

void TSymbolSizeForm::Print1Click() {
    PrintDevice& device = host_.ThePrinter();
    if (!device.Choose(this, host_.TheDialogs()))
        return;
    const DeviceMetrics m = device.Metrics();
    const int a = m.PhysicalWidth, b = m.PhysicalHeight;
    PrintJob job(device, QStringLiteral("Zarvo"));
    QPainter& canvas = job.CanvasOfPage(1);
    // Measured and drawn with the font as the printer has it
    QFont font(component::ToQFont(ReportFont(12, false)), canvas.device());
    font.setPointSize(12);
    canvas.setFont(font);
    canvas.setPen(Qt::black);
    QString text = ReportText;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    canvas.drawText(QRect(a / 16, b / 16, a - a / 16, b - b / 16),
                    Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);
    job.End();
}

void TSymbolSizeForm::Copy1Click() {
    auto data = std::make_unique<QMimeData>();
    data->setText(ReportText);
    host_.TheClipboard().SetMimeData(std::move(data));
}

} // namespace zarvo::printing
