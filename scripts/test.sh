#!/usr/bin/env bash
# Builds Chromet with warnings as errors and runs every test. Tests that need a display start
# their own X server, so this works on a machine without one.
#   scripts/test.sh             the normal build in build/ (or $CHROMET_BUILD_DIR), every test
#   scripts/test.sh --sanitize  an AddressSanitizer + UndefinedBehaviorSanitizer build in
#                               build-sanitize/, the model, view and X11 tests
set -euo pipefail
cd "$(dirname "$0")/.."
sanitize=0
if [ "${1:-}" = "--sanitize" ]; then
    sanitize=1
elif [ $# -gt 0 ]; then
    echo "usage: scripts/test.sh [--sanitize]" >&2
    exit 2
fi
scripts/deps.sh --test
# Formatting first: it takes seconds and fails before a long build.
scripts/check-format.sh
if [ $sanitize = 1 ]; then
    build_dir=${CHROMET_BUILD_DIR:-build-sanitize}
    options=(-DCHROMET_SANITIZE=ON -DCHROMET_BENCH=OFF -DCHROMET_SCREENSHOTS=OFF)
    # The end-to-end tests run the whole application and its helpers; the normal run has them.
    labels=(-L 'model|view|x11')
    export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0:abort_on_error=1}
    export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
else
    build_dir=${CHROMET_BUILD_DIR:-build}
    options=(-DCHROMET_BENCH=ON -DCHROMET_SCREENSHOTS=ON)
    labels=()
fi
CHROMET_BUILD_DIR=$build_dir scripts/build.sh -DCHROMET_WERROR=ON -DCHROMET_TESTS=ON "${options[@]}"
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
ctest --output-on-failure --parallel "$(nproc)" --timeout 300 "${labels[@]}"
