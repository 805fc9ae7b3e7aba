#!/bin/sh
# Configures and builds everything into build/ (or $BUILD_DIR).
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
BUILD_DIR=${BUILD_DIR:-build}
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc 2>/dev/null || echo 2)"
