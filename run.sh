#!/bin/sh
# Installs what is missing, builds and starts Paperwake.
set -e
cd "$(dirname "$0")"
sh tools/ensure_packages.sh
sh tools/build.sh
if [ -z "$DISPLAY" ] && [ -z "$WAYLAND_DISPLAY" ]; then
    echo "No display found: Paperwake is a desktop program. Try: xvfb-run ./run.sh" >&2
    exit 1
fi
exec ./build/app/paperwake
