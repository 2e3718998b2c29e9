#include "cli/symbol.h"

#include "component/picture/imagefiles.h"
#include "shared/cp932.h"

#include <variant>

namespace zarvo::cli {

using component::TQRCode;

void SetUpComponent(TQRCode& qr) {
    component::SetUpAsMainSymbol(qr, 0);
}

component::TPictures PictureFor(OutputType type) {
    switch (type) {
    case OutputType::Emf:
        return component::picEMF;
    case OutputType::Wmf:
        return component::picWMF;
    default:
        return component::picBMP;
    }
}

void ApplyOptions(const Options& options, component::TPictures picture, const std::string& code,
                  TQRCode& qr) {
    // Convert the comments first: a comment CP932 cannot hold changes nothing
    std::string up, down;
    try {
        up = shared::Utf8ToCp932(options.commentUp);
    } catch (const shared::TextError& e) {
        throw shared::TextError(std::string("--comment-up: ") + e.what());
    }
    try {
        down = shared::Utf8ToCp932(options.commentDown);
    } catch (const shared::TextError& e) {
        throw shared::TextError(std::string("--comment-down: ") + e.what());
    }

    qr.SetBinaryOperation(options.binary);
    if (options.split)
        qr.SetMode(*options.split);
    if (options.count)
        qr.SetCount(*options.count);
    if (options.column)
        qr.SetColumn(*options.column);
    qr.SetNumbering(options.numbering);
    qr.SetSymbolSpaceUp(options.spaces.up);
    qr.SetSymbolSpaceDown(options.spaces.down);
    qr.SetSymbolSpaceLeft(options.spaces.left);
    qr.SetSymbolSpaceRight(options.spaces.right);
    if (options.symversion != 0)
        qr.SetVersion(options.symversion);
    qr.SetEmode(options.emode);
    qr.SetEclevel(options.level);
    qr.SetMasktype(options.mask);
    qr.SetPxmag(options.size);
    qr.SetAngle(options.angle);
    qr.SetReverse(options.reverse);
    if (options.foreground)
        qr.SetSymbolColor(*options.foreground);
    if (options.background)
        qr.SetBackColor(*options.background);
    qr.SetSymbolPicture(picture);

    qr.SetCommentUp(up);
    qr.SetCommentDown(down);
    qr.SetCode(code);
}

const char* ImageTypeName(OutputType type) {
    switch (type) {
    case OutputType::Bmp:
        return "bmp";
    case OutputType::Jpeg:
        return "jpeg";
    case OutputType::Png:
        return "png";
    case OutputType::Svg:
        return "svg";
    case OutputType::Emf:
        return "emf";
    case OutputType::Wmf:
        return "wmf";
    default:
        return "";
    }
}

std::optional<std::string> CommentRoomWarning(const TQRCode& qr) {
    // A comment is drawn when it has text, or when it gets the piece number (numbering on and
    // more than one symbol)
    const bool numbered = qr.Count() > 1 && qr.Numbering() != component::nbrNone;
    const auto measure = [&](const std::string& comment) -> int32_t {
        if (comment.empty() && !numbered)
            return 0;
        component::Metafile scratch;
        component::MetafileCanvas canvas(scratch);
        return canvas.TextExtent(comment.empty() ? std::string("1") : comment, qr.ComFont()).height();
    };
    const int32_t up = measure(qr.CommentUp());
    const int32_t down = measure(qr.CommentDown());
    if (up <= qr.SymbolSpaceUp() && down <= qr.SymbolSpaceDown())
        return std::nullopt;
    const int32_t high = std::max(up, down);
    return "the comments are " + std::to_string(high) + " pixels high, but --spaces leaves " +
           std::to_string(qr.SymbolSpaceUp()) + " above and " + std::to_string(qr.SymbolSpaceDown()) +
           " below each symbol: they cover the quiet zone or fall outside the picture (try --spaces " +
           std::to_string(std::max(up, qr.SymbolSpaceUp())) + "," +
           std::to_string(std::max(down, qr.SymbolSpaceDown())) + "," + std::to_string(qr.SymbolSpaceLeft()) +
           "," + std::to_string(qr.SymbolSpaceRight()) + ")";
}

std::vector<uint8_t> EncodePicture(const TQRCode& qr, OutputType type) {
    const auto asBytes = [](const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); };
    if (const auto* metafile = std::get_if<component::Metafile>(&qr.Picture())) {
        switch (type) {
        case OutputType::Emf:
            return component::WriteEmf(*metafile);
        case OutputType::Wmf:
            return component::WriteWmf(*metafile);
        case OutputType::Svg:
            return asBytes(component::EncodeSvg(*metafile));
        default:
            break;
        }
    } else if (const auto* bitmap = std::get_if<component::Bitmap>(&qr.Picture())) {
        switch (type) {
        case OutputType::Bmp:
            return component::EncodeBmp(*bitmap);
        case OutputType::Jpeg:
            return component::EncodeJpeg(*bitmap);
        case OutputType::Png:
            return component::EncodePng(*bitmap);
        case OutputType::Svg:
            return asBytes(component::EncodeSvg(*bitmap));
        default:
            break;
        }
    }
    throw component::ImageError(std::string("the picture cannot be written as ") + TypeName(type));
}

} // namespace zarvo::cli
