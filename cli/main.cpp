// zarvo-encode: QR Code symbols from the command line.
#include "cli/command.h"

#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return zarvo::cli::RunCommand(args, {stdin, stdout, stderr, isatty(STDOUT_FILENO) != 0});
}
