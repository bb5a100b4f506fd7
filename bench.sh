#!/usr/bin/env bash
# Runs every benchmark of the project in one go:
#   - builds the benchmark programs and tessalyn-cli in build-bench/ (RelWithDebInfo,
#     the build type run.sh uses), unless BENCH_SKIP_BUILD=1;
#   - runs each bench/bench_*.cpp program with 5 repetitions and reports their
#     median, mean and spread (wall time and CPU time);
#   - measures whole processes as medians of several runs: `tessalyn-cli info`,
#     `tessalyn-cli evaluate` of a case of the 100 largest rubrics, and the
#     desktop program's start-up through bench/startup.sh.
# Whole processes are timed with hyperfine when it is installed (it is installed
# here when running as root), otherwise with a loop.
# Results: standard output, and build-bench/bench-results/ (one JSON file per
# program and summary.tsv with every median).
#
# Environment: BENCH_BUILD_DIR (default build-bench), BENCH_SKIP_BUILD=1 (use
# what is built there), BENCH_RUNS (whole-process runs, default 30),
# BENCH_FILTER (a --benchmark_filter regular expression for the programs).
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)
# shellcheck source=scripts/common.sh
source scripts/common.sh

build=${BENCH_BUILD_DIR:-build-bench}
case $build in /*) ;; *) build="$root/$build" ;; esac
runs=${BENCH_RUNS:-30}
results="$build/bench-results"

programs=()
for src in bench/bench_*.cpp; do
    programs+=("$(basename "$src" .cpp)")
done

build_failed=()
if [ "${BENCH_SKIP_BUILD:-0}" != 1 ]; then
    ensure_packages "${TESSALYN_PACKAGES[@]}"
    if ! command -v hyperfine >/dev/null && [ "$(id -u)" -eq 0 ]; then
        apt-get install -y -qq hyperfine >/dev/null 2>&1 || true
    fi
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSALYN_BUILD_TESTS=OFF \
        -DTESSALYN_BUILD_BENCH=ON >/dev/null
    targets=(tessalyn-cli "${programs[@]}")
    if [ -f bench/startup.sh ] && [ -f src/app/main.cpp ]; then
        targets+=(tessalyn)
    fi
    # One target at a time, so that a program that does not build is reported
    # and the others are still measured.
    for target in "${targets[@]}"; do
        if ! cmake --build "$build" -j "${BENCH_JOBS:-$(nproc)}" --target "$target"; then
            echo "--- $target: does not build" >&2
            build_failed+=("$target")
        fi
    done
fi

mkdir -p "$results"
rm -f "$results"/*.json "$results"/summary.tsv
# Nothing of the user's may change what is measured: no "orvento.lang", no
# settings, no case history.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config"
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="$work/runtime"
mkdir "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

echo "=== $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg) ==="

# --- Google Benchmark programs ------------------------------------------------
# A program that fails is reported at the end; the others still run.
failed=("${build_failed[@]}")
for name in "${programs[@]}"; do
    program="$build/bench/$name"
    if [ ! -x "$program" ]; then
        echo "--- $name: not built (skipped)"
        continue
    fi
    echo "--- $name"
    if ! (cd "$work" && "$program" --benchmark_repetitions=5 \
        --benchmark_report_aggregates_only=true --benchmark_filter="${BENCH_FILTER:-.}" \
        --benchmark_out="$results/$name.json" --benchmark_out_format=json); then
        failed+=("$name")
    fi
done

# --- Whole processes ----------------------------------------------------------
# measure NAME COMMAND...: median of $runs runs in milliseconds, into
# $results/process_NAME.json ({"median_ms": ..., "runs": [...]}).
measure() {
    local name=$1
    shift
    echo "--- $name: $*"
    if command -v hyperfine >/dev/null; then
        (cd "$work" && hyperfine -N --warmup 3 --runs "$runs" --style basic \
            --export-json "$results/hyperfine_$name.json" -- "$(printf '%q ' "$@")")
        python3 - "$results/hyperfine_$name.json" "$results/process_$name.json" <<'EOF'
import json, sys
r = json.load(open(sys.argv[1]))["results"][0]
times = [t * 1000 for t in r["times"]]
json.dump({"median_ms": r["median"] * 1000, "user_ms": r["user"] * 1000,
           "system_ms": r["system"] * 1000, "runs_ms": times}, open(sys.argv[2], "w"))
EOF
    else
        local times=()
        local i start end
        for ((i = 0; i < runs + 3; i++)); do
            start=$(date +%s%N)
            (cd "$work" && "$@" >/dev/null)
            end=$(date +%s%N)
            if [ "$i" -ge 3 ]; then
                times+=("$(((end - start) / 1000))")
            fi
        done
        python3 - "$results/process_$name.json" "${times[@]}" <<'EOF'
import json, statistics, sys
times = [int(t) / 1000 for t in sys.argv[2:]]
json.dump({"median_ms": statistics.median(times), "runs_ms": times}, open(sys.argv[1], "w"))
EOF
    fi
    python3 -c 'import json,sys; print("median %.1f ms" % json.load(open(sys.argv[1]))["median_ms"])' \
        "$results/process_$name.json"
}

cli="$build/src/tessalyn-cli"
if [ -x "$cli" ]; then
    measure cli_info "$cli" info
    # The 100 rubrics with the most entries (ties: the lower number first).
    mapfile -t largest < <("$cli" dump | awk -F'\t' '$1 == "rubric" { print $4 "\t" $2 }' |
        sort -t$'\t' -k1,1nr -k2,2n | head -n 100 | cut -f2)
    measure cli_evaluate_100 "$cli" evaluate -- "${largest[@]}"
else
    echo "--- tessalyn-cli: not built (skipped)"
fi

# bench/startup.sh BUILD_DIR RUNS prints "start-up median: N ms" and exits 1
# when N is over its limit; that is reported in the summary, not a failure here.
if [ -f bench/startup.sh ]; then
    echo "--- start-up of the desktop program (bench/startup.sh)"
    bash bench/startup.sh "$build" "$runs" 2>&1 | tee "$work/startup.txt" || true
    startup_ms=$(sed -n 's/^start-up median: \([0-9.]*\) ms.*/\1/p' "$work/startup.txt")
    if [ -n "$startup_ms" ]; then
        echo "{\"median_ms\": $startup_ms, \"runs_ms\": [], \"runs\": $runs}" \
            >"$results/process_startup.json"
    else
        failed+=(startup.sh)
    fi
