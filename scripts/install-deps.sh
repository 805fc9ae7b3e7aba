#!/bin/sh
# Installs every Debian 12 package the build, the tests and the demo need.
# Idempotent: packages already present are not touched, and apt is not even
# consulted when nothing is missing.
set -eu

PACKAGES="
build-essential
cmake
pkg-config
qt6-base-dev
qt6-base-dev-tools
qt6-svg-dev
libgl-dev
libsqlite3-dev
sqlite3
libjpeg62-turbo-dev
mdbtools
mdbtools-dev
xvfb
xauth
"

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done

if [ -z "$missing" ]; then
    exit 0
fi

echo "Installing:$missing"
SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
# shellcheck disable=SC2086
$SUDO apt-get install -y -qq --no-install-recommends $missing
