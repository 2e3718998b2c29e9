// TQRCode: the symbol component. It owns the data, every encoding and drawing setting, the
// encoder and the picture the symbols are drawn into; every window talks to the symbol through
// its properties, operations and four events. Usable without any window (QtGui only).
//
// Properties are getter/setter pairs named after the property (Code() / SetCode()). Setters store
// first, then act; a value outside the accepted range is ignored silently (nothing changes,
// nothing is redrawn). A setter that accepts a value ends by running DrawSymbols() unless its
// comment says otherwise. Hosts batch several changes by switching SymbolEnabled off, setting
// them, and switching it on again, which draws once and keeps OnChangeCode/OnChangedCode silent.
//
// Single-threaded: everything runs on the GUI thread, events fire synchronously inside the setter
// that caused them.
#pragma once

#include "component/picture/canvas.h"
#include "component/picture/picture.h"
#include "encoder/encoder.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace zarvo::component {

class Clipboard;

using encoder::qrConnect;
using encoder::qrPlus;
using encoder::qrSingle;
using encoder::TQRMode;

// How the piece number joins the comments of a cell when Count > 1.
enum TNumbering : int32_t { nbrNone = 0, nbrHead = 1, nbrTail = 2, nbrIfVoid = 3 };
// Placement of a comment within its cell.
enum TLocation : int32_t { locLeft = 0, locCenter = 1, locRight = 2 };
// What the component draws on (picBMP: a bitmap; picEMF, picWMF: a metafile) and copies.
enum TPictures : int32_t { picBMP = 0, picEMF = 1, picWMF = 2 };

class TQRCode;

// Sender: the component. Watch: true only while the change comes from the clipboard watch.
using TNotifyWatchEvent = std::function<void(TQRCode* Sender, bool Watch)>;
// The internal clipboard-change handler (ClipboardChanged by default).
using TClipboardChangeEvent = std::function<void(TQRCode* Sender)>;
// Text the clipboard watch did not take, with the reason (names the character CP932 cannot hold).
using TClipboardRefusedEvent = std::function<void(TQRCode* Sender, const QString& Reason)>;
// Receives errors raised while a watched clipboard change is handled; they never reach Qt's
// event loop.
using TErrorReport = std::function<void(const std::exception& Error)>;

// A data file that cannot be read or written. what() names the file and the system's reason.
class DataFileError : public std::runtime_error {
  public:
    explicit DataFileError(const std::string& message) : std::runtime_error(message) {}
};

// Why the last DrawSymbols left SymbolDisped false for a reason other than the data.
enum class TDrawFailure {
    None,     // nothing, or the data does not fit (SymbolDisped tells)
    TooLarge, // the picture would exceed kMaxPicturePixels: refused before allocating
    NoMemory, // the memory for the picture could not be allocated
};

// Largest picture drawn, in pixels (width × height): 2 GiB of 32-bit pixel data. Above it the
// drawing is refused ("cannot be shown") instead of allocating: a larger picture takes seconds to
// paint and more memory than a desktop can spare.
inline constexpr int64_t kMaxPicturePixels = (int64_t{1} << 31) / 4;

class TQRCode {
  public:
    // Every property at its default; the control is 49 × 49 with an empty picture. Draws
    // nothing. clipboard: the clipboard to use; null means the system clipboard (QtClipboard,
    // created when first needed; needs a QGuiApplication).
    explicit TQRCode(std::shared_ptr<Clipboard> clipboard = nullptr);
    // Leaves the clipboard watch first.
    virtual ~TQRCode();
    TQRCode(const TQRCode&) = delete;
    TQRCode& operator=(const TQRCode&) = delete;

    // ---- Data ----
    // The text (CP932 bytes) the data derives from. Setting it: OnChangeCode, store, convert
    // (ParseCode, giving Len), DrawSymbols, OnChangedCode; the events fire only while
    // SymbolEnabled is true.
    const std::string& Code() const { return code_; }
    void SetCode(const std::string& value);
    // Number of data bytes.
    int32_t Len() const { return static_cast<int32_t>(data_.size()); }
    // The data bytes the encoder takes.
    const std::string& Data() const { return data_; }
    // True when the data holds a binary byte (0x00..0x08, 0x0B, 0x0C, 0x0E..0x1F) that came from
    // the tilde notation or a loaded file.
    bool Binary() const { return binary_; }
    // Tilde notation (~hex pairs~, ~~ for a tilde) is interpreted while true. Setting it
    // converts Code again and redraws; no event fires.
    bool BinaryOperation() const { return binaryOperation_; }
    void SetBinaryOperation(bool value);

