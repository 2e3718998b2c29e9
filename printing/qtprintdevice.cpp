#include "printing/qtprintdevice.h"

#include "shared/dialogs.h"

#include <QFile>

namespace zarvo::printing {

namespace {

int32_t Rounded(qreal value) {
    return static_cast<int32_t>(qRound(value));
}

} // namespace

QtPrintDevice::QtPrintDevice(const QString& pdfFile) : printer_(QPrinter::HighResolution) {
    if (printer_.outputFormat() == QPrinter::PdfFormat) {
        // No printer installed: the PDF file at a printer's usual resolution
        printer_.setResolution(600);
        printer_.setOutputFileName(pdfFile);
    }
}

QtPrintDevice::~QtPrintDevice() {
    if (painter_.isActive())
        painter_.end();
}

DeviceMetrics QtPrintDevice::Metrics() const {
    const QRectF page = printer_.pageRect(QPrinter::DevicePixel);
    const QRectF paper = printer_.paperRect(QPrinter::DevicePixel);
    DeviceMetrics m;
    m.DpiX = m.DpiY = printer_.resolution();
    m.PageWidth = Rounded(page.width());
    m.PageHeight = Rounded(page.height());
    m.PhysicalWidth = Rounded(paper.width());
    m.PhysicalHeight = Rounded(paper.height());
    m.OffsetX = Rounded(page.left() - paper.left());
    m.OffsetY = Rounded(page.top() - paper.top());
    m.ScaleFactor = 100;
    return m;
}

std::string QtPrintDevice::Target() const {
    if (printer_.outputFormat() == QPrinter::PdfFormat)
        return QString::fromUtf8("ファイル \"%1\"").arg(printer_.outputFileName()).toStdString();
    return QString::fromUtf8("プリンタ \"%1\"").arg(printer_.printerName()).toStdString();
}

void QtPrintDevice::BeginDoc(const QString& title) {
    if (painter_.isActive())
        painter_.end();
    title_ = title;
}

QPainter& QtPrintDevice::Canvas() {
    // The painter begins with the first thing painted: a job that paints nothing makes no page
    if (!painter_.isActive()) {
        printer_.setDocName(title_);
        printer_.setCreator(QStringLiteral("Zarvo"));
        if (printer_.outputFormat() == QPrinter::PdfFormat && printer_.outputFileName().isEmpty())
            throw PrintError(QString::fromUtf8("印刷先のファイル名がありません。").toStdString());
        if (!painter_.begin(&printer_))
            throw PrintError(Target() + QString::fromUtf8(" に印刷出来ません。").toStdString());
    }
    return painter_;
}

void QtPrintDevice::NewPage() {
    Canvas();
    if (!printer_.newPage())
        throw PrintError(Target() + QString::fromUtf8(" に次のページを印刷出来ません。").toStdString());
}

void QtPrintDevice::EndDoc() {
    if (painter_.isActive() && !painter_.end())
        throw PrintError(Target() + QString::fromUtf8(" への印刷を終えられません。").toStdString());
}

void QtPrintDevice::Abort() {
    if (!painter_.isActive())
        return;
    printer_.abort();
    painter_.end();
}

bool QtPrintDevice::PrintsToFile() const {
    return printer_.outputFormat() == QPrinter::PdfFormat || !printer_.outputFileName().isEmpty();
}

bool QtPrintDevice::RunSetUpDialog(QWidget* parent, shared::Dialogs& dialogs) {
    return dialogs.SetUpPrinter(parent, printer_);
}

bool QtPrintDevice::RunPrintDialog(QWidget* parent, shared::Dialogs& dialogs) {
    return dialogs.ChoosePrinter(parent, printer_);
}

} // namespace zarvo::printing
