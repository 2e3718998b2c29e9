#!/usr/bin/env bash
# Builds and starts the desktop program. Its settings and data list files live beside the
# executable (build/app/), or in ~/.local/share/zarvo when that directory cannot be written.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/cmake/build.sh" >/dev/null
exec "${BUILD_DIR:-$root/build}/app/zarvo" "$@"
