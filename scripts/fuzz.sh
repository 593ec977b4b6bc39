#!/usr/bin/env bash
# Builds the fuzz targets of tests/fuzz with clang and libFuzzer under
# AddressSanitizer and UndefinedBehaviorSanitizer (into build-fuzz/), makes
# their seed corpora, and runs each for SECONDS (default 60). Prints each
# target's run count; exits non-zero when one found a fault, naming the input
# (put it under tests/fuzz/regressions/TARGET/ so the test suite replays it).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
scripts/install-deps.sh

build_dir=build-fuzz
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
if [ ! -f "$build_dir/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTIDEMARK_FUZZ=ON \
    -DTIDEMARK_BUILD_TESTS=OFF -DTIDEMARK_BUILD_BENCH=OFF "${launcher[@]}" >/dev/null
fi
if ! grep -q '^TIDEMARK_HAS_LIBFUZZER:INTERNAL=1' "$build_dir/CMakeCache.txt"; then
  echo "fuzz.sh: the compiler offers no -fsanitize=fuzzer; nothing to run" >&2
  exit 0
fi
cmake --build "$build_dir" -j"$(nproc)" --target fuzz_all

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:symbolize=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp"
corpus="$build_dir/corpus"
crashes="$build_dir/crashes"
mkdir -p "$crashes"
"$build_dir/fuzz/fuzz_seeds" "$corpus" >/dev/null

failed=0
passed=0
for target in itemfile csv settingsfile holidays frames cp932; do
  mkdir -p "$corpus/$target"
  log="$build_dir/fuzz-$target.log"
  status=0
  # Earlier findings join the corpus; a target without any has no folder.
  inputs=("$corpus/$target")
  [ -d "tests/fuzz/regressions/$target" ] && inputs+=("tests/fuzz/regressions/$target")
  "$build_dir/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -print_final_stats=1 \
    -artifact_prefix="$crashes/$target-" "${inputs[@]}" >"$log" 2>&1 || status=$?
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -1 || true)
  if [ "$status" -eq 0 ]; then
    printf '%-14s %10s runs in %s s\n' "$target" "${runs:-?}" "$seconds"
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    printf '%-14s FAILED after %s runs; see %s\n' "$target" "${runs:-?}" "$log"
    grep -h 'Test unit written to' "$log" || true
  fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
