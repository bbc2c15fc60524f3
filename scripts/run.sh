#!/usr/bin/env bash
# Builds the system, sets up the demo installation in ./demo (or the folder
# given as the first argument) and starts the host shell HaldenWorkCenter
# on it:
#   - corvane-demo writes the client and server folders, the registry
#     stand-in, CorvaneC.ini and CorvaneS.ini, and the SQLite system database
#     server/corvane.db with the demo company DEMO and its users;
#   - the program modules built so far, and the test program TestPrg, go
#     into the client's module folder;
#   - HaldenWorkCenter runs the application server in its own process (the
#     client's server address is 127.0.0.1) and prints the address to open
#     in a browser. Stop it with Ctrl+C.
# Further arguments go to HaldenWorkCenter (--port N, --web FOLDER).
# CORVANE_BUILD_DIR chooses another build folder than build/default.
set -euo pipefail
cd "$(dirname "$0")/.."

build="${CORVANE_BUILD_DIR:-build/default}"
bash scripts/deps.sh
cmake --preset default -B "$build" >/dev/null
cmake --build "$build"

target="${1:-$PWD/demo}"
"$build/bin/corvane-demo" "$target"

# The program modules go into the client's module folder (C_PKG); the test
# program is installed beside the real one so that the host can be tried
# before every program exists.
for module in "$build"/lib/*C.so "$build/lib/hostprograms/TestPrgC.so"; do
  if [ -f "$module" ]; then cp -f "$module" "$target/client/C_PKG/"; fi
done

export CORVANE_REGISTRY="$target/registry.ini"
exec "$build/bin/HALDEN/HaldenWorkCenter" "${@:2}"
