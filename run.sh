#!/bin/bash
# Installs what a fresh Debian 12 lacks, builds Quenlark and starts it.
set -euo pipefail
QLK_ROOT=$(cd "$(dirname "$0")" && pwd)
. "$QLK_ROOT/tools/deps.sh"
# shellcheck disable=SC2086
qlk_install_packages $QLK_RUN_PACKAGES
qlk_build "$QLK_ROOT/build" -DQLK_TESTS=OFF
exec "$QLK_ROOT/build/bin/quenlark"
