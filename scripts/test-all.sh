#!/usr/bin/env bash
# Every test: native unit tests, the sanitizer run, a short run of every fuzz
# target, both Windows builds with their executable checks, and the Wine
# end-to-end tests.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-deps.sh

step() { printf '\n==== %s\n' "$*"; }

step "native build and unit tests"
cmake --preset native -DWARNINGS_AS_ERRORS=ON >/dev/null
cmake --build --preset native -j2
ctest --preset native -j2

step "sanitizer build (address, undefined behaviour) and unit tests"
cmake --preset native-asan -DWARNINGS_AS_ERRORS=ON >/dev/null
cmake --build --preset native-asan -j2
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --preset native-asan -j2

step "fuzz targets: each one 20 s from its seed corpus (a crash fails the run)"
scripts/fuzz.sh --time 20

step "benchmark: extraction engine against plain zlib"
if [ -x build/native/bench/bench_extract ]; then
  build/native/bench/bench_extract --benchmark_min_time=0.2 || echo "benchmark failed (not a test)"
fi

step "Windows builds"
scripts/build-windows.sh

step "executable checks"
tests/build/run_checks.sh

step "end-to-end tests under Wine"
python3 tests/e2e/run_e2e.py --installer build/win64/LabelPrinterSetup.exe --artifacts build/e2e/artifacts

step "benchmark: an installation under Wine beside its floor (information, not a test)"
python3 bench/install_bench.py --installer build/win64/LabelPrinterSetup.exe --runs 5 \
  || echo "install benchmark failed (not a test)"
