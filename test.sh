#!/usr/bin/env bash
# Installs what is missing, builds in build/ and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")"
# shellcheck source=scripts/common.sh
source scripts/common.sh

ensure_packages "${TESSALYN_PACKAGES[@]}"
build_into build
ctest --test-dir build --output-on-failure -j "$(nproc)"
