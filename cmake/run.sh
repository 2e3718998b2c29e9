#!/usr/bin/env bash
# Builds and starts the program: for now the command-line encoder, drawing a symbol of the
# given text (or of a greeting) in the terminal.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/cmake/build.sh" >/dev/null
exec "${BUILD_DIR:-$root/build}/cli/zarvo-encode" "${@:-Zarvo QRコード}"
