#!/usr/bin/env bash
# Builds Chromet and starts it in the system tray. On a machine without a display it runs the
# demo instead: Chromet on a private X server, one scripted pick, and what it copied.
# Arguments are passed to chromet (then it answers on the command line: scripts/run.sh --help).
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${DISPLAY:-}" ] && [ $# -eq 0 ]; then
    exec scripts/demo.sh
fi
scripts/deps.sh
scripts/build.sh -DCHROMET_TESTS=OFF -DCHROMET_BENCH=OFF -DCHROMET_SCREENSHOTS=OFF
exec "${CHROMET_BUILD_DIR:-build}/src/Chromet/App/chromet" "$@"
