#!/usr/bin/env bash
# check_install.sh CHECK BUILD_DIR ROOT APP_ID VERSION
# "files" installs the build into ROOT (DESTDIR, prefix /usr) and checks that it holds exactly the
# files a desktop expects; the other checks read that install.
set -euo pipefail
check=$1 build=$2 root=$3 id=$4 version=$5
usr=$root/usr

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Width and height of a PNG, from its header.
png_size() {
    local bytes
    bytes=$(od -An -tu1 -j16 -N8 "$1" | tr -s ' ' ' ')
    read -r w1 w2 w3 w4 h1 h2 h3 h4 <<<"$bytes"
    echo "$(((w1 << 24) | (w2 << 16) | (w3 << 8) | w4))x$(((h1 << 24) | (h2 << 16) | (h3 << 8) | h4))"
}

case $check in
files)
    rm -rf "$root"
    DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null
    expected=(
        bin/chromet
        share/applications/$id.desktop
        share/metainfo/$id.metainfo.xml
        share/icons/hicolor/scalable/apps/$id.svg
        share/icons/hicolor/symbolic/apps/$id-symbolic.svg
        share/man/man1/chromet.1.gz
        share/bash-completion/completions/chromet
        share/zsh/vendor-completions/_chromet
        share/fish/vendor_completions.d/chromet.fish
    )
    sizes=(16 22 24 32 48 64 128 256 512)
    for size in "${sizes[@]}"; do
        expected+=("share/icons/hicolor/${size}x${size}/apps/$id.png")
    done
    actual=$(cd "$usr" && find . -type f -o -type l | sed 's|^\./||' | sort)
    wanted=$(printf '%s\n' "${expected[@]}" | sort)
    [ "$actual" = "$wanted" ] || fail "installed files differ from the expected ones:
$(diff <(echo "$wanted") <(echo "$actual") || true)"
    for size in "${sizes[@]}"; do
        got=$(png_size "$usr/share/icons/hicolor/${size}x${size}/apps/$id.png")
        [ "$got" = "${size}x${size}" ] || fail "the ${size}x${size} icon is $got"
    done
    [ -x "$usr/bin/chromet" ] || fail "bin/chromet is not executable"
    out=$("$usr/bin/chromet" --version)
    [[ $out == "chromet $version "* ]] || fail "chromet --version says: $out"
    ;;
desktop_entry)
    entry=$usr/share/applications/$id.desktop
    desktop-file-validate "$entry"
    grep -qx "Exec=chromet" "$entry" || fail "Exec is not the installed chromet"
    grep -qx "Icon=$id" "$entry" || fail "Icon is not $id"
    ;;
metainfo)
    metainfo=$usr/share/metainfo/$id.metainfo.xml
    appstreamcli validate --no-net "$metainfo"
    grep -q "<release version=\"$version\"" "$metainfo" || fail "no release entry for $version"
    grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
        fail "the metainfo does not launch $id.desktop"
    ;;
man_page)
    # Any warning of groff or man fails the check.
    warnings=$(MANWIDTH=80 man --warnings -E UTF-8 -l "$usr/share/man/man1/chromet.1.gz" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man page warnings: $warnings"
    text=$(MANWIDTH=80 man -E UTF-8 -l "$usr/share/man/man1/chromet.1.gz" 2>/dev/null)
    for word in format nearest contrast export history pick --version --help "EXIT STATUS" FILES; do
        grep -q -- "$word" <<<"$text" || fail "the man page does not mention $word"
    done
    ;;
bash_completion)
    bash --norc --noprofile -c '
        set -e
        source /usr/share/bash-completion/bash_completion
        source "$1"
        complete -p chromet >/dev/null
        reply() {
            COMP_WORDS=("$@"); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); COMPREPLY=()
            COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
            _chromet chromet "${COMP_WORDS[-1]}" "${COMP_WORDS[-2]}"
            echo "${COMPREPLY[*]}"
        }
        [ "$(reply chromet fo)" = format ]
        [ "$(reply chromet format "#fff" --as swiftUI)" = "swiftUI swiftUIP3" ]
        [ "$(reply chromet export --as "")" = "swift css tailwind" ]
        [ "$(reply chromet pick --p)" = --print ]
    ' bash "$usr/share/bash-completion/completions/chromet" || fail "bash completion"
    ;;
*)
    fail "unknown check $check"
    ;;
esac
