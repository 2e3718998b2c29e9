#include "component/picture/imagefiles.h"

#include "shared/cp932.h"
#include "shared/filewrite.h"

#include <QBuffer>
#include <QtEndian>
#include <algorithm>
#include <cctype>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

namespace zarvo::component {

using shared::Cp932ToQString;
using shared::FileWriteError;
using shared::WriteFileAtomically;

namespace {

constexpr int32_t kPixelsPerMeter = 3780; // 96 dpi

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

bool IsFileDepth(int bpp) {
    return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32;
}

// ---- JPEG through libjpeg ----

// libjpeg's default error_exit() ends the process; this one jumps back to RunCompressor with the
// message, and warnings are dropped instead of printed on stderr.
struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void JpegErrorExit(j_common_ptr cinfo) {
    auto* errors = reinterpret_cast<JpegErrors*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, errors->message);
    std::longjmp(errors->jump, 1);
}

void JpegIgnoreMessage(j_common_ptr) {}

// Collects the compressed bytes in chunks into a vector.
struct JpegDestination {
    jpeg_destination_mgr manager;
    std::vector<uint8_t>* out;
    JOCTET chunk[64 * 1024];
};

bool AppendChunk(JpegDestination* destination, size_t n) {
    try {
        destination->out->insert(destination->out->end(), destination->chunk, destination->chunk + n);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void JpegInitDestination(j_compress_ptr cinfo) {
    auto* destination = reinterpret_cast<JpegDestination*>(cinfo->dest);
    destination->manager.next_output_byte = destination->chunk;
    destination->manager.free_in_buffer = sizeof destination->chunk;
}

boolean JpegEmptyBuffer(j_compress_ptr cinfo) {
    auto* destination = reinterpret_cast<JpegDestination*>(cinfo->dest);
    if (!AppendChunk(destination, sizeof destination->chunk))
        ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
    destination->manager.next_output_byte = destination->chunk;
    destination->manager.free_in_buffer = sizeof destination->chunk;
    return TRUE;
}

void JpegTermDestination(j_compress_ptr cinfo) {
    auto* destination = reinterpret_cast<JpegDestination*>(cinfo->dest);
    if (!AppendChunk(destination, sizeof destination->chunk - destination->manager.free_in_buffer))
        ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
}

// Runs the compressor over rows of B, G, R, x pixels. Only plain data lives in this frame, so
// that the longjmp of an error skips no destructor. Returns false with errors.message set.
bool RunCompressor(jpeg_compress_struct& cinfo, JpegErrors& errors, JpegDestination& destination,
                   const uint8_t* const* rows, int width, int height, int quality) {
    cinfo.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = JpegErrorExit;
    errors.manager.output_message = JpegIgnoreMessage;
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    destination.manager.init_destination = JpegInitDestination;
    destination.manager.empty_output_buffer = JpegEmptyBuffer;
    destination.manager.term_destination = JpegTermDestination;
    cinfo.dest = &destination.manager;

    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 4;
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    cinfo.in_color_space = JCS_EXT_BGRX;
#else
    cinfo.in_color_space = JCS_EXT_XRGB;
#endif
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    cinfo.density_unit = 1; // dots per inch
    cinfo.X_density = 96;
    cinfo.Y_density = 96;
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rows[cinfo.next_scanline]);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

// ---- SVG ----

std::string Hex(QRgb rgb) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", qRed(rgb), qGreen(rgb), qBlue(rgb));
    return text;
}

std::string SvgOpen(int width, int height) {
    const std::string w = std::to_string(width), h = std::to_string(height);
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" +
           w + "\" height=\"" + h + "\" viewBox=\"0 0 " + w + " " + h + "\">\n";
}

std::string SvgRect(int64_t x, int64_t y, int64_t w, int64_t h, QRgb color) {
    return "<rect x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\" width=\"" +
           std::to_string(w) + "\" height=\"" + std::to_string(h) + "\" fill=\"" + Hex(color) + "\"/>\n";
}

// XML character data: markup characters escaped, characters XML cannot carry replaced.
std::string XmlText(const QString& text) {
    QString escaped;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == '&')
            escaped += QStringLiteral("&amp;");
        else if (u == '<')
            escaped += QStringLiteral("&lt;");
        else if (u == '>')
            escaped += QStringLiteral("&gt;");
        else if (u == '"')
            escaped += QStringLiteral("&quot;");
        else if ((u < 0x20 && u != '\t') || u == 0xFFFE || u == 0xFFFF || c.isSurrogate())
            escaped += QChar(0xFFFD);
        else
            escaped += c;
    }
    return escaped.toStdString();
}

