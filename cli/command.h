// The whole zarvo-encode command: arguments in, exit status out, with the streams passed in so
// that it runs inside a test as it does in the executable.
#pragma once

#include "cli/options.h"

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zarvo::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitNotFit = 1; // a piece does not fit, the picture would be too large, or an
                                      // internal inconsistency
inline constexpr int kExitUsage = 2;  // bad arguments, unreadable input, unwritable output

struct Streams {
    std::FILE* in;      // the data when neither TEXT nor -r is given
    std::FILE* out;     // "-o -"
    std::FILE* err;     // messages
    bool outIsTerminal; // decides the type for "-o -" without -t
};

// Runs the command with the arguments after the program name and returns the exit status.
// Nothing is written to the output until every piece has been encoded (and drawn). Pictures are
// drawn by the symbol component, which needs a QGuiApplication: when none runs, one is created
// for the call on the offscreen platform (unless QT_QPA_PLATFORM names another).
int RunCommand(const std::vector<std::string>& args, const Streams& streams);

// The output type for an -o name without -t, by its extension (any case): ".pbm" and no
// extension give PBM, ".txt" UTF8, ".bmp", ".jpg", ".jpeg", ".png", ".svg", ".emf" and ".wmf" the
// pictures. Throws UsageError for other picture types and unknown extensions.
OutputType TypeForFile(const std::string& path);

// An input or output that failed; what() is one line naming the file and the reason.
class IoError : public std::runtime_error {
  public:
    explicit IoError(const std::string& message) : std::runtime_error(message) {}
};

// Reads a whole stream; `name` is used in the message of the IoError. Reads at most limit + 1
// bytes, so that the caller can tell the input is longer than limit without holding all of it.
std::string ReadAll(std::FILE* in, const std::string& name, size_t limit);

} // namespace zarvo::cli
