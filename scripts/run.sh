#!/usr/bin/env bash
# Builds the system and sets up the demo installation on the embedded
# default, in ./demo (or the folder given as the first argument).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default

target="${1:-$PWD/demo}"
build/default/bin/corvane-demo "$target"
