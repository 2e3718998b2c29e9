#include "cli/command.h"

#include "cli/job.h"
#include "cli/symbol.h"
#include "component/picture/imagefiles.h"
#include "shared/cp932.h"
#include "shared/filewrite.h"

#include <QGuiApplication>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace zarvo::cli {

namespace {

std::string Quoted(const std::string& s) {
    return "\"" + s + "\"";
}

std::string Lower(std::string s) {
    for (auto& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

QtMessageHandler previousQtHandler = nullptr;

// Qt warns on every start without a runtime directory, which a command-line tool does not need;
// everything else Qt says is passed on.
void FilterQtMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")))
        return;
    previousQtHandler(type, context, message);
}

// A GUI application on the offscreen platform (unless QT_QPA_PLATFORM names another) for the
// length of one command, when none runs yet.
class GuiApplication {
  public:
    GuiApplication() {
        if (QCoreApplication::instance())
            return;
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        previousQtHandler = qInstallMessageHandler(FilterQtMessages);
        // Qt would take options such as --reverse out of a real argument list, so it gets none
        static int argc = 1;
        static char name[] = "zarvo-encode";
        static char* argv[] = {name, nullptr};
        application_.emplace(argc, argv);
    }
    ~GuiApplication() {
        if (application_) {
            application_.reset();
            qInstallMessageHandler(previousQtHandler);
        }
    }
    GuiApplication(const GuiApplication&) = delete;
    GuiApplication& operator=(const GuiApplication&) = delete;

  private:
    std::optional<QGuiApplication> application_;
};

} // namespace

OutputType TypeForFile(const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = base.rfind('.');
    if (dot == std::string::npos || dot == 0)
        return OutputType::Pbm;
    const std::string ext = Lower(base.substr(dot));
    if (ext == ".pbm")
        return OutputType::Pbm;
    if (ext == ".txt")
        return OutputType::Utf8;
    const std::string image = component::ImageTypeOf(base);
    static const struct {
        const char* name;
        OutputType type;
    } kImages[] = {{"bmp", OutputType::Bmp}, {"jpeg", OutputType::Jpeg}, {"png", OutputType::Png},
                   {"svg", OutputType::Svg}, {"emf", OutputType::Emf},   {"wmf", OutputType::Wmf}};
    for (const auto& known : kImages)
        if (image == known.name)
            return known.type;
    static const char* const kOtherImages[] = {".gif", ".eps", ".ps",   ".tif", ".tiff",
                                               ".xpm", ".pdf", ".webp", ".ico"};
    for (const char* other : kOtherImages)
        if (ext == other)
            throw UsageError("cannot write " + ext + " pictures; write BMP, JPEG, PNG, SVG, EMF or WMF");
    throw UsageError("cannot tell the output type of " + Quoted(path) +
                     " from its extension; use -t PBM, UTF8, ASCII, BMP, JPEG, PNG, SVG, EMF or WMF");
}

std::string ReadAll(std::FILE* in, const std::string& name, size_t limit) {
    std::string data;
    char buf[65536];
    while (data.size() <= limit) {
        const size_t n = std::fread(buf, 1, sizeof buf, in);
        data.append(buf, n);
        if (n < sizeof buf) {
            if (std::ferror(in))
                throw IoError("cannot read " + name + ": " + std::strerror(errno));
            break;
        }
    }
    if (data.size() > limit + 1)
        data.resize(limit + 1);
    return data;
}

int RunCommand(const std::vector<std::string>& args, const Streams& streams) {
    // A mistake on the command line gets a pointer to the help, as common tools give, rather than
    // the whole help, which would scroll the reason out of sight
    const auto fail = [&](int status, const std::string& message, bool usage) {
        std::fprintf(streams.err, "%s: %s\n", kProgramName, message.c_str());
        if (usage)
            std::fprintf(streams.err, "Try '%s --help' for more information.\n", kProgramName);
        std::fflush(streams.err);
        return status;
    };
    const auto finishStdout = [&] {
        if (std::fflush(streams.out) != 0 || std::ferror(streams.out))
            return fail(kExitUsage, "cannot write standard output: " + std::string(std::strerror(errno)),
                        false);
        return kExitOk;
    };

    Options options;
    OutputType type = OutputType::Pbm;
    try {
        options = ParseArguments(args);
        if (options.help) {
            std::fputs(UsageText(), streams.out);
            return finishStdout();
        }
        if (options.version) {
            std::fprintf(streams.out, "%s\n", VersionText().c_str());
            return finishStdout();
        }
        if (options.type)
            type = *options.type;
        else if (options.output == "-")
            type = streams.outIsTerminal ? OutputType::Utf8 : OutputType::Pbm;
        else
            type = TypeForFile(options.output);
        if (IsImage(type) && options.output == "-" && streams.outIsTerminal)
            throw UsageError(std::string(TypeName(type)) +
                             " pictures are not written to a terminal; write to a file with -o FILE");
        // The component never turns a metafile; say so rather than ignore the option
        if ((type == OutputType::Emf || type == OutputType::Wmf) && (options.angle != 0 || options.reverse))
            throw UsageError(std::string(TypeName(type)) +
                             " pictures cannot be turned or mirrored (--angle, --reverse); write BMP, "
                             "JPEG, PNG or SVG");
    } catch (const UsageError& e) {
        return fail(kExitUsage, e.what(), true);
    }

    // Read the data text; with the tilde notation it may be up to four times the data it makes
    std::string code;
    const auto limit = static_cast<size_t>(options.binary ? 4 * EncodeJob::kMaxData : EncodeJob::kMaxData);
    try {
        switch (options.source) {
        case Source::Text:
            code = shared::Utf8ToCp932(options.text);
            break;
        case Source::File: {
            std::FILE* f = std::fopen(options.file.c_str(), "rb");
            if (!f)
                throw IoError("cannot read " + Quoted(options.file) + ": " + std::strerror(errno));
            try {
                code = ReadAll(f, Quoted(options.file), limit);
            } catch (...) {
                std::fclose(f);
                throw;
            }
            std::fclose(f);
            break;
        }
        case Source::StandardInput:
            code = ReadAll(streams.in, "standard input", limit);
            break;
        }
    } catch (const shared::TextError& e) {
        return fail(kExitUsage, e.what(), true);
    } catch (const IoError& e) {
        return fail(kExitUsage, e.what(), false);
    }

    // Pictures need fonts and a painter: a GUI application, which needs no display offscreen
    std::optional<GuiApplication> application;
    if (IsImage(type)) {
        application.emplace();
        component::InstallFontSubstitutions();
    }

    // The component converts the text to the data (the tilde notation) and holds every setting
    component::TQRCode qr;
    SetUpComponent(qr);
    try {
        ApplyOptions(options, PictureFor(type), code, qr);
    } catch (const shared::TextError& e) {
        return fail(kExitUsage, e.what(), true);
    }
    code.clear();
    code.shrink_to_fit();
    if (options.binary && !qr.BinaryOperation())
        std::fprintf(streams.err,
                     "%s: warning: --binary: the data is not in the tilde notation (a tilde without its "
                     "closing tilde, or other than hexadecimal pairs between two tildes); it is encoded "
                     "as it is\n",
                     kProgramName);

    // Standard output, or a file replaced whole or not at all
    const auto writeOut = [&](const std::function<void(std::FILE*)>& produce) {
        try {
            if (options.output == "-") {
                produce(streams.out);
                return finishStdout();
            }
            shared::WriteFileAtomically(options.output, produce, shared::kCommandOutput);
        } catch (const shared::FileWriteError& e) {
            return fail(kExitUsage, e.what(), false);
        } catch (const WriteError& e) {
            return fail(kExitUsage, "cannot write standard output: " + std::string(std::strerror(e.Error())),
                        false);
        }
        return kExitOk;
    };

    // Divide, check and encode everything (choosing the version) before the output is touched
    EncodeJob job(options, qr.Data());
    if (const auto why = job.Prepare())
        return fail(kExitNotFit, *why, false);

    if (IsImage(type)) {
        qr.SetVersion(job.Encoder().Version);
        const auto size = [&] {
            return std::to_string(static_cast<int64_t>(qr.SymbolWidthA()) + qr.SymbolLeft()) + " x " +
                   std::to_string(static_cast<int64_t>(qr.SymbolHeightA()) + qr.SymbolTop()) + " pixels";
        };
        try {
            qr.SetSymbolEnabled(true); // draws once
        } catch (const encoder::EncodeError& e) {
            return fail(kExitNotFit, e.what(), false);
        } catch (const std::bad_alloc&) {
            return fail(kExitNotFit, "not enough memory for a picture of " + size(), false);
        } catch (const std::length_error&) {
            return fail(kExitNotFit, "not enough memory for a picture of " + size(), false);
        }
        if (qr.PictureTooLarge())
            return fail(kExitNotFit,
                        "the picture would be " + size() + ", more than the " +
                            std::to_string(component::kMaxPicturePixels) +
                            " a picture may hold; use a smaller --size or --spaces, or fewer symbols",
                        false);
        if (!qr.SymbolDisped())
            return fail(kExitNotFit, "the symbols could not be drawn", false);
        if (const auto warning = CommentRoomWarning(qr)) {
            std::fprintf(streams.err, "%s: warning: %s\n", kProgramName, warning->c_str());
            std::fflush(streams.err);
        }
        std::vector<uint8_t> bytes;
        try {
            bytes = EncodePicture(qr, type);
        } catch (const component::ImageError& e) {
            return fail(kExitNotFit, e.what(), false);
        } catch (const std::bad_alloc&) {
            return fail(kExitNotFit,
                        "not enough memory to write the " + std::string(TypeName(type)) + " picture of " +
                            size(),
                        false);
        }
        return writeOut([&](std::FILE* f) {
            if (std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size())
                throw WriteError(errno);
        });
    }
    return writeOut([&](std::FILE* f) { job.Write(type, f); });
}

} // namespace zarvo::cli
