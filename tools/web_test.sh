#!/bin/sh
# Builds the test tree and the demo's web site over it (tools/setup.sh test: Emscripten,
# the libraries' cache, Chromium, puppeteer-core), then runs the browser tests: the wasm
# sortie-replay against the native one on every route, and the pages in headless Chromium.
set -eu
cd "$(dirname "$0")/.."
case "${1:-}" in
-h | --help) echo "usage: tools/web_test.sh"; exit 0 ;;
--version) echo "tools/web_test.sh"; exit 0 ;;
"") ;;
*) echo "tools/web_test.sh: takes no arguments (usage: tools/web_test.sh)" >&2; exit 2 ;;
esac
sh tools/setup.sh test
exec ctest --preset web
