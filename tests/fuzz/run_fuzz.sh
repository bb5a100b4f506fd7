#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/ and runs each one on a
# copy of its seed corpus. The targets share FUZZ_TOTAL_SECONDS (default 300)
# evenly, at least 20 seconds each; FUZZ_SECONDS, when set, gives each target
# that long instead. Prints each target's runs and rate; exits non-zero when a
# target finds a crash, a leak or a sanitizer report.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${FUZZ_BUILD_DIR:-$root/build-fuzz}"

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DTESSALYN_FUZZ=ON \
    -DTESSALYN_BUILD_GUI=OFF -DTESSALYN_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
targets=(history_reader overlay_reader content_loader number_text search_text settings_values
    temporary_name backup_name proc_locks cli_arguments case_state)
# The overlay has 2835 records: its inputs must be able to grow past that many
# line ends.
declare -A options=([overlay_reader]="-max_len=8192")
cmake --build "$build" -j "${FUZZ_JOBS:-2}" --target "${targets[@]/#/fuzz_}"

total="${FUZZ_TOTAL_SECONDS:-300}"
seconds="${FUZZ_SECONDS:-$((total / ${#targets[@]}))}"
if [ "$seconds" -lt 20 ]; then
    seconds=20
fi

summary=()
for target in "${targets[@]}"; do
    work="$build/fuzz-corpus/$target"
    log="$build/fuzz-$target.log"
    mkdir -p "$work"
    cp -n "$root/tests/fuzz/corpus/$target"/* "$work"/ 2>/dev/null || true
    read -r -a extra <<<"${options[$target]:-}"
    echo "=== fuzz_$target for ${seconds}s ==="
    status=0
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        "$build/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -rss_limit_mb=2048 \
        "${extra[@]}" -artifact_prefix="$build/fuzz-$target-" "$work" >"$log" 2>&1 || status=$?
    runs=$(sed -n 's/^Done \([0-9]*\) runs in \([0-9]*\) second.*/\1 runs in \2 s/p' "$log")
    rate=$(sed -n 's/.*DONE .* exec\/s: \([0-9]*\) .*/\1/p' "$log")
    if [ "$status" -ne 0 ]; then
        tail -n 60 "$log"
        echo "fuzz_$target: FINDING (exit $status), input saved as $build/fuzz-$target-*"
        exit "$status"
    fi
    line="fuzz_$target: ${runs:-? runs}, ${rate:-?} exec/s, no finding"
    echo "$line"
    summary+=("$line")
done
echo "=== Fuzzing summary ==="
printf '%s\n' "${summary[@]}"
