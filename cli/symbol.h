// The pictures of zarvo-encode: the symbol component set up as the main window's QRCode1, the
// options stored into it in one batch, and the drawn picture written out.
#pragma once

#include "cli/options.h"
#include "component/qrcode.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace zarvo::cli {

// The main window's QRCode1 values, except that the four spaces stay 0 so that the picture is
// exactly the drawing: Match true, both comments centred, the comment font "ＭＳ Ｐゴシック" 9 pt
// (12 pixels) in the window-text colour with the Shift-JIS character set and no style,
// ClearOption true. Turns SymbolEnabled off first, so that nothing is drawn and the options can
// follow in one batch.
void SetUpComponent(component::TQRCode& qr);

// What the component draws on for a type: a metafile for EMF and WMF, else the bitmap.
component::TPictures PictureFor(OutputType type);

// Stores the options as the main window pushes an item, with SymbolEnabled off (it stays off): the
// settings in the published order (BinaryOperation, Mode before Count, Column, Numbering, the
// spaces, Version unless 0, Emode, Eclevel, Masktype, Pxmag, Angle, Reverse, the colours,
// SymbolPicture), then CommentUp, CommentDown (UTF-8 made CP932) and Code (CP932 bytes, in the
// tilde notation with --binary). Throws shared::TextError, naming the comment, when CP932
// cannot hold a comment.
void ApplyOptions(const Options& options, component::TPictures picture, const std::string& code,
                  component::TQRCode& qr);

// The type name the image writer takes ("bmp", "jpeg", ...); only for IsImage types.
const char* ImageTypeName(OutputType type);

// The warning (one line, without the program name) when the comments that the last drawing showed
// do not have the room --spaces gives them, else nullopt. Comments are drawn at the cell's top and
// bottom edge when the space holds them, else they cover the quiet zone or fall outside the
// picture.
std::optional<std::string> CommentRoomWarning(const component::TQRCode& qr);

// The picture's file bytes of a drawn component in the given image type. Throws
// component::ImageError.
std::vector<uint8_t> EncodePicture(const component::TQRCode& qr, OutputType type);

} // namespace zarvo::cli
