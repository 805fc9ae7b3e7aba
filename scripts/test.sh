#!/bin/sh
# Builds everything and runs the whole test suite headless.
set -eu
cd "$(dirname "$0")/.."
sh scripts/build.sh
BUILD_DIR=${BUILD_DIR:-build}
export QT_QPA_PLATFORM=offscreen
cd "$BUILD_DIR"
ctest --output-on-failure -j2
