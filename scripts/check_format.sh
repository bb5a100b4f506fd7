#!/usr/bin/env bash
# Fails when a C++ file of src, tests, tools or bench is not formatted as
# .clang-format says, naming each file and line.
set -euo pipefail
cd "$(dirname "$0")/.."
find src tests tools bench -path tests/fuzz/corpus -prune -o \
    \( -name '*.cpp' -o -name '*.h' -o -name '*.hpp' \) -print0 |
    xargs -0 clang-format --dry-run -Werror
