#!/usr/bin/env bash
# Runs every libFuzzer target within FUZZ_TOTAL_SECONDS (default 300, shared
# evenly) or FUZZ_SECONDS each; see tests/fuzz/run_fuzz.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tests/fuzz/run_fuzz.sh
