#!/usr/bin/env bash
# soak.sh [PICKS] [MENUS]: runs Chromet in a tray on a private Xvfb for a long scripted session,
# PICKS picks with the shortcut and a click (1000) and MENUS openings of the tray menu (10000),
# and prints what the process holds before and after: resident memory, file descriptors,
# threads, attached shared-memory segments and X resources (windows, pixmaps, GCs, pictures;
# xrestop). The baseline is taken after a warm-up of SOAK_WARMUP_PICKS (100) picks and
# SOAK_WARMUP_MENUS (300) menus. Exits 1 when memory grows by 2 MB or more, or anything else
# grows at all. Needs a build (scripts/build.sh) and `scripts/deps.sh --soak`.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${CHROMET_BUILD_DIR:-build}
chromet=$PWD/$build/src/Chromet/App/chromet
fixture=$PWD/$build/tests/Support/colorfixture
picks=${1:-1000}
menus=${2:-10000}
for tool in Xvfb trayer xdotool xclip xrestop; do
    command -v "$tool" >/dev/null || { echo "soak: $tool is missing (scripts/deps.sh --soak)" >&2; exit 2; }
done
[ -x "$chromet" ] && [ -x "$fixture" ] || { echo "soak: build first (scripts/build.sh)" >&2; exit 2; }

work=$(mktemp -d)
pids=()
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

wait_for() { # SECONDS COMMAND...: polls until the command succeeds
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        if ((SECONDS >= deadline)); then
            echo "soak: timed out waiting for: $*" >&2
            tail -n 20 "$work/chromet.log" >&2
            exit 1
        fi
        sleep 0.02
    done
}
quietly() { "$@" >/dev/null 2>&1; }
poll() { # SECONDS COMMAND...: like wait_for, but false on timeout
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        ((SECONDS < deadline)) || return 1
        sleep 0.02
    done
}

Xvfb -screen 0 1280x800x24 -nolisten tcp -noreset -displayfd 5 5>"$work/display" >/dev/null 2>&1 &
pids+=($!)
wait_for 20 test -s "$work/display"
export DISPLAY=:$(cat "$work/display")
unset WAYLAND_DISPLAY
trayer --edge top --align right --widthtype request --height 24 >/dev/null 2>&1 &
pids+=($!)
wait_for 20 quietly xdotool search --onlyvisible --classname panel
"$fixture" 100 200 400 300 >"$work/fixture.out" &
pids+=($!)
wait_for 20 grep -qs ready "$work/fixture.out"

mkdir -p "$work/data" "$work/config/Chromet" "$work/runtime"
chmod 700 "$work/runtime"
printf '[General]\nhasCompletedOnboarding=true\n' >"$work/config/Chromet/Chromet.conf"
XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime \
    QT_QPA_PLATFORM=xcb QT_STYLE_OVERRIDE=Fusion LC_ALL=C.UTF-8 "$chromet" 2>"$work/chromet.log" &
app=$!
pids+=($app)
wait_for 30 grep -q "Chromet: shortcut .* registered" "$work/chromet.log"
wait_for 30 quietly xdotool search --onlyvisible --pid "$app"
icon=$(xdotool search --onlyvisible --pid "$app" | head -n 1)
eval "$(xdotool getwindowgeometry --shell "$icon")"
icon_x=$((X + WIDTH / 2)) icon_y=$((Y + HEIGHT / 2))

visible_windows() { xdotool search --onlyvisible --pid "$app" 2>/dev/null | wc -l; }
clipboard_is() { [[ "$(xclip -selection clipboard -o 2>/dev/null)" == $1 ]]; }
# Conditions for wait_for: evaluated afresh at every poll.
focus_is_app() { [ "$(xdotool getwindowfocus -f getwindowpid 2>/dev/null)" = "$app" ]; }
windows_at_most() { (($(visible_windows) <= $1)); }
windows_at_least() { (($(visible_windows) >= $1)); }

