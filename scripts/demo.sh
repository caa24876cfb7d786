#!/usr/bin/env bash
# Chromet without a desktop: starts a virtual X server with a tray, runs Chromet in it with its
# own temporary settings and library, shows a window of a known color (#336699), picks it the way
# a user would (Ctrl+Alt+C, move, click) and prints what was copied and the history. Everything it
# started is stopped again on the way out.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh --demo
scripts/build.sh -DCHROMET_TESTS=OFF -DCHROMET_BENCH=OFF -DCHROMET_SCREENSHOTS=OFF
chromet=$PWD/${CHROMET_BUILD_DIR:-build}/src/Chromet/App/chromet

work=$(mktemp -d)
pids=()
cleanup() {
    local i
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || true
        wait "${pids[i]}" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

# Waits up to $1 seconds for the command after it to succeed.
wait_for() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        if [ $SECONDS -ge $deadline ]; then
            echo "demo: timed out waiting for: $*" >&2
            [ -f "$work/chromet.log" ] && sed 's/^/  log: /' "$work/chromet.log" >&2
            exit 1
        fi
        sleep 0.05
    done
}
logged() { grep -q -- "$1" "$work/chromet.log"; }
quietly() { "$@" >/dev/null 2>&1; }

echo "Starting a virtual X server with a tray"
Xvfb -screen 0 1280x800x24 -nolisten tcp -noreset -displayfd 5 5>"$work/display" >/dev/null 2>&1 &
pids+=($!)
wait_for 20 test -s "$work/display"
export DISPLAY=:$(cat "$work/display")
unset WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS
trayer --edge top --align right --widthtype request --height 24 >/dev/null 2>&1 &
pids+=($!)
wait_for 10 quietly xdotool search --onlyvisible --classname panel

echo "Starting Chromet"
mkdir -p "$work/data" "$work/config" "$work/runtime"
chmod 700 "$work/runtime"
export XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime
# The welcome window would open over the picking window; the demo is about the pick.
mkdir -p "$XDG_CONFIG_HOME/Chromet"
printf '[General]\nhasCompletedOnboarding=true\n' >"$XDG_CONFIG_HOME/Chromet/Chromet.conf"
: >"$work/chromet.log"
QT_QPA_PLATFORM=xcb "$chromet" 2>"$work/chromet.log" &
pids+=($!)
wait_for 20 logged "Chromet: shortcut Ctrl+Alt+C registered"

echo "Showing a window of #336699"
xmessage -geometry 400x300+440+250 -bg '#336699' -fg '#336699' -buttons '' ' ' >/dev/null 2>&1 &
pids+=($!)
wait_for 10 quietly xdotool search --onlyvisible --classname xmessage

echo "Picking: Ctrl+Alt+C, move, click"
xdotool mousemove 200 200
xdotool key ctrl+alt+c
wait_for 10 logged "first window ordered front"
xdotool mousemove 640 400
xdotool click 1
wait_for 10 sh -c '[ -n "$(xclip -o -selection clipboard 2>/dev/null)" ]'

grep -o "first window ordered front.*" "$work/chromet.log" | sed 's/^/Loupe: /'
echo "Copied: $(xclip -o -selection clipboard)"
echo "History:"
"$chromet" history | sed 's/^/  /'
