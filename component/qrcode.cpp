#include "component/qrcode.h"

#include "component/clipboard.h"
#include "component/picture/imagefiles.h"
#include "encoder/pbm.h"
#include "shared/cp932.h"

#include <QByteArray>
#include <QString>
#include <QTimer>
#include <QtGlobal>
#include <algorithm>
#include <limits>
#include <utility>

namespace zarvo::component {

using shared::TextError;
using shared::Utf8ToCp932;

namespace {

// Restores a flag however the scope ends, so an error never leaves it set.
class FlagScope {
  public:
    FlagScope(bool& flag, bool value) : flag_(flag), old_(flag) { flag_ = value; }
    ~FlagScope() { flag_ = old_; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

  private:
    bool& flag_;
    bool old_;
};

int32_t Saturate(int64_t v) {
    return static_cast<int32_t>(
        std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

QByteArray Bytes(const std::vector<uint8_t>& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

// The default comment font: "ＭＳ Ｐゴシック" (CP932), 9 pt, Shift-JIS, window-text colour.
TFont DefaultComFont() {
    TFont font;
    font.Name = "\x82\x6c\x82\x72 \x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e";
    font.Size = 9;
    font.Color = clWindowText;
    font.Charset = 128;
    return font;
}

void AddImage(QMimeData& mime, const Bitmap& bitmap) {
    mime.setData(QStringLiteral("image/png"), Bytes(EncodePng(bitmap)));
    mime.setData(QStringLiteral("image/bmp"), Bytes(EncodeBmp(bitmap)));
}

void AddMetafile(QMimeData& mime, const Metafile& metafile, bool wmf) {
    if (wmf) {
        const QByteArray bytes = Bytes(WriteWmf(metafile));
        mime.setData(QStringLiteral("application/x-openoffice-wmf;windows_formatname=\"Image WMF\""), bytes);
        mime.setData(QStringLiteral("image/x-wmf"), bytes);
    } else {
        const QByteArray bytes = Bytes(WriteEmf(metafile));
        mime.setData(QStringLiteral("application/x-openoffice-emf;windows_formatname=\"Image EMF\""), bytes);
        mime.setData(QStringLiteral("image/x-emf"), bytes);
    }
    // for programs that take neither metafile type
    mime.setData(QStringLiteral("image/png"), Bytes(EncodePng(Bitmap::FromImage(metafile.ToImage()))));
}

} // namespace

// ---- Lifecycle ----

TQRCode::TQRCode(std::shared_ptr<Clipboard> clipboard)
    : enc_(std::make_unique<encoder::SymbolEncoder>()), comFont_(DefaultComFont()),
      clipboard_(std::move(clipboard)) {
    errorReport_ = [](const std::exception& e) { qWarning("%s", e.what()); };
    // Installing the handler re-evaluates the watch, which is off: the clipboard is not touched.
    SetClipboardChangeHandler([this](TQRCode* sender) { ClipboardChanged(sender); });
}

TQRCode::~TQRCode() {
    clipWatch_ = false;
    UpdateClipboardChain();
}

// ---- Data ----

void TQRCode::SetCode(const std::string& value) {
    DoChangeCode();
    code_ = value;
    ParseCode();
    DrawSymbols();
    DoChangedCode();
}

void TQRCode::SetBinaryOperation(bool value) {
    binaryOperation_ = value;
    ParseCode();
    DrawSymbols();
}

// ---- Division ----

TQRMode TQRCode::Mode() const {
    return enc_->Mode;
}

void TQRCode::SetMode(TQRMode value) {
    switch (value) {
    case qrSingle:
        enc_->Count = 1;
        break;
    case qrConnect:
        enc_->Count = std::clamp(enc_->Count, 2, 16);
        break;
    case qrPlus:
        enc_->Count = std::clamp(enc_->Count, 2, encoder::kMaxPieces);
        break;
    default:
        return;
    }
    enc_->Mode = value;
    DrawSymbols();
}

int32_t TQRCode::Count() const {
    return enc_->Count;
}

void TQRCode::SetCount(int32_t value) {
    if (value < 1 || value > encoder::kMaxPieces)
        return;
    enc_->Count = value;
    DrawSymbols();
}

int32_t TQRCode::Column() const {
    return enc_->Column;
}

void TQRCode::SetColumn(int32_t value) {
    if (value < 1 || value > encoder::kMaxPieces)
        return;
    enc_->Column = value;
    DrawSymbols();
}

int32_t TQRCode::Parity() const {
    return enc_->Parity;
}

// ---- Comments ----

void TQRCode::SetNumbering(TNumbering value) {
    if (value < nbrNone || value > nbrIfVoid)
        return;
    numbering_ = value;
    if (enc_->Count > 1)
        DrawSymbols();
}

void TQRCode::SetCommentUp(const std::string& value) {
    commentUp_ = value;
    DrawSymbols();
}

void TQRCode::SetCommentUpLoc(TLocation value) {
    if (value < locLeft || value > locRight)
        return;
    commentUpLoc_ = value;
    if (!commentUp_.empty())
        DrawSymbols();
}

void TQRCode::SetCommentDown(const std::string& value) {
    commentDown_ = value;
    DrawSymbols();
}

void TQRCode::SetCommentDownLoc(TLocation value) {
    if (value < locLeft || value > locRight)
        return;
    commentDownLoc_ = value;
    if (!commentDown_.empty())
        DrawSymbols();
}

void TQRCode::SetComFont(const TFont& value) {
    if (&value == &comFont_)
        return;
    comFont_ = value;
    DrawSymbols();
}

// ---- Geometry ----

int64_t TQRCode::WidthS64() const {
    return int64_t{SymbolWidth()} + spaceLeft_ + spaceRight_;
}

int64_t TQRCode::HeightS64() const {
    return int64_t{SymbolHeight()} + spaceUp_ + spaceDown_;
}

int64_t TQRCode::WidthA64() const {
    return int64_t{std::min(enc_->Column, enc_->Count)} * WidthS64();
}

int64_t TQRCode::HeightA64() const {
    const int32_t rows = enc_->Count / enc_->Column + (enc_->Count % enc_->Column != 0 ? 1 : 0);
    return int64_t{rows} * HeightS64();
}

int32_t TQRCode::SymbolWidth() const {
    return (enc_->Side() + 8) * pxmag_;
}

int32_t TQRCode::SymbolWidthS() const {
    return Saturate(WidthS64());
}

int32_t TQRCode::SymbolWidthA() const {
    return Saturate(WidthA64());
}

int32_t TQRCode::SymbolHeight() const {
    return (enc_->Side() + 8) * pxmag_;
}

int32_t TQRCode::SymbolHeightS() const {
    return Saturate(HeightS64());
}

int32_t TQRCode::SymbolHeightA() const {
    return Saturate(HeightA64());
}

int32_t TQRCode::QuietZone() const {
    return 4 * pxmag_;
}

void TQRCode::SetSymbolLeft(int32_t value) {
    symbolLeft_ = value;
    DrawSymbols();
}

void TQRCode::SetSymbolTop(int32_t value) {
    symbolTop_ = value;
    DrawSymbols();
}

void TQRCode::SetSymbolSpaceUp(int32_t value) {
    spaceUp_ = value;
    DrawSymbols();
}

void TQRCode::SetSymbolSpaceDown(int32_t value) {
    spaceDown_ = value;
    DrawSymbols();
}

void TQRCode::SetSymbolSpaceLeft(int32_t value) {
    spaceLeft_ = value;
    DrawSymbols();
}

void TQRCode::SetSymbolSpaceRight(int32_t value) {
    spaceRight_ = value;
    DrawSymbols();
}

// ---- Encoding ----

int32_t TQRCode::Version() const {
    return enc_->Version;
}

void TQRCode::SetVersion(int32_t value) {
    if (value < 1 || value > encoder::kMaxVersion)
        return;
    enc_->Version = value;
    DrawSymbols();
}

int32_t TQRCode::Emode() const {
    return enc_->Emode;
}

void TQRCode::SetEmode(int32_t value) {
    if (value < -1 || value > 3)
        return;
    enc_->Emode = value;
    enc_->EmodeR = value;
    DrawSymbols();
}

int32_t TQRCode::EmodeR() const {
    return enc_->EmodeR;
}

int32_t TQRCode::Eclevel() const {
    return enc_->Eclevel;
}

void TQRCode::SetEclevel(int32_t value) {
    if (value < 0 || value > 3)
        return;
    enc_->Eclevel = value;
    DrawSymbols();
}

int32_t TQRCode::Masktype() const {
    return enc_->Masktype;
}

void TQRCode::SetMasktype(int32_t value) {
    if (value < -1 || value > 7)
        return;
    enc_->Masktype = value;
    enc_->MasktypeR = value;
    DrawSymbols();
}

int32_t TQRCode::MasktypeR() const {
    return enc_->MasktypeR;
}

int32_t TQRCode::Capacity() const {
    return enc_->Capacity();
}

// ---- Drawing settings ----

void TQRCode::SetPxmag(int32_t value) {
    if (value < 1 || value > 10)
        return;
    pxmag_ = value;
    DrawSymbols();
}

void TQRCode::SetAngle(int32_t value) {
    if (value != 0 && value != 90 && value != 180 && value != 270)
        return;
    angle_ = value;
    DrawSymbols();
}

void TQRCode::SetReverse(bool value) {
    reverse_ = value;
    DrawSymbols();
}

void TQRCode::SetMatch(bool value) {
    match_ = value;
    if (value && transparent_)
        transparent_ = false;
    if (!value)
        symbolPicture_ = picBMP;
    DrawSymbols();
}

void TQRCode::SetTransparent(bool value) {
    transparent_ = value;
    if (value) {
        match_ = false;
        symbolPicture_ = picBMP;
    }
    DrawSymbols();
}

void TQRCode::SetSymbolColor(TColor value) {
    symbolColor_ = value;
    DrawSymbols();
}

void TQRCode::SetBackColor(TColor value) {
    backColor_ = value;
    DrawSymbols();
}

void TQRCode::SetSymbolPicture(TPictures value) {
    if (value < picBMP || value > picWMF)
        return;
    if (!match_) {
        symbolPicture_ = picBMP;
        return;
    }
    symbolPicture_ = value;
    DrawSymbols();
}

void TQRCode::SetSymbolEnabled(bool value) {
    if (value == symbolEnabled_)
        return;
    symbolEnabled_ = value;
    if (value)
        DrawSymbols();
}

void TQRCode::SetSymbolDebug(bool value) {
    symbolDebug_ = value;
}

void TQRCode::SetClearOption(bool value) {
    if (!value) {
        clearOption_ = false;
        return;
    }
    if (clearOption_)
        return;
    clearOption_ = true;
    if (!symbolDisped_)
        ClearSymbol();
}

// ---- The image control ----

void TQRCode::SetPicture(component::Picture value) {
    picture_ = std::move(value);
    Invalidate();
}

void TQRCode::SetWidth(int32_t value) {
    SetControlSize(value, height_);
}

void TQRCode::SetHeight(int32_t value) {
    SetControlSize(width_, value);
}

void TQRCode::SetControlSize(int32_t width, int32_t height) {
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    Invalidate();
}

void TQRCode::Invalidate() {
    if (onInvalidate_)
        onInvalidate_(this);
}

// ---- Operations ----

void TQRCode::DrawSymbols() {
    if (!symbolEnabled_)
        return;
    symbolDisped_ = false;
    lastDrawFailure_ = TDrawFailure::None;

    const auto* data = reinterpret_cast<const uint8_t*>(data_.data());
    const int32_t len = Len();
    enc_->Divide(data, len);
    enc_->CheckDivision(data, len); // "Illegal ..." reaches the caller: nothing drawn, no event

    enc_->CurrentPiece = 1;
    DoPaintSymbol();
    DrawLoop();
    Invalidate();
    DoPaintedSymbol();
    if (!symbolDisped_ && clearOption_ && !symbolDebug_)
        ClearSymbol();
}

void TQRCode::Redraw() {
    DrawSymbols();
}

void TQRCode::ClearSymbol() {
    symbolDisped_ = false;
    picture_ = std::monostate{};
    Invalidate();
}

const std::vector<std::string>& TQRCode::PBM() {
    encoder::MakePbm(*enc_, reinterpret_cast<const uint8_t*>(data_.data()), Len(), pxmag_, pbm_);
    return pbm_;
}

// ---- Notifications ----

void TQRCode::DoChangeCode() {
    if (onChangeCode_ && symbolEnabled_)
        onChangeCode_(this, watch_);
}

void TQRCode::DoPaintSymbol() {
    if (onPaintSymbol_)
        onPaintSymbol_(this, watch_);
}

void TQRCode::DoPaintedSymbol() {
    if (onPaintedSymbol_)
        onPaintedSymbol_(this, watch_);
}

void TQRCode::DoChangedCode() {
    if (onChangedCode_ && symbolEnabled_)
        onChangedCode_(this, watch_);
}

void TQRCode::DoClipboardChange() {
    if (clipboardChangeHandler_)
        clipboardChangeHandler_(this);
}

// ---- Clipboard ----

Clipboard& TQRCode::TheClipboard() {
    if (!clipboard_)
        clipboard_ = std::make_shared<QtClipboard>();
    return *clipboard_;
}

void TQRCode::CopyToClipboard() {
    // The picture holds a bitmap for picBMP and a metafile otherwise; when the symbol is not
    // shown it goes as whatever it holds, a metafile then in its own format (EMF).
    auto mime = std::make_unique<QMimeData>();
    if (const auto* bitmap = std::get_if<Bitmap>(&picture_))
        AddImage(*mime, *bitmap);
    else if (const auto* metafile = std::get_if<Metafile>(&picture_))
        AddMetafile(*mime, *metafile, symbolDisped_ && symbolPicture_ == picWMF);
    FlagScope copying(copying_, true);
    TheClipboard().SetMimeData(std::move(mime));
}

void TQRCode::PasteFromClipboard() {
    const std::optional<QString> text = TheClipboard().Text();
    if (!text)
        return;
    SetCode(ClipboardTextToCode(*text));
}

void TQRCode::SetClipWatch(bool value) {
    skipNextChange_ = !clipWatch_ && value && TheClipboard().NotifiesOnRegistration();
    clipWatch_ = value;
    UpdateClipboardChain();
}

void TQRCode::SetClipboardChangeHandler(TClipboardChangeEvent handler) {
    clipboardChangeHandler_ = std::move(handler);
    UpdateClipboardChain();
}

void TQRCode::SetErrorReport(TErrorReport report) {
    errorReport_ = std::move(report);
}

void TQRCode::UpdateClipboardChain() {
    const bool wanted = clipWatch_ && clipboardChangeHandler_;
    if (wanted == joined_)
        return;
    joined_ = wanted;
    changeHeld_ = false; // a change held before the watch left or joined is not the watch's
    if (joined_)
        TheClipboard().SetChangeHandler([this] { ClipboardNotified(); });
    else if (clipboard_)
        clipboard_->SetChangeHandler({});
}

void TQRCode::ReleaseWatch() {
    if (watchHolds_ > 0 && --watchHolds_ == 0)
        TakeHeldChange();
}

void TQRCode::TakeHeldChange() {
    if (!changeHeld_ || !joined_)
        return;
    // From the event loop, once the code that held the watch (or took the last change) is done:
    // nothing it is in the middle of changes under it
    if (!heldChangeContext_)
        heldChangeContext_ = std::make_unique<QObject>();
    QTimer::singleShot(0, heldChangeContext_.get(), [this] {
        if (changeHeld_ && joined_)
            ClipboardNotified();
    });
}

void TQRCode::ClipboardNotified() {
    // A change that comes while the watch is held, or while the host is still busy with the last
    // one (its message box, say), waits; taking the clipboard later reads its latest content.
    if (watchHolds_ > 0 || notifying_) {
        changeHeld_ = true;
        return;
    }
    changeHeld_ = false;
    {
        FlagScope notifying(notifying_, true);
        // Called from Qt's event loop: nothing may escape from here.
        try {
            DoClipboardChange();
        } catch (const std::exception& e) {
            if (errorReport_)
                errorReport_(e);
        } catch (...) {
            if (errorReport_)
                errorReport_(std::runtime_error("unknown error while taking the clipboard"));
        }
    }
    TakeHeldChange();
}

void TQRCode::ClipboardChanged(TQRCode* /*Sender*/) {
    if (skipNextChange_) {
        skipNextChange_ = false;
        return;
    }
    // Our own copies (and any other copy made by this program) are not new data.
    if (copying_ || TheClipboard().OwnsContent())
        return;
    FlagScope watching(watch_, true);
    try {
        PasteFromClipboard();
        lastClipboardError_.clear();
    } catch (const TextError& e) {
        // Refused, not failed: the watch must not open a message box per copy.
        lastClipboardError_ = QString::fromUtf8(e.what());
        if (onClipboardRefused_)
            onClipboardRefused_(this, lastClipboardError_);
    }
}

void SetUpAsMainSymbol(TQRCode& qr, int32_t spaces) {
    qr.SetSymbolEnabled(false);
    qr.SetTransparent(false);
    qr.SetCommentUpLoc(locCenter);
    qr.SetCommentDownLoc(locCenter);
    qr.SetSymbolLeft(0);
    qr.SetSymbolTop(0);
    qr.SetSymbolSpaceUp(spaces);
    qr.SetSymbolSpaceDown(spaces);
    qr.SetSymbolSpaceLeft(spaces);
    qr.SetSymbolSpaceRight(spaces);
    qr.SetMatch(true);
    TFont font;
    font.Name = Utf8ToCp932("ＭＳ Ｐゴシック");
    font.Size = 9;
    font.Color = clWindowText;
    font.Charset = 128;
    qr.SetComFont(font);
    qr.SetSymbolDebug(false);
    qr.SetClearOption(true);
}

} // namespace zarvo::component
