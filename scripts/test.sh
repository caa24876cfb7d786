#!/usr/bin/env bash
# Builds Chromet with warnings as errors and runs every test. Tests that need a display start
# their own X server, so this works on a machine without one.
#   scripts/test.sh             the normal run in build/ (or $CHROMET_BUILD_DIR)
#   scripts/test.sh --sanitize  also an AddressSanitizer + UndefinedBehaviorSanitizer build in
#                               build-sanitize/, running the model, view, X11 and Wayland tests there
set -euo pipefail
cd "$(dirname "$0")/.."
runs=(normal)
if [ "${1:-}" = "--sanitize" ]; then
    runs=(normal sanitize)
elif [ $# -gt 0 ]; then
    echo "usage: scripts/test.sh [--sanitize]" >&2
    exit 2
fi
scripts/deps.sh --test
# Formatting first: it takes seconds and fails before a long build.
scripts/check-format.sh
unset DISPLAY WAYLAND_DISPLAY

# run BUILD_DIR CTEST_ARGS... -- CMAKE_OPTIONS...
run() {
    local build_dir=$1
    shift
    local ctest_args=()
    while [ "$1" != "--" ]; do
        ctest_args+=("$1")
        shift
    done
    shift
    CHROMET_BUILD_DIR=$build_dir scripts/build.sh -DCHROMET_WERROR=ON -DCHROMET_TESTS=ON "$@"
    # A decimal-comma locale, generated into the build folder so no root is needed.
    local locale_dir=$PWD/$build_dir/locale
    if [ ! -d "$locale_dir/de_DE.UTF-8" ]; then
        mkdir -p "$locale_dir"
        localedef -i de_DE -f UTF-8 "$locale_dir/de_DE.UTF-8" 2>/dev/null ||
            echo "warning: could not generate de_DE.UTF-8; the decimal-comma tests will skip" >&2
    fi
    (cd "$build_dir" && CHROMET_TEST_LOCPATH=$locale_dir \
        ctest --output-on-failure --parallel "$(nproc)" --timeout 300 "${ctest_args[@]}")
}

for kind in "${runs[@]}"; do
    if [ "$kind" = normal ]; then
        run "${CHROMET_BUILD_DIR:-build}" -- -DCHROMET_BENCH=ON -DCHROMET_SCREENSHOTS=ON
    else
        # The end-to-end tests run the whole application; the normal run has them.
        ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0:abort_on_error=1} \
            UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1} \
            run build-sanitize -L 'model|view|x11|wayland' -- \
            -DCHROMET_SANITIZE=ON -DCHROMET_BENCH=OFF -DCHROMET_SCREENSHOTS=OFF
    fi
done
