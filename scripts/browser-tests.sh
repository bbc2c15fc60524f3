#!/usr/bin/env bash
# The browser client's tests: the golden-frame and unit tests with node's
# test runner (no browser), then the journeys through the demonstration
# form in headless Chromium.
#
#   scripts/browser-tests.sh BUILD_DIR/bin/host_web_demo
#
# Installs playwright-core into web/node_modules (npm ci) when it is
# missing; the browser is the system's Chromium (scripts/deps.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

demo="${1:?usage: scripts/browser-tests.sh PATH/TO/host_web_demo}"
demo="$(cd "$(dirname "$demo")" && pwd)/$(basename "$demo")"
[ -x "$demo" ] || { echo "No demonstration host at $demo (build the target host_web_demo)" >&2; exit 1; }

cd web
if [ ! -d node_modules/playwright-core ]; then
  npm ci --no-audit --no-fund
fi

node --test tests/frames.test.mjs tests/units.test.mjs
CORVANE_WEB_DEMO="$demo" node --test tests/browser/demo.test.mjs
