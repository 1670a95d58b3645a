#!/bin/bash
# Installs what a fresh Debian 12 lacks, builds Quenlark and runs every test:
# unit and widget tests offscreen, then end-to-end tests under Xvfb.
set -euo pipefail
QLK_ROOT=$(cd "$(dirname "$0")" && pwd)
. "$QLK_ROOT/tools/deps.sh"
# shellcheck disable=SC2086
qlk_install_packages $QLK_RUN_PACKAGES $QLK_TEST_PACKAGES
qlk_build "$QLK_ROOT/build"
cd "$QLK_ROOT/build"
ctest --output-on-failure --timeout 300
