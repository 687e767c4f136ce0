#!/bin/sh
# Sets everything up, builds, and runs every test.
set -eu
cd "$(dirname "$0")"
sh tools/setup.sh
exec ctest --preset dev
