// PrintTxt: prints CP932 text (lines separated by CR LF) on the printer in newspaper columns, with
// line wrapping measured in the body font at the printer's resolution, tab expansion, line
// numbers, a title, the date and time, and block numbers; and the data list window's "印刷", which
// prints the data list that way.
#pragma once

#include "component/picture/text.h"
#include "datalist/datalistmodel.h"
#include "printing/textpage.h"

#include <QFont>
#include <QFontMetricsF>
#include <QRgb>
#include <cstdint>
#include <string>

class QPainter;
class QWidget;

namespace zarvo::shared {
class Dialogs;
}

namespace zarvo::printing {

class PrintDevice;

// The printer's measurements (LOGPIXELSX/Y, HORZRES/VERTRES, PHYSICALWIDTH/HEIGHT, the offsets)
// and what follows from them.
PrinterMetrics MeasurePrinter(const PrintDevice& device);

// A font at the printer's resolution: its points keep their physical size (pixels = points × dpi
// ÷ 72, rounded). It measures text exactly as it draws it, on the painter set with Paint.
class PrinterTextCanvas : public TextCanvas {
  public:
    PrinterTextCanvas(const component::TFont& font, int32_t dpi);
    // Width rounded up to a whole pixel, so that what is measured to fit never reaches further.
    TextExtent Extent(std::string_view text) const override;
    // Draws in the font's colour, the baseline Ascent() below y. Nothing without a painter.
    void Draw(int32_t x, int32_t y, std::string_view text) override;
    void Paint(QPainter* painter) { painter_ = painter; }
    int32_t Ascent() const { return ascent_; }
    const QFont& Font() const { return font_; }

  private:
    int32_t WidthOf(std::string_view text) const;

    QFont font_;
    QFontMetricsF metrics_;
    QRgb color_;
    int32_t height_, ascent_;
    int32_t kan_, kanji_; // what every line measures: "漢" and "漢字"
    QPainter* painter_ = nullptr;
};

// Prints text as a document titled by title's file-name part and returns the number of column
// blocks laid out. Prints nothing and returns 0, beginning no print job, when an argument is out
// of its range (tab width 0..32, numbering -8..8, columns 1..256, gap 0..1024, copies 1..1000),
// the text is empty, or a column cannot hold one line. Margins are hundredths of an inch, each
// raised to its side's unprintable border; the gap is in printer pixels; headerFlags combine
// kHeaderTitle, kHeaderDate and kHeaderBlockNumbers, drawn in headerFont. Copies repeat the whole
// document. An error of the printer (PrintError) drops the job and is passed on.
int32_t PrintText(PrintDevice& device, const std::string& text, const std::string& title,
                  const component::TFont& bodyFont, int32_t tabWidth, int32_t numbering, uint8_t leftMargin,
                  uint8_t rightMargin, uint8_t topMargin, uint8_t bottomMargin, int32_t columns,
                  int32_t columnGap, int32_t headerFlags, const component::TFont& headerFont, int32_t copies);

// The date and time of a print as the system writes them, in CP932 (characters CP932 cannot hold
// become "?").
std::string DateTimeText();

// The data list window's "印刷" (Button6Click): the print dialog when the printer asks for it
// (PrintDevice::Choose), then ListingText(items) printed with title "データ一覧", the grid's font,
// tabs of 8, no line numbers, margins 76, 76, 76, 92, partition columns 32 pixels apart, title,
// date and block numbers in "ＭＳ Ｐゴシック" 9 point, one copy. An empty list prints nothing and
// asks nothing. Columns too narrow for one line are reported; so is an error of the printer.
void PrintDataList(PrintDevice& device, shared::Dialogs& dialogs, QWidget* parent,
                   const datalist::DataList& items, int32_t partition, const component::TFont& gridFont);

} // namespace zarvo::printing
