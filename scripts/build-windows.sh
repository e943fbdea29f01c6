#!/usr/bin/env bash
# Builds both Windows installers (i686, shipped; x86_64, run under Wine).
set -euo pipefail
cd "$(dirname "$0")/.."
extra=("$@")
for preset in win32 win64; do
  cmake --preset "$preset" -DWARNINGS_AS_ERRORS=ON "${extra[@]}" >/dev/null
  cmake --build --preset "$preset" -j2
done
