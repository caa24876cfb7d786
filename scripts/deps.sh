#!/usr/bin/env bash
# Installs the Debian packages Chromet needs to build, run and test (--test), to run the demo
# (--demo) or to build and check its package (--package); only the missing ones.
set -euo pipefail

packages=(
    g++ cmake ninja-build pkg-config ccache git
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6svg6 qt6-qpa-plugins
    libxcb1-dev libxcb-shm0-dev libxcb-randr0-dev libxcb-xtest0-dev libxcb-xkb-dev
    libxcb-xfixes0-dev libxcb-shape0-dev libxcb-damage0-dev libxkbcommon-dev libxkbcommon-x11-dev
    fonts-dejavu-core librsvg2-bin
    libwayland-dev libwayland-bin wayland-protocols qt6-wayland
)
if [ "${1:-}" = "--test" ] || [ "${1:-}" = "--demo" ]; then
    packages+=(xvfb xauth xdotool xclip x11-utils trayer locales dbus-daemon clang-format-14
        xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
        desktop-file-utils appstream man-db groff-base bash-completion
        sway wtype wl-clipboard
        pipewire xdg-desktop-portal xdg-desktop-portal-wlr xdg-desktop-portal-gtk grim libglib2.0-bin)
fi
# The Debian package (scripts/package.sh) and its end-to-end check (scripts/test-package.sh).
if [ "${1:-}" = "--package" ]; then
    packages+=(dpkg-dev file debootstrap)
fi
if [ "${1:-}" = "--fuzz" ]; then
    packages+=(clang-14 libclang-rt-14-dev)
fi
if [ "${1:-}" = "--soak" ]; then
    packages+=(xvfb xdotool xclip x11-utils trayer xrestop)
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