pick() { # one pick at a pixel of the fixture that changes with $1
    local x=$((110 + ($1 * 37) % 380)) y=$((210 + ($1 * 53) % 280))
    echo -n none | xclip -selection clipboard -i
    wait_for 20 clipboard_is none
    xdotool mousemove "$x" "$y" key ctrl+alt+c
    wait_for 20 focus_is_app
    xdotool click 1
    wait_for 20 clipboard_is "#*"
    wait_for 20 windows_at_most 1
}

reclicks=0 side=-6
menu() { # opens the tray menu and closes it again
    local attempt
    # Two clicks in one spot within the double-click time are a double click, which opens no
    # menu: successive clicks alternate between two points of the icon. A click that opens
    # nothing all the same is counted and repeated.
    for attempt in 1 2 3 4 5; do
        side=$((-side))
        xdotool mousemove "$((icon_x + side))" "$icon_y" click 1
        poll 2 windows_at_least 2 && break
        ((++reclicks))
    done
    wait_for 20 windows_at_least 2
    xdotool key Escape
    wait_for 20 windows_at_most 1
}

sample() { # name: resident kB, fds, threads, then X resources of the process
    local rss fds threads shm xres
    rss=$(awk '/^VmRSS/ {print $2}' "/proc/$app/status")
    threads=$(awk '/^Threads/ {print $2}' "/proc/$app/status")
    fds=$(find "/proc/$app/fd" -mindepth 1 -maxdepth 1 | wc -l)
    shm=$(grep -c SYSV "/proc/$app/maps" || true)
    # xrestop's batch output has a block per client; the application's is the one whose resource
    # base its windows' ids share (it shows no PIDs on Xvfb).
    xres=$(xrestop -b -m 1 2>/dev/null | awk -v base="$(printf '0x%x' $((icon & ~0x1fffff)))" '
        $1 == "res_base" { found = ($3 == base) }
        found && $1 == "windows" { w = $3 } found && $1 == "pixmaps" { p = $3 }
        found && $1 == "GCs" { g = $3 } found && $1 == "pictures" { pic = $3 }
        END { print w + 0, p + 0, g + 0, pic + 0 }')
    echo "$1 ${rss:-0} ${fds:-0} ${threads:-0} ${shm:-0} ${xres:-0 0 0 0}"
}

run() { # picks menus
    local i
    for ((i = 0; i < $1; i++)); do pick "$i"; done
    for ((i = 0; i < $2; i++)); do menu; done
}

# The baseline comes after a warm-up, so that what the first picks and menus set up once does not
# count; the half-way sample tells a one-time step from steady growth.
run "${SOAK_WARMUP_PICKS:-100}" "${SOAK_WARMUP_MENUS:-300}"
before=$(sample before)
start=$SECONDS
run $((picks / 2)) $((menus / 2))
half=$(sample half)
run $((picks - picks / 2)) $((menus - menus / 2))
after=$(sample after)
echo "soak: $picks picks and $menus menus in $((SECONDS - start)) s ($reclicks menu clicks repeated)"
format='%-8s %10s %5s %8s %5s %8s %8s %5s %9s\n'
# shellcheck disable=SC2086 # the samples are words on purpose
{
    printf "$format" "" "RSS kB" fds threads shm windows pixmaps GCs pictures
    printf "$format" $before
    printf "$format" $half
    printf "$format" $after
}
read -r _ rss0 fds0 thr0 shm0 w0 p0 g0 pic0 <<<"$before"
read -r _ rss1 fds1 thr1 shm1 w1 p1 g1 pic1 <<<"$after"
status=0
if ((rss1 - rss0 >= 2048)); then echo "soak: memory grew by $((rss1 - rss0)) kB"; status=1; fi
for pair in "fds $fds0 $fds1" "threads $thr0 $thr1" "shm $shm0 $shm1" "windows $w0 $w1" "pixmaps $p0 $p1" \
    "GCs $g0 $g1" "pictures $pic0 $pic1"; do
    read -r name a b <<<"$pair"
    if ((b > a)); then echo "soak: $name grew from $a to $b"; status=1; fi
done
exit $status
