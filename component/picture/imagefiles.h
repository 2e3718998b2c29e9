// Image files of the component's picture: BMP, JPEG, PNG, SVG, EMF and WMF.
#pragma once

#include "component/picture/picture.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace zarvo::component {

// ImageError (picture.h): an image that could not be encoded or a file that could not be written.

// A Windows bitmap file (BITMAPFILEHEADER + BITMAPINFOHEADER, palette, bottom-up rows) of the
// bitmap's own pixel format.
std::vector<uint8_t> EncodeBmp(const Bitmap& bitmap);
// A baseline JPEG written by libjpeg with its defaults (jpeg_set_defaults) at the given quality.
// libjpeg's errors come back as ImageError, never as exit().
std::vector<uint8_t> EncodeJpeg(const Bitmap& bitmap, int quality = 75);
std::vector<uint8_t> EncodePng(const Bitmap& bitmap);
// SVG of a bitmap (a background rectangle in the colour of the top-left pixel, then one rectangle
// per horizontal run of any other colour) or of a metafile (its records, texts as text).
std::string EncodeSvg(const Bitmap& bitmap);
std::string EncodeSvg(const Metafile& metafile);

// The file type a name asks for, by extension (case-insensitive): "bmp", "jpeg" (.jpg, .jpeg),
// "png", "svg", "emf", "wmf"; empty when none of these.
std::string ImageTypeOf(const std::string& fileName);

// Writes the picture as `type` (as ImageTypeOf returns). A bitmap can be written as bmp, jpeg,
// png or svg; a metafile as emf, wmf, svg or png (rendered), bmp or jpeg (rendered at 32 bits).
// The file is written by WriteFileAtomically (filewrite.h) as a file the user saves (kSavedFile):
// a failure never leaves a partial file, a link is followed; a file the user may not write, a
// device or a pipe is refused. Throws ImageError.
void SavePicture(const Picture& picture, const std::string& type, const std::string& fileName);

} // namespace zarvo::component
