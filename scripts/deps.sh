#!/usr/bin/env bash
# Installs the Debian packages Chromet needs to build, run and test; only the missing ones.
set -euo pipefail

packages=(
    g++ cmake ninja-build pkg-config ccache git
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6svg6 qt6-qpa-plugins
    libxcb1-dev libxcb-shm0-dev libxcb-randr0-dev libxcb-xtest0-dev libxcb-xkb-dev
    libxcb-xfixes0-dev libxcb-shape0-dev libxcb-damage0-dev libxkbcommon-dev libxkbcommon-x11-dev
    fonts-dejavu-core
)
if [ "${1:-}" = "--test" ] || [ "${1:-}" = "--demo" ]; then
    packages+=(xvfb xauth xdotool xclip x11-utils trayer locales clang-format-14
        xserver-xorg-core xserver-xorg-video-dummy)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
    as_root=()
elif command -v sudo >/dev/null 2>&1; then
    as_root=(sudo)
else
    echo "Missing packages (${missing[*]}) and neither root nor sudo is available." >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
