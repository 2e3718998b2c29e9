// A printer for tests: fixed metrics (600 dpi, 4760 × 6814 printable on 4960 × 7016 paper), and a
// record of the job: its pages, and every picture, fill and text painted, where it landed in
// printer pixels.
#pragma once

#include "printing/printdevice.h"

#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPrinter>
#include <QRect>
#include <QString>
#include <QTransform>
#include <memory>
#include <optional>
#include <vector>

namespace printingtest {

using zarvo::printing::DeviceMetrics;

struct Painted {
    enum Kind { Image, Fill, Text } kind;
    int page;   // from 1
    QRect rect; // Image, Fill: where; Text: the baseline's start in rect.topLeft()
    QSize imageSize;
    QString text;
};

class RecordingDevice : public zarvo::printing::PrintDevice {
  public:
    RecordingDevice();
    ~RecordingDevice() override;

    DeviceMetrics Metrics() const override { return metrics; }
    void BeginDoc(const QString& title) override;
    QPainter& Canvas() override;
    void NewPage() override;
    void EndDoc() override;
    void Abort() override;

    // The pictures painted (Image records), in order.
    std::vector<Painted> Images() const;
    std::vector<Painted> Texts() const;

    DeviceMetrics metrics;
    // Painting fails (PrintError) when the job reaches this page.
    std::optional<int> failAtPage;

    int jobs = 0;
    QString title;
    int pages = 0; // pages begun in the last job
    bool ended = false;
    bool aborted = false;
    std::vector<Painted> painted;
    int setUpDialogs = 0, printDialogs = 0;

  protected:
    bool RunSetUpDialog(QWidget* parent, zarvo::shared::Dialogs& dialogs) override;
    bool RunPrintDialog(QWidget* parent, zarvo::shared::Dialogs& dialogs) override;

  private:
    class Engine;
    class Surface;
    void CheckFailure() const;

    std::unique_ptr<Surface> surface_;
    QPainter painter_;
    QPrinter printer_; // what the dialogs are shown with
};

} // namespace printingtest
