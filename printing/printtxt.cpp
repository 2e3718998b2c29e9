#include "printing/printtxt.h"

#include "component/picture/color.h"
#include "printing/printdevice.h"
#include "printing/textlisting.h"
#include "printing/uitext.h"
#include "shared/cp932.h"
#include "shared/dialogs.h"

#include <QDateTime>
#include <QLocale>
#include <QPainter>
#include <QtMath>
#include <algorithm>
#include <cstdlib>
#include <exception>

namespace zarvo::printing {

namespace {

constexpr std::string_view kKan = "\x8A\xBF";           // 漢
constexpr std::string_view kKanji = "\x8A\xBF\x8E\x9A"; // 漢字

QFont AtResolution(const component::TFont& font, int32_t dpi) {
    QFont result = component::ToQFont(font);
    const int64_t points = std::abs(int64_t{font.Size});
    result.setPixelSize(static_cast<int>(std::max<int64_t>(1, (points * std::max(dpi, 1) + 36) / 72)));
    // The printer needs no hinting; and advances without it add up the same wherever text is cut
    result.setHintingPreference(QFont::PreferNoHinting);
    return result;
}

std::string Cp932OrQuestionMarks(const QString& text) {
    try {
        return shared::QStringToCp932(text);
    } catch (const shared::TextError&) {
        std::string bytes;
        for (const char32_t c : text.toUcs4()) {
            try {
                bytes += shared::QStringToCp932(QString::fromUcs4(&c, 1));
            } catch (const shared::TextError&) {
                bytes += '?';
            }
        }
        return bytes;
    }
}

// "ＭＳ Ｐゴシック" 9 point: the data list window's own font.
component::TFont ListingHeaderFont() {
    component::TFont font;
    font.Name = shared::Utf8ToCp932("ＭＳ Ｐゴシック");
    font.Size = 9;
    return font;
}

} // namespace

PrinterMetrics MeasurePrinter(const PrintDevice& device) {
    const DeviceMetrics d = device.Metrics();
    PrinterMetrics m;
    m.PageWidth = d.PageWidth;
    m.PageHeight = d.PageHeight;
    m.PhysicalWidth = d.PhysicalWidth;
    m.PhysicalHeight = d.PhysicalHeight;
    m.DpiX = d.DpiX;
    m.DpiY = d.DpiY;
    m.OffsetX = d.OffsetX;
    m.OffsetY = d.OffsetY;
    m.ScaleFactor = d.ScaleFactor;
    return CompleteMetrics(m);
}

PrinterTextCanvas::PrinterTextCanvas(const component::TFont& font, int32_t dpi)
    : font_(AtResolution(font, dpi)), metrics_(font_), color_(component::ResolveColor(font.Color)),
      height_(qCeil(metrics_.height())), ascent_(qRound(metrics_.ascent())), kan_(WidthOf(kKan)),
      kanji_(WidthOf(kKanji)) {}

int32_t PrinterTextCanvas::WidthOf(std::string_view text) const {
    return text.empty() ? 0 : qCeil(metrics_.horizontalAdvance(shared::Cp932ToQString(std::string(text))));
}

TextExtent PrinterTextCanvas::Extent(std::string_view text) const {
    const int32_t width = text == kKan ? kan_ : text == kKanji ? kanji_ : WidthOf(text);
    return TextExtent{width, height_};
}

void PrinterTextCanvas::Draw(int32_t x, int32_t y, std::string_view text) {
    if (!painter_ || text.empty())
        return;
    painter_->setFont(font_);
    painter_->setPen(QColor(color_));
    painter_->drawText(QPointF(x, y + ascent_), shared::Cp932ToQString(std::string(text)));
}

std::string DateTimeText() {
    return Cp932OrQuestionMarks(
        QLocale::system().toString(QDateTime::currentDateTime(), QLocale::ShortFormat));
}

int32_t PrintText(PrintDevice& device, const std::string& text, const std::string& title,
                  const component::TFont& bodyFont, int32_t tabWidth, int32_t numbering, uint8_t leftMargin,
                  uint8_t rightMargin, uint8_t topMargin, uint8_t bottomMargin, int32_t columns,
                  int32_t columnGap, int32_t headerFlags, const component::TFont& headerFont,
                  int32_t copies) {
    if (!ValidTextPrint(tabWidth, numbering, columns, columnGap, copies))
        return 0;
    TextDocument d;
    d.Text = text;
    d.Date = DateTimeText();
    d.Metrics = MeasurePrinter(device);
    d.Page = PlaceTextPage(d.Metrics, leftMargin, rightMargin, topMargin, bottomMargin, columns, columnGap);
    d.Title = FileNamePart(title);
    d.HeaderFlags = headerFlags;
    d.Numbering = numbering;
    d.TabWidth = tabWidth;

    // The layout pass, before any job: with nothing to print, no page comes out
    PrinterTextCanvas body(bodyFont, d.Metrics.DpiY);
    d.Blocks = LayOutBlocks(body, d.Text, d.Page.ColumnWidth, d.Page.ColumnHeight, numbering, tabWidth);
    const int32_t blocks = d.Blocks.Count();
    if (blocks == 0)
        return 0;

    PrinterTextCanvas header(headerFont, d.Metrics.DpiY);
    const int32_t pages = PageCount(blocks, d.Page.Columns);
    PrintJob job(device, shared::Cp932ToQString(d.Title));
    int64_t sheet = 0;
    for (int32_t copy = 0; copy < copies; ++copy) {
        for (int32_t k = 1; k <= pages; ++k) {
            QPainter& canvas = job.CanvasOfPage(++sheet);
            body.Paint(&canvas);
            header.Paint(&canvas);
            RenderPage(body, header, d, (k - 1) * d.Page.Columns + 1);
        }
    }
    job.End();
    return blocks;
}

void PrintDataList(PrintDevice& device, shared::Dialogs& dialogs, QWidget* parent,
                   const datalist::DataList& items, int32_t partition, const component::TFont& gridFont) {
    if (items.Count() == 0)
        return;
    try {
        if (!device.Choose(parent, dialogs))
            return;
        const int32_t blocks =
            PrintText(device, ListingText(items), shared::Utf8ToCp932("データ一覧"), gridFont, 8, 0, 76, 76,
                      76, 92, partition, 32, 7, ListingHeaderFont(), 1);
        if (blocks == 0)
            dialogs.Inform(parent, U("段の幅が狭すぎて印刷出来ません。印刷の段数を減らして下さい。"));
    } catch (const std::exception& e) {
        dialogs.Error(parent, QString::fromUtf8(e.what()));
    }
}

} // namespace zarvo::printing
