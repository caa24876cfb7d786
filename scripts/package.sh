#!/usr/bin/env bash
# Builds the Debian package and prints its path: CPack packs what `cmake --install` installs,
# under /usr, with the dependencies dpkg-shlibdeps finds. Builds in build-package/ (a release
# build) unless $CHROMET_PACKAGE_DIR names another build folder, which is used as configured.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh --package >&2
build_dir=${CHROMET_PACKAGE_DIR:-build-package}
if [ ! -f "$build_dir/CMakeCache.txt" ]; then
    cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
        -DCHROMET_TESTS=OFF -DCHROMET_BENCH=OFF -DCHROMET_SCREENSHOTS=OFF >&2
fi
# What the install rules need.
cmake --build "$build_dir" --parallel "$(nproc)" --target chromet chromet_data >&2
rm -f "$build_dir"/chromet_*.deb
(cd "$build_dir" && cpack -G DEB >&2)
ls "$PWD/$build_dir"/chromet_*.deb
