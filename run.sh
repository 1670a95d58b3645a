#!/bin/bash
# Installs what a fresh Debian (12, 13 or testing/unstable) lacks, builds Quenlark and starts it.
# `./run.sh --build-only` stops after the build (CI uses it to run the
# README's two commands in order without a desktop).
set -euo pipefail
QLK_ROOT=$(cd "$(dirname "$0")" && pwd)
. "$QLK_ROOT/tools/deps.sh"
build_only=false
case "${1-}" in
    "") ;;
    --build-only) build_only=true ;;
    *)
        echo "usage: $0 [--build-only]" >&2
        exit 2
        ;;
esac
# shellcheck disable=SC2086
qlk_install_packages $QLK_RUN_PACKAGES
qlk_build "$QLK_ROOT/build" -DQLK_TESTS=OFF
$build_only && exit 0
exec "$QLK_ROOT/build/bin/quenlark"
