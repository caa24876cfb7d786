#!/usr/bin/env bash
# Builds Chromet with warnings as errors and runs every test. Tests that need a display start
# their own X server, so this works on a machine without one.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh --test
# Formatting first: it takes seconds and fails before a long build.
scripts/check-format.sh
build_dir=${CHROMET_BUILD_DIR:-build}
CHROMET_BUILD_DIR=$build_dir scripts/build.sh -DCHROMET_WERROR=ON -DCHROMET_TESTS=ON -DCHROMET_BENCH=ON -DCHROMET_SCREENSHOTS=ON
# A decimal-comma locale, generated into the build folder so no root is needed.
locale_dir=$PWD/$build_dir/locale
if [ ! -d "$locale_dir/de_DE.UTF-8" ]; then
    mkdir -p "$locale_dir"
    localedef -i de_DE -f UTF-8 "$locale_dir/de_DE.UTF-8" 2>/dev/null ||
        echo "warning: could not generate de_DE.UTF-8; the decimal-comma tests will skip" >&2
fi
export CHROMET_TEST_LOCPATH=$locale_dir
unset DISPLAY WAYLAND_DISPLAY
cd "$build_dir"
ctest --output-on-failure --parallel "$(nproc)" --timeout 300
