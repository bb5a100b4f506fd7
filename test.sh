#!/usr/bin/env bash
# Installs what is missing, builds in build/ and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")"
# shellcheck source=scripts/common.sh
source scripts/common.sh

ensure_packages "${TESSALYN_PACKAGES[@]}"
# The tests (and the benchmarks, which must keep compiling) are switched on
# whatever an earlier ./run.sh left in the cache, and a build without any test
# fails instead of passing quietly.
build_into build -DTESSALYN_BUILD_TESTS=ON -DTESSALYN_BUILD_BENCH=ON
ctest --test-dir build --output-on-failure --no-tests=error -j "$(nproc)"
