#!/usr/bin/env bash
# End-to-end check of the Debian package, too slow for the test command (a few minutes, and it
# downloads Debian 12 from the mirror): builds the .deb, makes a throw-away Debian 12 root with
# debootstrap, installs the package there with apt, runs chromet from /usr/bin, removes the
# package again and checks that none of its files is left. Needs root. $CHROMET_DEB names a .deb
# to check instead of building one.
set -euo pipefail
cd "$(dirname "$0")/.."
mirror=${CHROMET_DEBIAN_MIRROR:-http://deb.debian.org/debian}

deb=${CHROMET_DEB:-$(scripts/package.sh | tail -n 1)}
echo "Package: $deb"
dpkg-deb --field "$deb" Package Version Depends

root=$(mktemp -d /var/tmp/chromet-root.XXXXXX)
mounted=()
cleanup() {
    local i
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
        umount "${mounted[i]}" 2>/dev/null || true
    done
    rm -rf --one-file-system "$root"
}
trap cleanup EXIT

echo "Making a Debian 12 root in $root"
debootstrap --variant=minbase bookworm "$root" "$mirror" >"$root.log" 2>&1 ||
    { tail -n 20 "$root.log" >&2; exit 1; }
rm -f "$root.log"
mount -t proc proc "$root/proc" && mounted+=("$root/proc")
cp /etc/resolv.conf "$root/etc/resolv.conf"
in_root() { chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin \
    DEBIAN_FRONTEND=noninteractive LC_ALL=C.UTF-8 "$@"; }

# What the root holds before: the package must leave it so.
snapshot() {
    (cd "$root" && find . -xdev \( -path ./proc -o -path ./var/cache -o -path ./var/lib/apt \
        -o -path ./var/lib/dpkg -o -path ./var/log -o -path ./tmp \) -prune -o -print | sort)
}

cp "$deb" "$root/tmp/"
in_root apt-get update -qq
before=$(snapshot)
echo "Installing $(basename "$deb") with apt"
in_root apt-get install -y -qq "/tmp/$(basename "$deb")" >/dev/null
files=$(in_root dpkg-query -L chromet)

echo "Running chromet from /usr/bin"
version=$(in_root /usr/bin/chromet --version)
hex=$(in_root /usr/bin/chromet format '#336699' --as hex)
echo "  chromet --version: $version"
echo "  chromet format '#336699' --as hex: $hex"
[[ $version == "chromet "* ]] || { echo "FAIL: unexpected version line" >&2; exit 1; }
[ "$hex" = "#336699" ] || { echo "FAIL: unexpected hex code" >&2; exit 1; }
in_root test -f /usr/share/applications/app.chromet.Chromet.desktop
in_root test -f /usr/share/man/man1/chromet.1.gz

echo "Removing the package"
in_root apt-get purge -y -qq --autoremove chromet >/dev/null
left=()
while IFS= read -r path; do
    # Folders the package shares with others (/usr/bin, /usr/share/…) stay.
    [ -z "$path" ] || [ -d "$root$path" ] && continue
    [ -e "$root$path" ] || [ -L "$root$path" ] && left+=("$path")
done <<<"$files"
if [ ${#left[@]} -gt 0 ]; then
    echo "FAIL: files left behind: ${left[*]}" >&2
    exit 1
fi
echo "  none of its $(wc -l <<<"$files") paths is left"
# What its dependencies leave after they are purged too is theirs (systemd's users and
# links, for one); shown, not judged.
added=$(comm -13 <(echo "$before") <(snapshot))
if [ -n "$added" ]; then
    echo "  left by dependencies after purging them: $(wc -l <<<"$added") paths, such as:"
    head -n 5 <<<"$added" | sed 's/^/    /'
fi
echo "PASS"
