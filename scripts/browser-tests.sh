#!/usr/bin/env bash
# The browser client's tests: the golden-frame and unit tests with node's
# test runner (no browser), then the journeys through the demonstration
# form in headless Chromium, and (with the bin folder as a second argument)
# the host shell's journey: HaldenWorkCenter on a throwaway demo
# installation with its application server in the process.
#
#   scripts/browser-tests.sh BUILD_DIR/bin/host_web_demo [BUILD_DIR/bin]
#
# The host journey needs corvane-demo, HALDEN/HaldenWorkCenter and
# BUILD_DIR/lib/hostprograms/TestPrgC.so built. Screenshots are written
# when CORVANE_SCREENSHOT_DIR names a folder.
# Installs playwright-core into web/node_modules (npm ci) when it is
# missing; the browser is the system's Chromium (scripts/deps.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

demo="${1:?usage: scripts/browser-tests.sh PATH/TO/host_web_demo}"
demo="$(cd "$(dirname "$demo")" && pwd)/$(basename "$demo")"
[ -x "$demo" ] || { echo "No demonstration host at $demo (build the target host_web_demo)" >&2; exit 1; }
bin=""
if [ -n "${2:-}" ]; then
  bin="$(cd "$2" && pwd)"
  for needed in "$bin/corvane-demo" "$bin/HALDEN/HaldenWorkCenter" "$bin/../lib/hostprograms/TestPrgC.so"; do
    [ -e "$needed" ] || { echo "Missing $needed (build corvane-demo, HaldenWorkCenter and TestPrgC)" >&2; exit 1; }
  done
fi

cd web
if [ ! -d node_modules/playwright-core ]; then
  npm ci --no-audit --no-fund
fi

node --test tests/frames.test.mjs tests/units.test.mjs
CORVANE_WEB_DEMO="$demo" node --test tests/browser/demo.test.mjs
if [ -n "$bin" ]; then
  CORVANE_BIN="$bin" CORVANE_TEST_PROGRAM="$bin/../lib/hostprograms/TestPrgC.so" node --test tests/browser/host.test.mjs
fi
