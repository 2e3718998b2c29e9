#!/usr/bin/env bash
# Builds everything and runs the whole test suite three ways: the release build's tests (build/),
# the same tests built with AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/, GCC,
# without the LibreOffice conversions, whose code the metafile tests already cover there), and
# each fuzz target for a few seconds over its seed corpus (build-fuzz/, clang; cmake/fuzz.sh).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
jobs="$(nproc)"
step() { echo "== $1 ($(date +%T))"; }

step "release build"
"$root/cmake/build.sh"
step "release tests"
ctest --test-dir "${BUILD_DIR:-$root/build}" --output-on-failure -j "$jobs"

step "sanitizer build"
asan="${BUILD_ASAN_DIR:-$root/build-asan}"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
(cd "$root" && cmake --preset asan -B "$asan" "${launcher[@]}" >/dev/null)
cmake --build "$asan" -j "$jobs"
step "sanitizer tests"
ctest --test-dir "$asan" --output-on-failure -j "$jobs" -LE libreoffice

step "fuzz targets"
"$root/cmake/fuzz.sh" "${ZARVO_FUZZ_SECONDS:-5}"
step "done"
