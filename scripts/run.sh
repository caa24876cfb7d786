#!/usr/bin/env bash
# Builds Chromet and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh -DCHROMET_TESTS=OFF -DCHROMET_BENCH=OFF
if [ $# -eq 0 ]; then set -- format "#336699"; fi
exec build/src/Chromet/App/chromet "$@"
