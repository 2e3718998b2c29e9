// The printer as printing sees it: its measurements, the choice of printer in this run of the
// program, and a print job of pages painted through a QPainter.
#pragma once

#include <QString>
#include <cstdint>
#include <stdexcept>
#include <string>

class QPainter;
class QWidget;

namespace zarvo::shared {
class Dialogs;
}

namespace zarvo::printing {

// A print job that could not be started or continued; what() (UTF-8) says which printer or file.
class PrintError : public std::runtime_error {
  public:
    explicit PrintError(const std::string& message) : std::runtime_error(message) {}
};

// What the printer reports about itself, in printer pixels.
struct DeviceMetrics {
    int32_t DpiX = 0, DpiY = 0;                    // dots per inch
    int32_t PageWidth = 0, PageHeight = 0;         // the printable area
    int32_t PhysicalWidth = 0, PhysicalHeight = 0; // the paper
    int32_t OffsetX = 0, OffsetY = 0;              // the printable area's corner on the paper
    int32_t ScaleFactor = 100;                     // percent
    bool operator==(const DeviceMetrics& o) const;
    bool operator!=(const DeviceMetrics& o) const { return !(*this == o); }
};

// One printer for the program's run. Printing goes to the printer chosen in the setup dialog or
// in the print dialog; until one has been chosen, Metrics() describe the system's default.
class PrintDevice {
  public:
    virtual ~PrintDevice() = default;

    virtual DeviceMetrics Metrics() const = 0;

    // The printer setup dialog ("印刷設定"), through the dialog seam. True when the user confirmed
    // it; the printer then counts as chosen.
    bool SetUp(QWidget* parent, shared::Dialogs& dialogs);
    // Before a print: the print dialog, when no printer has been chosen in this run yet, or when
    // the output is a file (as a print to a file asks for its name every time: an earlier file is
    // never replaced unasked). False when the user cancelled it (nothing is to be printed).
    bool Choose(QWidget* parent, shared::Dialogs& dialogs);
    // True once the user confirmed either dialog.
    bool Chosen() const { return chosen_; }

    // The print job. BeginDoc starts it under a title; Canvas() paints the current page in printer
    // pixels, (0, 0) at the printable area's corner; NewPage starts the next page; EndDoc finishes
    // the job and Abort drops it. A job in which nothing was painted prints nothing (not even an
    // empty page). Throw PrintError when the printer or file refuses.
    virtual void BeginDoc(const QString& title) = 0;
    virtual QPainter& Canvas() = 0;
    virtual void NewPage() = 0;
    virtual void EndDoc() = 0;
    virtual void Abort() = 0;

  protected:
    // True while the output goes to a file.
    virtual bool PrintsToFile() const { return false; }
    // Show the dialogs; true when confirmed.
    virtual bool RunSetUpDialog(QWidget* parent, shared::Dialogs& dialogs) = 0;
    virtual bool RunPrintDialog(QWidget* parent, shared::Dialogs& dialogs) = 0;

  private:
    bool chosen_ = false;
};

// Ends the job unless it was ended: on an error, the job is dropped.
class PrintJob {
  public:
    PrintJob(PrintDevice& device, const QString& title);
    ~PrintJob();
    PrintJob(const PrintJob&) = delete;
    PrintJob& operator=(const PrintJob&) = delete;
    // Starts a new page when page is beyond the current one (page numbers from 1) and returns the
    // canvas: pages are only begun for what is painted on them.
    QPainter& CanvasOfPage(int64_t page);
    void End();

  private:
    PrintDevice& device_;
    int64_t page_ = 1;
    bool open_ = true;
};

} // namespace zarvo::printing
