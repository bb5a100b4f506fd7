#!/usr/bin/env bash
# Start-up time of the desktop program as a whole process: from the process
# start to the main window shown, with "Startverzögerung" 0 (the splash window
# closes at its first tick). The program runs headless (QT_QPA_PLATFORM=
# offscreen) with its settings in a temporary folder and its --startup-probe
# option, which closes the main window as soon as it has been shown.
#
# Usage: bench/startup.sh [BUILD_DIR] [RUNS]     (defaults: build, 21)
# Prints every run's time and the median in milliseconds; exits 1 when the
# median is 400 ms or more.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
runs=${2:-21}
program=$(cd "$build" 2>/dev/null && pwd)/src/tessalyn
limit_ms=400

if [ ! -x "$program" ]; then
    echo "startup.sh: $program not found; build the target tessalyn first" >&2
    exit 2
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/config/Korvanei" "$work/cwd"
# The settings file as the program writes it; the key is "Startverzögerung".
printf '[General]\nStartverz%%F6gerung=0\n' >"$work/config/Korvanei/Tessalyn.conf"

export XDG_CONFIG_HOME=$work/config
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
cd "$work/cwd"

# One warm-up run: the first start reads fonts and libraries from disk.
"$program" --startup-probe >/dev/null 2>&1

if command -v hyperfine >/dev/null 2>&1; then
    hyperfine -N --warmup 2 --runs "$runs" --export-json "$work/h.json" \
        "$program --startup-probe" >&2
    median_ms=$(python3 -c 'import json,sys; print(round(json.load(open(sys.argv[1]))["results"][0]["median"]*1000))' "$work/h.json")
else
    times=()
    for _ in $(seq "$runs"); do
        start=$(date +%s%N)
        "$program" --startup-probe >/dev/null 2>&1
        end=$(date +%s%N)
        times+=($(((end - start) / 1000000)))
    done
    echo "runs (ms): ${times[*]}"
    median_ms=$(printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
fi

echo "start-up median: ${median_ms} ms (limit ${limit_ms} ms)"
if [ "$median_ms" -ge "$limit_ms" ]; then
    exit 1
fi