    // ---- Division ----
    // qrSingle sets Count to 1, qrConnect clamps Count into 2..16, qrPlus into 2..1024; other
    // values are ignored.
    TQRMode Mode() const;
    void SetMode(TQRMode value);
    // 1..1024.
    int32_t Count() const;
    void SetCount(int32_t value);
    // Symbols per row of the layout, 1..1024.
    int32_t Column() const;
    void SetColumn(int32_t value);
    // Structured-append parity of the last division.
    int32_t Parity() const;

    // ---- Comments ----
    // Any of the four values; redraws only when Count > 1.
    TNumbering Numbering() const { return numbering_; }
    void SetNumbering(TNumbering value);
    // CP932 text drawn above / below each symbol.
    const std::string& CommentUp() const { return commentUp_; }
    void SetCommentUp(const std::string& value);
    // Redraws only when CommentUp is not empty; values other than the three are ignored.
    TLocation CommentUpLoc() const { return commentUpLoc_; }
    void SetCommentUpLoc(TLocation value);
    const std::string& CommentDown() const { return commentDown_; }
    void SetCommentDown(const std::string& value);
    // Redraws only when CommentDown is not empty; values other than the three are ignored.
    TLocation CommentDownLoc() const { return commentDownLoc_; }
    void SetCommentDownLoc(TLocation value);
    // The comment font; default "ＭＳ Ｐゴシック" (CP932), 9 pt (12 px), no style, window-text
    // colour, charset 128 (Shift-JIS). Setting copies every attribute; passing the component's
    // own ComFont object is ignored.
    const TFont& ComFont() const { return comFont_; }
    void SetComFont(const TFont& value);

    // ---- Geometry (pixels, computed on every read; saturated to the int32 range) ----
    int32_t SymbolWidth() const;   // (side + 8) × Pxmag
    int32_t SymbolWidthS() const;  // SymbolWidth + SymbolSpaceLeft + SymbolSpaceRight
    int32_t SymbolWidthA() const;  // min(Column, Count) × SymbolWidthS
    int32_t SymbolHeight() const;  // (side + 8) × Pxmag
    int32_t SymbolHeightS() const; // SymbolHeight + SymbolSpaceUp + SymbolSpaceDown
    int32_t SymbolHeightA() const; // ceil(Count / Column) × SymbolHeightS
    int32_t QuietZone() const;     // 4 × Pxmag

    // Origin of the block; any value, also negative.
    int32_t SymbolLeft() const { return symbolLeft_; }
    void SetSymbolLeft(int32_t value);
    int32_t SymbolTop() const { return symbolTop_; }
    void SetSymbolTop(int32_t value);
    // Margins around each symbol area inside its cell; any value.
    int32_t SymbolSpaceUp() const { return spaceUp_; }
    void SetSymbolSpaceUp(int32_t value);
    int32_t SymbolSpaceDown() const { return spaceDown_; }
    void SetSymbolSpaceDown(int32_t value);
    int32_t SymbolSpaceLeft() const { return spaceLeft_; }
    void SetSymbolSpaceLeft(int32_t value);
    int32_t SymbolSpaceRight() const { return spaceRight_; }
    void SetSymbolSpaceRight(int32_t value);

    // ---- Encoding ----
    // 1..40.
    int32_t Version() const;
    void SetVersion(int32_t value);
    // -1 (automatic) or 0..3; also sets EmodeR.
    int32_t Emode() const;
    void SetEmode(int32_t value);
    // Mode in effect for the last piece encoded.
    int32_t EmodeR() const;
    // 0 L, 1 M, 2 Q, 3 H.
    int32_t Eclevel() const;
    void SetEclevel(int32_t value);
    // -1 (automatic) or 0..7; also sets MasktypeR.
    int32_t Masktype() const;
    void SetMasktype(int32_t value);
    // Mask pattern in effect for the last piece encoded.
    int32_t MasktypeR() const;
    // Capacity of one symbol × Count.
    int32_t Capacity() const;

