#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/ and runs each one for
# FUZZ_SECONDS (default 60) on a copy of its seed corpus. Exits non-zero when a
# target finds a crash, a leak or a sanitizer report.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${FUZZ_BUILD_DIR:-$root/build-fuzz}"
seconds="${FUZZ_SECONDS:-60}"

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DTESSALYN_FUZZ=ON \
    -DTESSALYN_BUILD_GUI=OFF -DTESSALYN_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
targets=(history_reader overlay_reader content_loader case_state)
# The overlay has 2835 records: its inputs must be able to grow past that many
# line ends.
declare -A options=([overlay_reader]="-max_len=8192")
cmake --build "$build" -j "${FUZZ_JOBS:-2}" --target "${targets[@]/#/fuzz_}"

for target in "${targets[@]}"; do
    work="$build/fuzz-corpus/$target"
    mkdir -p "$work"
    cp -n "$root/tests/fuzz/corpus/$target"/* "$work"/ 2>/dev/null || true
    read -r -a extra <<<"${options[$target]:-}"
    echo "=== fuzz_$target for ${seconds}s ==="
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        "$build/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -rss_limit_mb=2048 \
        "${extra[@]}" -artifact_prefix="$build/fuzz-$target-" "$work"
done
