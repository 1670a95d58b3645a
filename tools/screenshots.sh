#!/bin/bash
# Retakes the README's pictures in docs/ from the program built in BUILD
# (default: build), under a private X server with fresh HOME and XDG folders,
# with a real javac compile. Needs what the end-to-end tests need (Xvfb,
# openbox, wmctrl, xdotool, python3-pyatspi), imagemagick, and a JDK;
# optipng shrinks the files when it is installed.
#   tools/screenshots.sh [BUILD]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
program="$build/bin/quenlark"
if [ ! -x "$program" ]; then
    echo "no program at $program: build first (cmake --build $build)" >&2
    exit 1
fi
exec "$root/tests/e2e/run-in-xvfb.sh" /usr/bin/python3 "$root/tools/screenshots.py" "$program" "$root/docs"
