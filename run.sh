#!/bin/sh
# Installs what is missing, builds and starts Paperwake.
set -e
cd "$(dirname "$0")"
sh tools/ensure_packages.sh
if [ -z "$DISPLAY" ] && [ -z "$WAYLAND_DISPLAY" ]; then
    echo "No display found: Paperwake is a desktop program. Try: xvfb-run ./run.sh" >&2
    exit 1
fi
# Only the window and its application folder: the tests and benchmarks are test.sh's.
sh tools/build.sh paperwake paperwake-render stage_app
exec ./build/app/paperwake
