#!/usr/bin/env bash
# The main job: build the installer and run it end to end under Wine in a
# fresh prefix with the default payload, unattended, leaving screenshots.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-deps.sh
scripts/build-windows.sh
python3 tests/e2e/main_job.py --installer build/win64/LabelPrinterSetup.exe --artifacts build/main-job