// A CSS font family list: the face as named, the face it is drawn in here, a generic family.
std::string FontFamilies(const TFont& font) {
    QStringList names;
    for (const QString& name : {Cp932ToQString(font.Name), ToQFont(font).families().value(0)}) {
        QString clean = name;
        clean.remove(QLatin1Char('\'')).remove(QLatin1Char('"')).remove(QLatin1Char('\\'));
        if (!clean.isEmpty() && !names.contains(clean))
            names << QLatin1Char('\'') + clean + QLatin1Char('\'');
    }
    names << QStringLiteral("sans-serif");
    return XmlText(names.join(QStringLiteral(", ")));
}

std::vector<uint8_t> Bytes(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

// The 32-bit bitmap of a metafile's drawing, for the raster formats.
Bitmap Rendered(const Metafile& metafile) {
    if (metafile.IsEmpty())
        throw ImageError("the picture is empty");
    const QImage image = metafile.ToImage();
    if (image.isNull())
        throw ImageError("not enough memory to render a picture of " + std::to_string(metafile.Width) +
                         " x " + std::to_string(metafile.Height) + " pixels");
    return Bitmap::FromImage(image);
}

std::vector<uint8_t> Encode(const Picture& picture, const std::string& type) {
    if (const auto* bitmap = std::get_if<Bitmap>(&picture)) {
        if (type == "bmp")
            return EncodeBmp(*bitmap);
        if (type == "jpeg")
            return EncodeJpeg(*bitmap);
        if (type == "png")
            return EncodePng(*bitmap);
        if (type == "svg")
            return Bytes(EncodeSvg(*bitmap));
        if (type == "emf" || type == "wmf")
            throw ImageError("a bitmap picture cannot be saved as " + type +
                             "; draw the symbol as a metafile for vector files");
    } else if (const auto* metafile = std::get_if<Metafile>(&picture)) {
        if (type == "emf")
            return WriteEmf(*metafile);
        if (type == "wmf")
            return WriteWmf(*metafile);
        if (type == "svg")
            return Bytes(EncodeSvg(*metafile));
        if (type == "png")
            return EncodePng(Rendered(*metafile));
        if (type == "bmp")
            return EncodeBmp(Rendered(*metafile));
        if (type == "jpeg")
            return EncodeJpeg(Rendered(*metafile));
    } else {
        throw ImageError("there is no picture to save");
    }
    throw ImageError("unknown image type \"" + type + "\" (bmp, jpeg, png, svg, emf or wmf)");
}

} // namespace

