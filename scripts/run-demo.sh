#!/bin/sh
# Builds the program and starts it on the bundled demo database, from the
# demo folder where the build put demo.db and its SearchTool.ini.
set -eu
cd "$(dirname "$0")/.."
sh scripts/build.sh
BUILD_DIR=${BUILD_DIR:-build}
cd "$BUILD_DIR/demo"
exec ../bin/searchtool "$@"
