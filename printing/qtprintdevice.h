// The system's printers through QtPrintSupport: the CUPS printers, or a PDF file when the user
// chooses one or when no printer is installed.
#pragma once

#include "printing/printdevice.h"

#include <QPainter>
#include <QPrinter>

namespace zarvo::printing {

class QtPrintDevice : public PrintDevice {
  public:
    // The system's default printer; with none installed, PDF output at 600 dpi into pdfFile (the
    // file the print dialog offers).
    explicit QtPrintDevice(const QString& pdfFile);
    ~QtPrintDevice() override;

    // LOGPIXELSX/Y: the resolution; HORZRES/VERTRES: the page rectangle's size in device pixels;
    // PHYSICALWIDTH/HEIGHT: the paper's; the offsets: the page rectangle's corner on the paper.
    DeviceMetrics Metrics() const override;
    void BeginDoc(const QString& title) override;
    QPainter& Canvas() override;
    void NewPage() override;
    void EndDoc() override;
    void Abort() override;

    QPrinter& Printer() { return printer_; }

  protected:
    bool PrintsToFile() const override;
    bool RunSetUpDialog(QWidget* parent, shared::Dialogs& dialogs) override;
    bool RunPrintDialog(QWidget* parent, shared::Dialogs& dialogs) override;

  private:
    std::string Target() const;

    QPrinter printer_;
    QPainter painter_;
    QString title_;
};

} // namespace zarvo::printing
