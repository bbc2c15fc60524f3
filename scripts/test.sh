#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
#
# The test build is -O1 -g with AddressSanitizer and UndefinedBehaviorSanitizer
# (preset "ci"). Set CORVANE_PRESET=default for the optimised build instead.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
bash scripts/check-sources.sh

preset="${CORVANE_PRESET:-ci}"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
ctest --preset "$preset"