    // ---- Drawing ----
    // Pixels per module, 1..10.
    int32_t Pxmag() const { return pxmag_; }
    void SetPxmag(int32_t value);
    // Exactly 0, 90, 180 or 270 (clockwise turn of the finished bitmap).
    int32_t Angle() const { return angle_; }
    void SetAngle(int32_t value);
    // Mirror the finished bitmap left to right.
    bool Reverse() const { return reverse_; }
    void SetReverse(bool value);
    // True: the control is sized to the drawing. True turns Transparent off; false makes
    // SymbolPicture picBMP.
    bool Match() const { return match_; }
    void SetMatch(bool value);
    // True: only dark modules and comment boxes are painted. True turns Match off and makes
    // SymbolPicture picBMP.
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    TColor SymbolColor() const { return symbolColor_; }
    void SetSymbolColor(TColor value);
    TColor BackColor() const { return backColor_; }
    void SetBackColor(TColor value);
    // Stored only while Match is true; otherwise becomes picBMP without a redraw.
    TPictures SymbolPicture() const { return symbolPicture_; }
    void SetSymbolPicture(TPictures value);
    // False: setters store without drawing and the Code events stay silent. Becoming true draws.
    bool SymbolEnabled() const { return symbolEnabled_; }
    void SetSymbolEnabled(bool value);
    // True: every piece is encoded but nothing is painted; SymbolDisped still tells whether the
    // data fits, and ClearOption does not clear. Stored only.
    bool SymbolDebug() const { return symbolDebug_; }
    void SetSymbolDebug(bool value);
    // True when the last DrawSymbols encoded every piece.
    bool SymbolDisped() const { return symbolDisped_; }
    // True: a symbol that cannot be shown empties the picture. Becoming true while SymbolDisped is
    // false runs ClearSymbol. Never redraws.
    bool ClearOption() const { return clearOption_; }
    void SetClearOption(bool value);
    // Why the last DrawSymbols could not show the symbols, beyond the data not fitting.
    TDrawFailure LastDrawFailure() const { return lastDrawFailure_; }
    bool PictureTooLarge() const { return lastDrawFailure_ == TDrawFailure::TooLarge; }

    // ---- Outputs ----
    // The module listing "P1" of the last division, rebuilt on every read (re-encodes every
    // piece). The reference stays valid until the next read or the component's destruction.
    const std::vector<std::string>& PBM();

    // ---- Clipboard watch ----
    // True: every text another program puts on the clipboard becomes Code (events with Watch
    // true). Text CP932 cannot hold is not taken: OnClipboardRefused fires and
    // LastClipboardError() tells why.
    bool ClipWatch() const { return clipWatch_; }
    void SetClipWatch(bool value);
    // True only while a watched clipboard change is being taken.
    bool Watch() const { return watch_; }
    // The reason the last watched clipboard text was not taken; empty after one was taken.
    const QString& LastClipboardError() const { return lastClipboardError_; }
    // Holds the watch while the host shows a modal window: what the window edits or shows must not
    // change under it, nor be replaced by it when it closes. Holds nest; while one lasts, clipboard
    // changes are only remembered, and after the last one is released the clipboard is taken once,
    // its latest content, if it changed meanwhile: from the event loop, when the code that held
    // the watch has finished (WatchHold pairs them).
    void HoldWatch() { ++watchHolds_; }
    void ReleaseWatch();
    bool WatchHeld() const { return watchHolds_ > 0; }

    // ---- Events ----
    const TNotifyWatchEvent& OnChangeCode() const { return onChangeCode_; }
    void SetOnChangeCode(TNotifyWatchEvent handler) { onChangeCode_ = std::move(handler); }
    const TNotifyWatchEvent& OnPaintSymbol() const { return onPaintSymbol_; }
    void SetOnPaintSymbol(TNotifyWatchEvent handler) { onPaintSymbol_ = std::move(handler); }
    const TNotifyWatchEvent& OnPaintedSymbol() const { return onPaintedSymbol_; }
    void SetOnPaintedSymbol(TNotifyWatchEvent handler) { onPaintedSymbol_ = std::move(handler); }
    const TNotifyWatchEvent& OnChangedCode() const { return onChangedCode_; }
    void SetOnChangedCode(TNotifyWatchEvent handler) { onChangedCode_ = std::move(handler); }
    // Not part of the four events: clipboard text refused by the watch.
    void SetOnClipboardRefused(TClipboardRefusedEvent handler) { onClipboardRefused_ = std::move(handler); }
    // Errors of a watched change (the host's handlers, the division check); default: qWarning.
    void SetErrorReport(TErrorReport report);
    // Called whenever the picture or the control's size changed (the image control's repaint).
    void SetOnInvalidate(std::function<void(TQRCode* Sender)> handler) { onInvalidate_ = std::move(handler); }
    // Installs the internal clipboard-change handler (empty: none, the watch then stays off);
    // re-evaluates the watch.
    void SetClipboardChangeHandler(TClipboardChangeEvent handler);