fi

# --- Summary ------------------------------------------------------------------
python3 - "$results" <<'EOF'
import glob, json, os, sys
results = sys.argv[1]
rows = []
for path in sorted(glob.glob(os.path.join(results, "bench_*.json"))):
    program = os.path.basename(path)[:-5]
    try:
        benchmarks = json.load(open(path))["benchmarks"]
    except (ValueError, KeyError):  # nothing matched the filter, or the program failed
        continue
    for b in benchmarks:
        if b.get("aggregate_name") != "median":
            continue
        known = {"name", "family_index", "per_family_instance_index", "run_name", "run_type",
                 "repetitions", "threads", "aggregate_name", "aggregate_unit", "iterations",
                 "real_time", "cpu_time", "time_unit"}
        counters = " ".join("%s=%.4g" % (k, v) for k, v in b.items()
                            if k not in known and isinstance(v, (int, float)))
        if b.get("label"):
            counters = (counters + " " + b["label"]).strip()
        rows.append((program, b["run_name"], "%.3f" % b["real_time"], "%.3f" % b["cpu_time"],
                     b["time_unit"], counters))
for path in sorted(glob.glob(os.path.join(results, "process_*.json"))):
    r = json.load(open(path))
    cpu = ""
    if "user_ms" in r:
        cpu = "%.1f" % (r["user_ms"] + r["system_ms"])
    rows.append(("process", os.path.basename(path)[8:-5], "%.1f" % r["median_ms"], cpu, "ms",
                 "runs=%d" % r.get("runs", len(r["runs_ms"]))))
with open(os.path.join(results, "summary.tsv"), "w") as out:
    out.write("program\tbenchmark\tmedian wall\tmedian cpu\tunit\tcounters\n")
    for row in rows:
        out.write("\t".join(row) + "\n")
print("\n=== Medians (wall, cpu; whole processes: cpu = mean user + system) ===")
width = max((len(r[1]) for r in rows), default=10)
for program, name, wall, cpu, unit, counters in rows:
    print(f"{program:18} {name:{width}} {wall:>10} {cpu:>10} {unit:2}  {counters}")
print(f"\nsummary: {os.path.join(results, 'summary.tsv')}")
EOF

if [ "${#failed[@]}" -gt 0 ]; then
    echo "FAILED: ${failed[*]}" >&2
    exit 1
fi