std::vector<uint8_t> EncodeBmp(const Bitmap& bitmap) {
    if (bitmap.IsEmpty())
        throw ImageError("an empty picture cannot be written as a bitmap file");
    const int bpp = bitmap.BitsPerPixel();
    if (!IsFileDepth(bpp))
        throw ImageError(std::to_string(bpp) + " bits per pixel cannot be written as a bitmap file");
    const uint32_t colors = bpp <= 8 ? 1u << bpp : 0;
    const uint32_t offBits = 14 + 40 + 4 * colors;
    const auto stride = static_cast<uint64_t>(bitmap.Stride());
    const uint64_t imageSize = stride * static_cast<uint64_t>(bitmap.Height());
    if (offBits + imageSize > std::numeric_limits<uint32_t>::max())
        throw ImageError("a picture of " + std::to_string(bitmap.Width()) + " x " +
                         std::to_string(bitmap.Height()) + " pixels is too large for a bitmap file");

    std::vector<uint8_t> out;
    out.reserve(offBits + imageSize);
    // BITMAPFILEHEADER
    out.push_back('B');
    out.push_back('M');
    Put32(out, static_cast<uint32_t>(offBits + imageSize));
    Put32(out, 0);
    Put32(out, offBits);
    // BITMAPINFOHEADER: positive height, rows bottom-up
    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(bitmap.Width()));
    Put32(out, static_cast<uint32_t>(bitmap.Height()));
    Put16(out, 1);
    Put16(out, static_cast<uint32_t>(bpp));
    Put32(out, 0); // BI_RGB (16 bits: x1R5G5B5)
    Put32(out, static_cast<uint32_t>(imageSize));
    Put32(out, kPixelsPerMeter);
    Put32(out, kPixelsPerMeter);
    Put32(out, colors);
    Put32(out, 0);
    for (uint32_t i = 0; i < colors; ++i) {
        const QRgb c = i < bitmap.Palette.size() ? bitmap.Palette[i] : qRgb(0, 0, 0);
        out.push_back(static_cast<uint8_t>(qBlue(c)));
        out.push_back(static_cast<uint8_t>(qGreen(c)));
        out.push_back(static_cast<uint8_t>(qRed(c)));
        out.push_back(0);
    }
    const auto used = static_cast<size_t>((static_cast<int64_t>(bitmap.Width()) * bpp + 7) / 8);
    const int spare = static_cast<int>((static_cast<int64_t>(bitmap.Width()) * bpp) % 8);
    for (int y = bitmap.Height() - 1; y >= 0; --y) {
        const size_t start = out.size();
        const uint8_t* row = bitmap.Row(y);
        out.insert(out.end(), row, row + used);
        out.resize(start + static_cast<size_t>(stride), 0);
        if (spare != 0) // bits after the last pixel are zero
            out[start + used - 1] = static_cast<uint8_t>(out[start + used - 1] & (0xFF00 >> spare));
        if (bpp == 32) // the fourth byte of BI_RGB is reserved: zero
            for (size_t i = start + 3; i < start + used; i += 4)
                out[i] = 0;
    }
    return out;
}

std::vector<uint8_t> EncodeJpeg(const Bitmap& bitmap, int quality) {
    if (bitmap.IsEmpty())
        throw ImageError("an empty picture cannot be written as JPEG");
    QImage converted;
    std::vector<const uint8_t*> rows(static_cast<size_t>(bitmap.Height()));
    if (bitmap.BitsPerPixel() == 32) {
        for (int y = 0; y < bitmap.Height(); ++y)
            rows[static_cast<size_t>(y)] = bitmap.Row(y);
    } else {
        converted = bitmap.ToImage();
        if (converted.isNull())
            throw ImageError("not enough memory to convert the picture for JPEG");
        for (int y = 0; y < bitmap.Height(); ++y)
            rows[static_cast<size_t>(y)] = converted.constScanLine(y);
    }

    std::vector<uint8_t> out;
    jpeg_compress_struct cinfo{};
    JpegErrors errors{};
    auto destination = std::make_unique<JpegDestination>();
    destination->out = &out;
    if (!RunCompressor(cinfo, errors, *destination, rows.data(), bitmap.Width(), bitmap.Height(), quality))
        throw ImageError(std::string("JPEG: ") + errors.message);
    return out;
}

