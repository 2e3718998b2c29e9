#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer + UndefinedBehaviorSanitizer) into
# build-fuzz/ and runs each for SECONDS (default 5) over its seed corpus tests/fuzz/corpus/NAME.
# Inputs found on the way are kept in build-fuzz/corpus/NAME (the committed seeds stay as they
# are), the input of a fault in build-fuzz/faults/NAME-*. Stops with status 1 at the first fault.
#   ./cmake/fuzz.sh                     the short run of ./cmake/test.sh
#   ./cmake/fuzz.sh 600                 ten minutes a target
#   ./cmake/fuzz.sh 60 encoder_fuzz     one target
# Reproduce a fault: build-fuzz/tests/fuzz/NAME build-fuzz/faults/NAME-crash-...
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-5}"
only="${2:-}"
build="${BUILD_FUZZ_DIR:-$root/build-fuzz}"
"$root/cmake/deps.sh"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cd "$root"
cmake --preset fuzz -B "$build" "${launcher[@]}" >/dev/null
cmake --build "$build" --target fuzz -j "$(nproc)"

# name                  max_len  malloc_limit_mb   (the largest input, the largest single block)
targets=(
  "objectstream_fuzz     65536    16"
  "param_fuzz            16384    64"
  "comments_fuzz         65536    64"
  "binary_notation_fuzz  16384    64"
  "encoder_fuzz          14185    64"
  "cli_options_fuzz       4096    16"
  "printtxt_fuzz         16384    64"
)

mkdir -p "$build/faults" "$build/logs"
for line in "${targets[@]}"; do
  read -r name maxlen malloc <<<"$line"
  [ -z "$only" ] || [ "$only" = "$name" ] || continue
  mkdir -p "$build/corpus/$name"
  dict=()
  [ -f "$root/tests/fuzz/$name.dict" ] && dict=(-dict="$root/tests/fuzz/$name.dict")
  log="$build/logs/$name.log"
  start=$SECONDS
  if "$build/tests/fuzz/$name" -max_total_time="$seconds" -max_len="$maxlen" -timeout=10 \
       -rss_limit_mb=1024 -malloc_limit_mb="$malloc" -print_final_stats=1 "${dict[@]}" \
       -artifact_prefix="$build/faults/$name-" \
       "$build/corpus/$name" "$root/tests/fuzz/corpus/$name" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "$name: ${runs:-?} inputs in $((SECONDS - start)) s, no fault"
  else
    echo "$name: FAULT (log: $log)"
    tail -n 40 "$log"
    exit 1
  fi
done
