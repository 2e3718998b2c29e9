// What the fuzz targets share: a check that stops the run with the failed condition, and a
// scratch directory for the targets that must go through real files.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

// Unlike assert, stays on whatever the build type; libFuzzer saves the input that tripped it.
#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);               \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (0)

namespace zarvo::fuzz {

// A directory of this process, on /dev/shm when it can be written (no disk traffic per input),
// else under $TMPDIR or /tmp; removed with its files when the process exits normally.
const std::string& ScratchDir();

// Writes the bytes as the whole file (created or truncated); aborts when it cannot.
void WriteWholeFile(const std::string& path, const std::string& bytes);

} // namespace zarvo::fuzz
