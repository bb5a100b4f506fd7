#!/usr/bin/env bash
# Runs every libFuzzer target for FUZZ_SECONDS (default 60) each.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tests/fuzz/run_fuzz.sh
