#!/bin/sh
# Installs what is missing, builds and runs every test.
set -e
cd "$(dirname "$0")"
sh tools/ensure_packages.sh
sh tools/build.sh
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