std::vector<uint8_t> EncodePng(const Bitmap& bitmap) {
    if (bitmap.IsEmpty())
        throw ImageError("an empty picture cannot be written as PNG");
    QImage image = bitmap.ToImage();
    if (image.isNull())
        throw ImageError("not enough memory to convert the picture for PNG");
    image.setDotsPerMeterX(kPixelsPerMeter);
    image.setDotsPerMeterY(kPixelsPerMeter);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        throw ImageError("the PNG writer failed");
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

std::string EncodeSvg(const Bitmap& bitmap) {
    if (bitmap.IsEmpty())
        throw ImageError("an empty picture cannot be written as SVG");
    const QImage image = bitmap.ToImage();
    if (image.isNull())
        throw ImageError("not enough memory to convert the picture for SVG");
    const int w = image.width(), h = image.height();
    std::string svg = SvgOpen(w, h);
    svg += "<g shape-rendering=\"crispEdges\">\n";
    const QRgb background = image.pixel(0, 0);
    svg += SvgRect(0, 0, w, h, background);
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < w;) {
            int end = x + 1;
            while (end < w && row[end] == row[x])
                ++end;
            if (row[x] != background)
                svg += SvgRect(x, y, end - x, 1, row[x]);
            x = end;
        }
    }
    svg += "</g>\n</svg>\n";
    return svg;
}

std::string EncodeSvg(const Metafile& metafile) {
    if (metafile.IsEmpty())
        throw ImageError("an empty picture cannot be written as SVG");
    std::string svg = SvgOpen(metafile.Width, metafile.Height);
    svg += "<g shape-rendering=\"crispEdges\">\n";
    for (const auto& record : metafile.Records) {
        if (const auto* fill = std::get_if<MetaFill>(&record)) {
            if (fill->left < fill->right && fill->top < fill->bottom)
                svg += SvgRect(fill->left, fill->top, int64_t{fill->right} - fill->left,
                               int64_t{fill->bottom} - fill->top, ResolveColor(fill->color));
            continue;
        }
        const auto& text = std::get<MetaText>(record);
        const TextLayout layout = LayOutText(text.text, text.font);
        if (layout.Text.isEmpty())
            continue;
        svg += SvgRect(text.x, text.y, layout.Width, layout.Height, ResolveColor(text.background));
        std::string style;
        if (text.font.Bold)
            style += " font-weight=\"bold\"";
        if (text.font.Italic)
            style += " font-style=\"italic\"";
        if (text.font.Underline || text.font.StrikeOut)
            style += std::string(" text-decoration=\"") + (text.font.Underline ? "underline" : "") +
                     (text.font.Underline && text.font.StrikeOut ? " " : "") +
                     (text.font.StrikeOut ? "line-through" : "") + "\"";
        // textLength keeps the measured box when the reader draws in another font
        svg += "<text x=\"" + std::to_string(text.x) + "\" y=\"" +
               std::to_string(int64_t{text.y} + layout.Ascent) + "\" font-family=\"" +
               FontFamilies(text.font) + "\" font-size=\"" + std::to_string(ToQFont(text.font).pixelSize()) +
               "px\"" + style + " fill=\"" + Hex(ResolveColor(text.font.Color)) + "\" textLength=\"" +
               std::to_string(layout.Width) + "\" lengthAdjust=\"spacingAndGlyphs\" xml:space=\"preserve\">" +
               XmlText(layout.Text) + "</text>\n";
    }
    svg += "</g>\n</svg>\n";
    return svg;
}

std::string ImageTypeOf(const std::string& fileName) {
    const size_t slash = fileName.find_last_of('/');
    const std::string name = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    if (dot == std::string::npos || dot == 0)
        return std::string();
    std::string extension = name.substr(dot + 1);
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension == "jpg" || extension == "jpeg")
        return "jpeg";
    if (extension == "bmp" || extension == "png" || extension == "svg" || extension == "emf" ||
        extension == "wmf")
        return extension;
    return std::string();
}

void SavePicture(const Picture& picture, const std::string& type, const std::string& fileName) {
    std::vector<uint8_t> bytes;
    try {
        bytes = Encode(picture, type);
    } catch (const ImageError& e) {
        throw ImageError(fileName + ": " + e.what());
    } catch (const std::bad_alloc&) {
        throw ImageError(fileName + ": not enough memory to encode the picture");
    } catch (const std::length_error&) {
        throw ImageError(fileName + ": the picture is too large to encode");
    }
    try {
        WriteFileAtomically(fileName, bytes, shared::kSavedFile);
    } catch (const FileWriteError& e) {
        throw ImageError(e.what());
    }
}

} // namespace zarvo::component
