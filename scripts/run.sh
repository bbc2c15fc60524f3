#!/usr/bin/env bash
# Builds the system, sets up the demo installation on the embedded default
# in ./demo (or the folder given as the first argument) and starts the host
# shell HaldenWorkCenter on it. The host prints the address to open in a
# browser; stop it with Ctrl+C.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default

target="${1:-$PWD/demo}"
build/default/bin/corvane-demo "$target"

# The program modules go into the client's module folder (C_PKG); the test
# program is installed beside the real one so that the host can be tried
# before every program exists.
for module in build/default/lib/Vorn21C.so build/default/lib/hostprograms/TestPrgC.so; do
  if [ -f "$module" ]; then cp -f "$module" "$target/client/C_PKG/"; fi
done

export CORVANE_REGISTRY="$target/registry.ini"
exec build/default/bin/HALDEN/HaldenWorkCenter "${@:2}"
