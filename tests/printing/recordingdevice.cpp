#include "tests/printing/recordingdevice.h"

#include "shared/dialogs.h"

#include <QPainterPath>
#include <QRegion>
#include <QTextItem>
#include <climits>
#include <string>

namespace printingtest {

class RecordingDevice::Engine : public QPaintEngine {
  public:
    explicit Engine(RecordingDevice& device) : QPaintEngine(QPaintEngine::AllFeatures), device_(device) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    Type type() const override { return QPaintEngine::User; }
    void updateState(const QPaintEngineState& state) override {
        if (state.state() & QPaintEngine::DirtyTransform)
            transform_ = state.transform();
        if (state.state() &
            (QPaintEngine::DirtyClipRegion | QPaintEngine::DirtyClipPath | QPaintEngine::DirtyClipEnabled)) {
            // What is painted is recorded as far as the clip lets it show
            if (!state.isClipEnabled() || state.clipOperation() == Qt::NoClip)
                clip_.reset();
            else if (state.state() & QPaintEngine::DirtyClipPath)
                clip_ = transform_.map(state.clipPath()).boundingRect().toRect();
            else if (state.state() & QPaintEngine::DirtyClipRegion)
                clip_ = transform_.map(state.clipRegion()).boundingRect();
        }
    }
    void drawImage(const QRectF& r, const QImage& image, const QRectF&, Qt::ImageConversionFlags) override {
        Add(Painted{Painted::Image, 0, transform_.mapRect(r).toRect(), image.size(), QString()});
    }
    void drawPixmap(const QRectF& r, const QPixmap& pixmap, const QRectF&) override {
        Add(Painted{Painted::Image, 0, transform_.mapRect(r).toRect(), pixmap.size(), QString()});
    }
    void drawRects(const QRectF* rects, int count) override {
        for (int i = 0; i < count; ++i)
            Add(Painted{Painted::Fill, 0, transform_.mapRect(rects[i]).toRect(), QSize(), QString()});
    }
    void drawRects(const QRect* rects, int count) override {
        for (int i = 0; i < count; ++i)
            Add(Painted{Painted::Fill, 0, transform_.mapRect(QRectF(rects[i])).toRect(), QSize(), QString()});
    }
    void drawPath(const QPainterPath& path) override {
        Add(Painted{Painted::Fill, 0, transform_.map(path).boundingRect().toRect(), QSize(), QString()});
    }
    void drawPolygon(const QPointF* points, int count, PolygonDrawMode) override {
        Add(Painted{Painted::Fill, 0,
                    transform_.map(QPolygonF(QList<QPointF>(points, points + count))).boundingRect().toRect(),
                    QSize(), QString()});
    }
    void drawTextItem(const QPointF& p, const QTextItem& item) override {
        Add(Painted{Painted::Text, 0, QRect(transform_.map(p).toPoint(), QSize()), QSize(), item.text()});
    }

  private:
    void Add(Painted record) {
        if (clip_ && record.kind != Painted::Text) {
            record.rect = record.rect.intersected(*clip_);
            if (record.rect.isEmpty())
                return;
        }
        record.page = device_.pages;
        device_.painted.push_back(std::move(record));
    }
    RecordingDevice& device_;
    QTransform transform_;
    std::optional<QRect> clip_;
};

class RecordingDevice::Surface : public QPaintDevice {
  public:
    explicit Surface(RecordingDevice& device) : device_(device), engine_(device) {}
    ~Surface() override = default;
    QPaintEngine* paintEngine() const override { return &engine_; }

  protected:
    int metric(PaintDeviceMetric metric) const override {
        const DeviceMetrics& m = device_.metrics;
        switch (metric) {
        case PdmWidth:
            return m.PageWidth;
        case PdmHeight:
            return m.PageHeight;
        case PdmWidthMM:
            return m.PageWidth * 254 / (m.DpiX * 10);
        case PdmHeightMM:
            return m.PageHeight * 254 / (m.DpiY * 10);
        case PdmDpiX:
        case PdmPhysicalDpiX:
            return m.DpiX;
        case PdmDpiY:
        case PdmPhysicalDpiY:
            return m.DpiY;
        case PdmDepth:
            return 32;
        case PdmNumColors:
            return INT_MAX;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return static_cast<int>(devicePixelRatioFScale());
        default:
            return 0;
        }
    }

  private:
    RecordingDevice& device_;
    mutable Engine engine_;
};

RecordingDevice::RecordingDevice() : surface_(std::make_unique<Surface>(*this)) {
    metrics.DpiX = metrics.DpiY = 600;
    metrics.PageWidth = 4760;
    metrics.PageHeight = 6814;
    metrics.PhysicalWidth = 4960;
    metrics.PhysicalHeight = 7016;
    metrics.OffsetX = 100;
    metrics.OffsetY = 101;
    metrics.ScaleFactor = 100;
}

RecordingDevice::~RecordingDevice() {
    if (painter_.isActive())
        painter_.end();
}

void RecordingDevice::BeginDoc(const QString& jobTitle) {
    ++jobs;
    title = jobTitle;
    pages = 0;
    ended = aborted = false;
    painted.clear();
}

void RecordingDevice::CheckFailure() const {
    if (failAtPage && pages == *failAtPage)
        throw zarvo::printing::PrintError("the test printer fails at page " + std::to_string(pages));
}

QPainter& RecordingDevice::Canvas() {
    if (!painter_.isActive()) {
        pages = 1;
        CheckFailure();
        painter_.begin(surface_.get());
    }
    return painter_;
}

void RecordingDevice::NewPage() {
    Canvas();
    ++pages;
    CheckFailure();
}

void RecordingDevice::EndDoc() {
    if (painter_.isActive())
        painter_.end();
    ended = true;
}

void RecordingDevice::Abort() {
    if (painter_.isActive())
        painter_.end();
    aborted = true;
}

std::vector<Painted> RecordingDevice::Images() const {
    std::vector<Painted> images;
    for (const Painted& p : painted)
        if (p.kind == Painted::Image)
            images.push_back(p);
    return images;
}

std::vector<Painted> RecordingDevice::Texts() const {
    std::vector<Painted> texts;
    for (const Painted& p : painted)
        if (p.kind == Painted::Text)
            texts.push_back(p);
    return texts;
}

bool RecordingDevice::RunSetUpDialog(QWidget* parent, zarvo::shared::Dialogs& dialogs) {
    ++setUpDialogs;
    return dialogs.SetUpPrinter(parent, printer_);
}

bool RecordingDevice::RunPrintDialog(QWidget* parent, zarvo::shared::Dialogs& dialogs) {
    ++printDialogs;
    return dialogs.ChoosePrinter(parent, printer_);
}

} // namespace printingtest
