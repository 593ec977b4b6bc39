#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite.
# With --sanitize, builds into build-asan with AddressSanitizer and
# UndefinedBehaviorSanitizer instead.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
if [ "${1:-}" = "--sanitize" ]; then
  build_dir=build-asan
  scripts/build.sh "$build_dir" -DTIDEMARK_SANITIZE=ON -DTIDEMARK_BUILD_BENCH=OFF
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
  export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp"
else
  build_dir=build
  scripts/build.sh "$build_dir"
fi
ctest --test-dir "$build_dir" --output-on-failure -j"$(nproc)"
