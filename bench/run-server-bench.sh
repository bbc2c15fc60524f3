#!/usr/bin/env bash
# Runs server_bench against a throwaway PostgreSQL cluster and stops the
# cluster afterwards, whatever the outcome.
#
#   bench/run-server-bench.sh [BUILD_DIR] [benchmark flags...]
#
# BUILD_DIR defaults to build/default; the flags go to server_bench
# (e.g. --benchmark_filter=FirstPacket).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build/default}
[ $# -gt 0 ] && shift
case "$build" in /*) ;; *) build="$root/$build" ;; esac
bench="$build/bin/server_bench"
[ -x "$bench" ] || { echo "run-server-bench: $bench not found (build the server_bench target)" >&2; exit 1; }

cluster=$(mktemp -d "${TMPDIR:-/tmp}/corvane-bench-pg.XXXXXX")
trap 'bash "$root/scripts/pg-test-cluster.sh" stop "$cluster"' EXIT
CORVANE_PG_URL=$(bash "$root/scripts/pg-test-cluster.sh" start "$cluster")
export CORVANE_PG_URL
"$bench" "$@"
