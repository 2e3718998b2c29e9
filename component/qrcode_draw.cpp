// The drawing half of DrawSymbols: the grid of cells, the comments, the module runs on a bitmap or
// a metafile, and the final turn and mirror of the bitmap.
#include "component/module_rows.h"
#include "component/qrcode.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

namespace zarvo::component {

namespace {

int ClampInt(int64_t v) {
    return static_cast<int>(
        std::clamp<int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

bool RotatableDepth(int bitsPerPixel) {
    switch (bitsPerPixel) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        return true;
    default:
        return false;
    }
}

// A new 32-bit bitmap is white, as a new device-independent bitmap of the image control is; only
// what Transparent leaves unpainted ever shows it.
Bitmap WhiteBitmap(int width, int height) {
    if (width <= 0 || height <= 0)
        return Bitmap();
    Bitmap bitmap(width, height, 32);
    std::memset(bitmap.Row(0), 0xFF, static_cast<size_t>(bitmap.Stride()) * static_cast<size_t>(height));
    return bitmap;
}

// Fills the part of left..right-1 × top..bottom-1 that lies inside a frame of width × height.
void FillClipped(Canvas& canvas, int64_t left, int64_t top, int64_t right, int64_t bottom, int64_t width,
                 int64_t height, TColor color) {
    left = std::max<int64_t>(left, 0);
    top = std::max<int64_t>(top, 0);
    right = std::min(right, width);
    bottom = std::min(bottom, height);
    if (left < right && top < bottom)
        canvas.FillRect(static_cast<int>(left), static_cast<int>(top), static_cast<int>(right),
                        static_cast<int>(bottom), color);
}

// The first column from c on (side when none) whose module is dark (or light) in a packed row.
int NextModule(const encoder::PackedRow& row, int c, int side, bool dark) {
    const uint64_t flip = dark ? 0 : ~uint64_t{0};
    while (c < side) {
        const auto w = static_cast<size_t>(c >> 6);
        const uint64_t word = (row[w] ^ flip) & (~uint64_t{0} << (c & 63));
        if (word != 0)
            return std::min(side, static_cast<int>(w * 64) + __builtin_ctzll(word));
        c = static_cast<int>(w + 1) * 64;
    }
    return side;
}

// Runs a function when the scope ends, however it ends.
template <typename F> class Finally {
  public:
    explicit Finally(F f) : f_(std::move(f)) {}
    ~Finally() { f_(); }
    Finally(const Finally&) = delete;
    Finally& operator=(const Finally&) = delete;

  private:
    F f_;
};

} // namespace

// The canvases of one DrawSymbols; a canvas is closed by destroying it.
struct TQRCode::DrawState {
    std::unique_ptr<BitmapCanvas> bitmapCanvas;
    std::unique_ptr<MetafileCanvas> metafileCanvas;
    // The modules of pieces encoded ahead of their painting, side rows each: the encoder runs
    // several pieces on its warm tables and buffers before the painting pushes them out of the
    // cache.
    static constexpr int32_t kAhead = 16;
    std::vector<encoder::PackedRow> ahead;
};

bool TQRCode::Refuse(int64_t width, int64_t height) {
    const int64_t limit = std::numeric_limits<int32_t>::max();
    if (width > limit || height > limit || (width > 0 && height > 0 && width * height > kMaxPicturePixels)) {
        lastDrawFailure_ = TDrawFailure::TooLarge;
        return true;
    }
    return false;
}

// Step 1: a 32-bit bitmap; one without size gets the control's size.
bool TQRCode::PrepareBitmap() {
    if (auto* bitmap = std::get_if<Bitmap>(&picture_); bitmap && !bitmap->IsEmpty()) {
        if (bitmap->BitsPerPixel() != 32)
            picture_ = Bitmap::FromImage(bitmap->ToImage());
        return true;
    }
    if (Refuse(width_, height_))
        return false;
    return NewWhiteBitmap();
}

bool TQRCode::NewWhiteBitmap() {
    // A picture the memory cannot hold is not drawn, as one that is too large is not
    try {
        picture_ = std::monostate();
        picture_ = WhiteBitmap(width_, height_);
        return true;
    } catch (const std::bad_alloc&) {
        lastDrawFailure_ = TDrawFailure::NoMemory;
        return false;
    }
}

void TQRCode::DrawLoop() {
    if (!PrepareBitmap())
        return;

    // Without Match the origin is where the block lands in the turned picture: move it so that it
    // gets there after the final turn, and draw on the picture turned back.
    const int32_t oldLeft = symbolLeft_;
    const int32_t oldTop = symbolTop_;
    if (!match_) {
        const int64_t w = width_;
        const int64_t h = height_;
        switch (angle_) {
        case 90:
            symbolLeft_ = oldTop;
            symbolTop_ = ClampInt(w - oldLeft - HeightA64());
            break;
        case 180:
            symbolLeft_ = ClampInt(w - oldLeft - WidthA64());
            symbolTop_ = ClampInt(h - oldTop - HeightA64());
            break;
        case 270:
            symbolLeft_ = ClampInt(h - oldTop - WidthA64());
            symbolTop_ = oldLeft;
            break;
        default:
            break;
        }
        RotatePicture(360 - angle_);
    }

    const bool autoSize = autoSize_;
    const bool stretch = stretch_;
    autoSize_ = false;
    stretch_ = false;
    const int64_t originLeft = symbolLeft_;
    const int64_t originTop = symbolTop_;
    const std::string up = commentUp_;
    const std::string down = commentDown_;
    {
        DrawState state;
        // The per-cell values never outlive the loop, even when painting throws.
        Finally restore([&] {
            state.metafileCanvas.reset(); // also closes a metafile whose loop stopped early
            state.bitmapCanvas.reset();
            commentDown_ = down;
            commentUp_ = up;
            symbolTop_ = oldTop;
            symbolLeft_ = oldLeft;
            stretch_ = stretch;
            autoSize_ = autoSize;
        });

        const int32_t count = enc_->Count;
        const int32_t column = enc_->Column;
        const int64_t widthS = WidthS64();
        const int64_t heightS = HeightS64();
        const auto placeCell = [&](int32_t k) {
            symbolLeft_ = ClampInt(originLeft + (k - 1) % column * widthS);
            symbolTop_ = ClampInt(originTop + (k - 1) / column * heightS);
            if (count > 1)
                NumberComments(k, up, down);
        };
        // After the first piece (which sizes the picture) a bitmap's pieces are encoded a few at
        // a time and then painted, in the same order and with the same outcome.
        const bool ahead = symbolPicture_ == picBMP && !symbolDebug_;
        for (int32_t k = 1; k <= count; ++k) {
            if (ahead && k > 1) {
                const int32_t encoded = EncodeAhead(state, k);
                const auto rows = static_cast<size_t>(enc_->Side());
                bool painted = true;
                for (int32_t i = 0; i < encoded && painted; ++i) {
                    symbolDisped_ = false;
                    placeCell(k + i);
                    PaintPieceOnBitmap(state, k + i, state.ahead.data() + static_cast<size_t>(i) * rows);
                    painted = symbolDisped_;
                }
                if (!painted)
                    break;
                if (encoded < DrawState::kAhead && k + encoded <= count) {
                    symbolDisped_ = false; // the next piece is too long or does not fit
                    break;
                }
                k += encoded - 1;
                continue;
            }
            symbolDisped_ = false;
            placeCell(k);
            const auto index = static_cast<size_t>(k);
            if (enc_->PieceOffsets[index] - enc_->PieceOffsets[index - 1] > encoder::kMaxPieceBytes)
                break;
            if (symbolPicture_ == picBMP)
                DrawPieceOnBitmap(state, k);
            else
                DrawPieceOnMetafile(state, k);
            if (!symbolDisped_)
                break;
        }
    }

    if (!match_ || symbolDisped_)
        RotatePicture(angle_);
}

void TQRCode::NumberComments(int32_t k, const std::string& up, const std::string& down) {
    const std::string number = std::to_string(k);
    const auto numbered = [&](const std::string& comment) {
        switch (numbering_) {
        case nbrNone:
            return comment;
        case nbrHead:
            return comment.empty() ? number : number + " " + comment;
        case nbrTail:
            return comment.empty() ? number : comment + " " + number;
        case nbrIfVoid:
            return comment.empty() ? number : comment;
        }
        return comment;
    };
    commentUp_ = numbered(up);
    commentDown_ = numbered(down);
}

void TQRCode::DrawPieceOnBitmap(DrawState& state, int32_t k) {
    const auto* data = reinterpret_cast<const uint8_t*>(data_.data());
    if (enc_->EncodePiece(k, data, Len()) != encoder::PieceResult::Encoded)
        return;
    if (symbolDebug_) {
        symbolDisped_ = true;
        return;
    }
    PaintPieceOnBitmap(state, k, enc_->Matrix().dark.data());
}

int32_t TQRCode::EncodeAhead(DrawState& state, int32_t k) {
    const auto* data = reinterpret_cast<const uint8_t*>(data_.data());
    const auto rows = static_cast<size_t>(enc_->Side());
    state.ahead.resize(static_cast<size_t>(DrawState::kAhead) * rows);
    const int32_t n = std::min(DrawState::kAhead, enc_->Count - k + 1);
    for (int32_t i = 0; i < n; ++i) {
        const auto index = static_cast<size_t>(k + i);
        if (enc_->PieceOffsets[index] - enc_->PieceOffsets[index - 1] > encoder::kMaxPieceBytes ||
            enc_->EncodePiece(k + i, data, Len()) != encoder::PieceResult::Encoded)
            return i;
        const auto& dark = enc_->Matrix().dark;
        std::copy(dark.begin(), dark.begin() + static_cast<ptrdiff_t>(rows),
                  state.ahead.begin() + static_cast<ptrdiff_t>(static_cast<size_t>(i) * rows));
    }
    return n;
}

void TQRCode::PaintPieceOnBitmap(DrawState& state, int32_t k, const encoder::PackedRow* dark) {
    auto* bitmap = std::get_if<Bitmap>(&picture_);
    if (!bitmap)
        return;
    if (!state.bitmapCanvas)
        state.bitmapCanvas = std::make_unique<BitmapCanvas>(*bitmap);
    const QSize upExtent = state.bitmapCanvas->TextExtent(commentUp_, comFont_);
    const QSize downExtent = state.bitmapCanvas->TextExtent(commentDown_, comFont_);

    if (match_ && k == 1) {
        const int64_t width = WidthA64() + symbolLeft_;
        const int64_t height = HeightA64() + symbolTop_;
        if (Refuse(width, height))
            return;
        SetControlSize(ClampInt(width), ClampInt(height));
        if (bitmap->Width() != width_ || bitmap->Height() != height_) {
            state.bitmapCanvas.reset();
            if (!NewWhiteBitmap())
                return;
            bitmap = &std::get<Bitmap>(picture_);
            state.bitmapCanvas = std::make_unique<BitmapCanvas>(*bitmap);
        }
    }

    BitmapCanvas& canvas = *state.bitmapCanvas;
    if (!transparent_ && k == 1) {
        // One fill for the whole block, quiet zones included; with Match the origin's margin too.
        // It is written band by band as the symbols reach it: a cold picture costs more to paint
        // on than to fill.
        const int64_t left = match_ ? 0 : symbolLeft_;
        const int64_t top = match_ ? 0 : symbolTop_;
        const auto clip = [](int64_t v, int64_t limit) {
            return static_cast<int>(std::clamp<int64_t>(v, 0, limit));
        };
        const int64_t w = bitmap->Width();
        const int64_t h = bitmap->Height();
        canvas.DeferFill(clip(left, w), clip(top, h), clip(symbolLeft_ + WidthA64(), w),
                         clip(symbolTop_ + HeightA64(), h), backColor_);
    }
    PaintModules(*bitmap, canvas, dark);
    PaintComments(canvas, upExtent, downExtent);
    symbolDisped_ = true;
}

void TQRCode::DrawPieceOnMetafile(DrawState& state, int32_t k) {
    const auto* data = reinterpret_cast<const uint8_t*>(data_.data());
    if (enc_->EncodePiece(k, data, Len()) != encoder::PieceResult::Encoded) {
        if (k != 1 && !symbolDebug_)
            state.metafileCanvas.reset(); // the metafile keeps what was drawn so far
        return;
    }
    if (symbolDebug_) {
        symbolDisped_ = true;
        return;
    }
    if (k == 1) {
        const int64_t width = WidthA64() + symbolLeft_;
        const int64_t height = HeightA64() + symbolTop_;
        if (Refuse(width, height))
            return;
        SetControlSize(ClampInt(width), ClampInt(height));
        state.bitmapCanvas.reset();
        picture_ = Metafile{width_, height_, {}};
        state.metafileCanvas = std::make_unique<MetafileCanvas>(std::get<Metafile>(picture_));
        FillClipped(*state.metafileCanvas, 0, 0, width_, height_, width_, height_, backColor_);
    }
    auto* metafile = std::get_if<Metafile>(&picture_);
    if (!state.metafileCanvas || !metafile)
        return;

    Canvas& canvas = *state.metafileCanvas;
    PaintModules(canvas, metafile->Width, metafile->Height);
    const QSize upExtent = canvas.TextExtent(commentUp_, comFont_);
    const QSize downExtent = canvas.TextExtent(commentDown_, comFont_);
    PaintComments(canvas, upExtent, downExtent);
    if (k == enc_->Count) {
        state.metafileCanvas.reset();
        metafile->Width += 1;
        metafile->Height += 1;
    }
    symbolDisped_ = true;
}

// One rectangle per horizontal run of dark modules; light modules cost nothing.
void TQRCode::PaintModules(Canvas& canvas, int64_t frameWidth, int64_t frameHeight) const {
    const int64_t p = pxmag_;
    const int64_t x0 = int64_t{symbolLeft_} + spaceLeft_ + 4 * p;
    const int64_t y0 = int64_t{symbolTop_} + spaceUp_ + 4 * p;
    const int side = enc_->Side();
    // A symbol wholly outside the picture paints nothing.
    if (x0 >= frameWidth || y0 >= frameHeight || x0 + side * p <= 0 || y0 + side * p <= 0)
        return;
    for (int r = 0; r < side; ++r) {
        const int64_t top = y0 + r * p;
        if (top + p <= 0 || top >= frameHeight)
            continue;
        int c = 0;
        while (c < side) {
            if (!enc_->Dark(r, c)) {
                ++c;
                continue;
            }
            const int c1 = c;
            while (c < side && enc_->Dark(r, c))
                ++c;
            FillClipped(canvas, x0 + c1 * p, top, x0 + c * p, top + p, frameWidth, frameHeight, symbolColor_);
        }
    }
}

// The same runs written straight into the bitmap's rows, as BitmapCanvas::FillRect writes them:
// a canvas call per run would cost more than encoding the symbol.
void TQRCode::PaintModules(Bitmap& bitmap, BitmapCanvas& canvas, const encoder::PackedRow* dark) const {
    const int64_t p = pxmag_;
    const int64_t x0 = int64_t{symbolLeft_} + spaceLeft_ + 4 * p;
    const int64_t y0 = int64_t{symbolTop_} + spaceUp_ + 4 * p;
    const int side = enc_->Side();
    const int64_t width = bitmap.Width();
    const int64_t height = bitmap.Height();
    if (bitmap.BitsPerPixel() != 32 || x0 >= width || y0 >= height || x0 + side * p <= 0 ||
        y0 + side * p <= 0)
        return;
    canvas.Settle(static_cast<int>(std::max<int64_t>(y0, 0)),
                  static_cast<int>(std::min(y0 + side * p, height)));
    const QRgb rgb = ResolveColor(symbolColor_);
    const uint8_t bytes[4] = {static_cast<uint8_t>(qBlue(rgb)), static_cast<uint8_t>(qGreen(rgb)),
                              static_cast<uint8_t>(qRed(rgb)), 0xFF};
    uint32_t pixel = 0;
    std::memcpy(&pixel, bytes, 4);
    if (x0 >= 0 && x0 + side * p <= width) {
        // The whole row lies inside the bitmap: one masked select per pixel, dark modules take the
        // colour and light ones keep what is there, with no branch per run. The masks of a module
        // row are spread over its pixels once, so that both loops run on vectors.
        if (p == 1) {
            PaintModuleRows(bitmap, dark, side, x0, y0, pixel);
            return;
        }
        const auto pixels = static_cast<size_t>(side * p);
        std::vector<uint32_t> masks(pixels);
        for (int r = 0; r < side; ++r) {
            const int64_t top = std::max<int64_t>(y0 + r * p, 0);
            const int64_t bottom = std::min<int64_t>(y0 + (r + 1) * p, height);
            if (top >= bottom)
                continue;
            const encoder::PackedRow& row = dark[r];
            for (int c = 0; c < side; ++c)
                std::fill_n(masks.begin() + c * p, p,
                            0u - static_cast<uint32_t>(row[static_cast<size_t>(c >> 6)] >> (c & 63) & 1u));
            for (int64_t y = top; y < bottom; ++y) {
                uint32_t* px = reinterpret_cast<uint32_t*>(bitmap.Row(static_cast<int>(y))) + x0;
                for (size_t i = 0; i < pixels; ++i)
                    px[i] = (px[i] & ~masks[i]) | (pixel & masks[i]);
            }
        }
        return;
    }
    for (int r = 0; r < side; ++r) {
        const int64_t top = std::max<int64_t>(y0 + r * p, 0);
        const int64_t bottom = std::min<int64_t>(y0 + (r + 1) * p, height);
        if (top >= bottom)
            continue;
        // The packed row finds each run's ends a word at a time
        const encoder::PackedRow& row = dark[r];
        auto* first = reinterpret_cast<uint32_t*>(bitmap.Row(static_cast<int>(top)));
        for (int c = NextModule(row, 0, side, true); c < side;) {
            const int end = NextModule(row, c, side, false);
            const int64_t left = std::max<int64_t>(x0 + c * p, 0);
            const int64_t right = std::min<int64_t>(x0 + end * p, width);
            if (left < right) {
                std::fill(first + left, first + right, pixel);
                const auto bytesPerRow = static_cast<size_t>(right - left) * 4;
                for (int64_t y = top + 1; y < bottom; ++y)
                    std::memcpy(bitmap.Row(static_cast<int>(y)) + left * 4, first + left, bytesPerRow);
            }
            c = NextModule(row, end, side, true);
        }
    }
}

// The comments on an opaque box of BackColor: at the top and bottom of the cell when the space is
// high enough, else touching the symbol area; never left of the cell.
void TQRCode::PaintComments(Canvas& canvas, QSize upExtent, QSize downExtent) {
    const int64_t widthS = WidthS64();
    const auto x = [&](TLocation location, int textWidth) {
        int64_t offset = 0;
        if (location == locCenter)
            offset = (widthS - textWidth) / 2;
        else if (location == locRight)
            offset = widthS - textWidth;
        return ClampInt(symbolLeft_ + std::max<int64_t>(0, offset));
    };
    const int64_t areaTop = int64_t{symbolTop_} + spaceUp_;
    if (!commentUp_.empty()) {
        const int64_t y = std::min<int64_t>(symbolTop_, areaTop - upExtent.height());
        canvas.TextOut(x(commentUpLoc_, upExtent.width()), ClampInt(y), commentUp_, comFont_, backColor_);
    }
    if (!commentDown_.empty()) {
        const int64_t areaBottom = areaTop + SymbolHeight();
        const int64_t y = std::max<int64_t>(areaBottom, areaBottom + spaceDown_ - downExtent.height());
        canvas.TextOut(x(commentDownLoc_, downExtent.width()), ClampInt(y), commentDown_, comFont_,
                       backColor_);
    }
}

void TQRCode::RotatePicture(int32_t angle) {
    auto* bitmap = std::get_if<Bitmap>(&picture_);
    if (!bitmap || symbolPicture_ != picBMP)
        return;
    if (angle != 90 && angle != 180 && angle != 270) {
        MirrorPicture();
        return;
    }
    if (!RotatableDepth(bitmap->BitsPerPixel()))
        return;
    const bool autoSize = autoSize_;
    const bool stretch = stretch_;
    autoSize_ = false;
    stretch_ = false;
    const int32_t width = width_;
    const int32_t height = height_;
    Bitmap turned = bitmap->IsEmpty() ? Bitmap() : RotateBitmap(*bitmap, angle);
    if (angle != 180)
        SetControlSize(height, width);
    picture_ = std::move(turned);
    autoSize_ = autoSize;
    stretch_ = stretch;
    Invalidate();
    MirrorPicture();
}

void TQRCode::MirrorPicture() {
    auto* bitmap = std::get_if<Bitmap>(&picture_);
    if (!bitmap || symbolPicture_ != picBMP || !reverse_)
        return;
    if (!RotatableDepth(bitmap->BitsPerPixel()) || bitmap->IsEmpty())
        return;
    picture_ = MirrorBitmap(*bitmap);
    Invalidate();
}

} // namespace zarvo::component
