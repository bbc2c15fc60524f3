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

# One throwaway PostgreSQL cluster for the run; the storage suites clone a
# database per test from its template. Stopped and removed on every exit.
pg_dir=$(mktemp -d "${TMPDIR:-/tmp}/corvane-pg.XXXXXX")
trap 'bash scripts/pg-test-cluster.sh stop "$pg_dir"' EXIT
CORVANE_PG_URL=$(bash scripts/pg-test-cluster.sh start "$pg_dir")
export CORVANE_PG_URL

ctest --preset "$preset"

# The browser client: golden frames and unit tests with node, then the
# journeys in headless Chromium against the demonstration host.
bash scripts/browser-tests.sh "build/$preset/bin/host_web_demo" "build/$preset/bin"
