#!/bin/bash
# Installs what a fresh Debian (12, 13 or testing/unstable) lacks, builds Quenlark and runs every test:
# unit and widget tests offscreen, the fuzz corpora, the install, and the
# end-to-end tests under Xvfb; then the whole suite again in a build with
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
QLK_ROOT=$(cd "$(dirname "$0")" && pwd)
. "$QLK_ROOT/tools/deps.sh"
# shellcheck disable=SC2086
qlk_install_packages $QLK_RUN_PACKAGES $QLK_TEST_PACKAGES

# The tests are switched on whatever an earlier ./run.sh left in the build
# folder's cache, and a run that finds no test fails.
qlk_build "$QLK_ROOT/build" -DQLK_TESTS=ON
(cd "$QLK_ROOT/build" && ctest --output-on-failure --no-tests=error --timeout 300)

echo "== The same suite under AddressSanitizer and UndefinedBehaviorSanitizer"
qlk_build "$QLK_ROOT/build-asan" -DQLK_SANITIZE=ON -DQLK_TESTS=ON
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd "$QLK_ROOT/build-asan" && ctest --output-on-failure --no-tests=error --timeout 300)