    // ---- The image control ----
    // The drawing: empty, a 32-bit bitmap (picBMP) or a metafile (picEMF, picWMF).
    const component::Picture& Picture() const { return picture_; }
    // Replaces the picture (what the drawing starts from when Match is false). Does not redraw.
    void SetPicture(component::Picture value);
    // The control's size; with Match true it follows the drawing (before the turn, then turned).
    int32_t Width() const { return width_; }
    void SetWidth(int32_t value);
    int32_t Height() const { return height_; }
    void SetHeight(int32_t value);
    // Stored; turned off while drawing and put back afterwards.
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value) { autoSize_ = value; }
    bool Stretch() const { return stretch_; }
    void SetStretch(bool value) { stretch_ = value; }

    // The encoder with its division (PieceOffsets, CurrentPiece) and last module matrix.
    const encoder::SymbolEncoder& Encoder() const { return *enc_; }

    // ---- Operations ----
    // Divides the data, checks the division (throws encoder::EncodeError "Illegal <name> : <n>"),
    // then encodes and draws every piece: OnPaintSymbol, the pieces, OnPaintedSymbol. Does
    // nothing while SymbolEnabled is false.
    virtual void DrawSymbols();
    // SymbolDisped false; the picture is emptied.
    virtual void ClearSymbol();
    // Puts the picture on the clipboard: picBMP as image/png and image/bmp; picEMF as the EMF
    // bytes (LibreOffice's vector type and image/x-emf) plus image/png; picWMF likewise with the
    // WMF bytes. When SymbolDisped is false the picture goes as whatever it holds. Changes this
    // puts on the clipboard are not taken by the watch.
    virtual void CopyToClipboard();
    // Sets Code to the clipboard's text (full setter sequence) when it offers text; otherwise
    // nothing. Throws TextError, changing nothing, when CP932 cannot hold the text.
    virtual void PasteFromClipboard();
    // DrawSymbols.
    virtual void Redraw();

    // Reads the whole file (a regular file of at most 2^31 - 1 bytes) as the data, rebuilds Code
    // (MakeCode) and redraws; the Code events do not fire. A missing file does nothing. Any other
    // failure throws DataFileError and leaves the data unchanged. fileName: native path bytes.
    void LoadDataFromFile(const std::string& fileName);
    // Writes exactly the Len data bytes through WriteFileAtomically (filewrite.h) as a file the
    // user saves (kSavedFile): replaced whole or not at all, a link followed; written in place only
    // where no temporary file can replace it; a file the user may not write, a device or a pipe
    // refused. Throws DataFileError.
    void SaveDataToFile(const std::string& fileName) const;

  protected:
    // Notifications, in this order of use.
    virtual void DoChangeCode();
    virtual void DoPaintSymbol();
    virtual void DoPaintedSymbol();
    virtual void DoChangedCode();
    virtual void DoClipboardChange();

    // Code → data by the tilde notation when BinaryOperation is on; may switch it off when the
    // notation is malformed. Sets Binary; returns the number of data bytes.
    int32_t ParseCode();
    // Data → Code: the data as it is, or in tilde notation (switching BinaryOperation on) when it
    // holds a binary byte; tildes are doubled whenever BinaryOperation ends up on. Returns Len.
    int32_t MakeCode();

    // The default internal clipboard-change handler: takes the clipboard text as Code with Watch
    // set (skipping one notification when armed).
    void ClipboardChanged(TQRCode* Sender);

    // Turns the bitmap picture by angle (90, 180, 270) clockwise, then MirrorPicture; any other
    // angle only mirrors. Only for picBMP.
    void RotatePicture(int32_t angle);
    // Mirrors the bitmap left to right when Reverse is set. Only for picBMP.
    void MirrorPicture();

  private:
    struct DrawState;
    void DrawLoop();
    bool PrepareBitmap();
    void DrawPieceOnBitmap(DrawState& state, int32_t k);
    // Encodes the pieces from k on, as many as the state holds, keeping their modules; the count
    // of those encoded. Stops short at a piece that is too long or does not fit.
    int32_t EncodeAhead(DrawState& state, int32_t k);
    void PaintPieceOnBitmap(DrawState& state, int32_t k, const encoder::PackedRow* dark);
    void DrawPieceOnMetafile(DrawState& state, int32_t k);
    void PaintModules(Canvas& canvas, int64_t frameWidth, int64_t frameHeight) const;
    void PaintModules(Bitmap& bitmap, BitmapCanvas& canvas, const encoder::PackedRow* dark) const;
    void PaintComments(Canvas& canvas, QSize upExtent, QSize downExtent);
    void NumberComments(int32_t k, const std::string& up, const std::string& down);
    bool Refuse(int64_t width, int64_t height);
    // A white bitmap of the control's size as the picture; false (NoMemory, no picture) when its
    // memory cannot be had.
    bool NewWhiteBitmap();
    void SetControlSize(int32_t width, int32_t height);
    void Invalidate();
    void UpdateClipboardChain();
    void ClipboardNotified();
    // Takes a change that came while held or while the last one was taken, from the event loop.
    void TakeHeldChange();
    Clipboard& TheClipboard();
    int64_t WidthS64() const;
    int64_t HeightS64() const;
    int64_t WidthA64() const;
    int64_t HeightA64() const;

    std::unique_ptr<encoder::SymbolEncoder> enc_;
    std::string code_;
    std::string data_;
    bool binary_ = false;
    bool binaryOperation_ = false;
    TNumbering numbering_ = nbrIfVoid;
    std::string commentUp_;
    std::string commentDown_;
    TLocation commentUpLoc_ = locLeft;
    TLocation commentDownLoc_ = locLeft;
    TFont comFont_;
    int32_t symbolLeft_ = 0;
    int32_t symbolTop_ = 0;
    int32_t spaceUp_ = 0;
    int32_t spaceDown_ = 0;
    int32_t spaceLeft_ = 0;
    int32_t spaceRight_ = 0;
    int32_t pxmag_ = 1;
    int32_t angle_ = 0;
    bool reverse_ = false;
    bool match_ = false;
    bool transparent_ = false;
    TColor symbolColor_ = clBlack;
    TColor backColor_ = clWhite;
    TPictures symbolPicture_ = picBMP;
    bool symbolEnabled_ = true;
    bool symbolDebug_ = false;
    bool symbolDisped_ = false;
    bool clearOption_ = false;
    TDrawFailure lastDrawFailure_ = TDrawFailure::None;
    std::vector<std::string> pbm_;

    bool clipWatch_ = false;
    bool watch_ = false;
    bool joined_ = false;
    bool skipNextChange_ = false;
    bool copying_ = false; // our own CopyToClipboard is writing
    int32_t watchHolds_ = 0;
    bool changeHeld_ = false; // a clipboard change came while held or while one was being taken
    bool notifying_ = false;  // a clipboard change is being taken
    std::unique_ptr<QObject> heldChangeContext_; // ends a pending take with the component
    QString lastClipboardError_;
    std::shared_ptr<Clipboard> clipboard_;
    TClipboardChangeEvent clipboardChangeHandler_;

    TNotifyWatchEvent onChangeCode_;
    TNotifyWatchEvent onPaintSymbol_;
    TNotifyWatchEvent onPaintedSymbol_;
    TNotifyWatchEvent onChangedCode_;
    TClipboardRefusedEvent onClipboardRefused_;
    TErrorReport errorReport_;
    std::function<void(TQRCode*)> onInvalidate_;

    component::Picture picture_;
    int32_t width_ = 49;
    int32_t height_ = 49;
    bool autoSize_ = false;
    bool stretch_ = false;
};

// Holds the component's clipboard watch for its lifetime (HoldWatch, ReleaseWatch).
class WatchHold {
  public:
    explicit WatchHold(TQRCode& qr) : qr_(qr) { qr_.HoldWatch(); }
    ~WatchHold() { qr_.ReleaseWatch(); }
    WatchHold(const WatchHold&) = delete;
    WatchHold& operator=(const WatchHold&) = delete;

  private:
    TQRCode& qr_;
};

// The values the main window's QRCode1 starts with, the four spaces aside: Transparent false,
// both comments centred, origin 0, 0, Match true, the comment font "ＭＳ Ｐゴシック" 9 pt (12 pixels)
// in the window-text colour with the Shift-JIS character set and no style, SymbolDebug false,
// ClearOption true. Turns SymbolEnabled off first, so that nothing is drawn and settings can
// follow in one batch.
void SetUpAsMainSymbol(TQRCode& qr, int32_t spaces);

} // namespace zarvo::component
