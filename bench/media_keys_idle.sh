#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# CPU and memory of the idle program, connected to the receiver simulator, with its 10 ms
# media-key poll reading the keys of a virtual X server: both multimedia-key entries off, the
# Yamaha entry on, then both on with a media player running (so every tick also searches the
# player over D-Bus and reads all seven media keys). Also the X server's CPU, which answers the
# poll's keymap requests.
# Run by scripts/bench inside dbus-run-session; needs Xvfb and xdotool, mpv for the player.
#
#   bench/media_keys_idle.sh <build dir> [seconds]
set -euo pipefail
build=${1:?build directory}
seconds=${2:-10}

work=$(mktemp -d)
pids=()
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1280x800x24 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
pids+=("$xvfb")
for _ in $(seq 100); do [[ -s "$work/display" ]] && break; sleep 0.05; done
export DISPLAY=":$(cat "$work/display")" XDG_CONFIG_HOME=$work XDG_RUNTIME_DIR=$work
export QT_QPA_PLATFORM=xcb

player=""
mpris=""
for f in /usr/lib/mpv-mpris/mpris.so /etc/mpv/scripts/mpris.so; do [[ -f $f ]] && mpris=$f && break; done
if command -v mpv >/dev/null && command -v playerctl >/dev/null && [[ -n "$mpris" ]]; then
    mpv --no-config --no-terminal --no-video --ao=null --script="$mpris" \
        "av://lavfi:sine=frequency=440" >/dev/null 2>&1 &
    player=$!
    pids+=("$player")
fi

"$build/bin/velmora-receiver-sim" </dev/null >"$work/sim.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [[ -s "$work/sim.log" ]] && break; sleep 0.05; done
device=$(head -n 1 "$work/sim.log")

VELMORA_COM1=$device "$build/bin/velmora" -C1 -P >/dev/null 2>&1 &
app=$!
pids+=("$app")
until xdotool search --onlyvisible --name '^Velmora$' >/dev/null 2>&1; do sleep 0.05; done
for _ in $(seq 100); do grep -q '^reports on' "$work/sim.log" && break; sleep 0.05; done
sleep 2

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
# Wake-ups: the context switches of all the program's threads.
switches() { cat /proc/"$1"/task/*/status | awk '/ctxt_switches/ {n += $2} END {print n}'; }
measure() {
    local a0 x0 w0 a1 x1 w1 hz
    hz=$(getconf CLK_TCK)
    a0=$(ticks "$app")
    x0=$(ticks "$xvfb")
    w0=$(switches "$app")
    sleep "$seconds"
    a1=$(ticks "$app")
    x1=$(ticks "$xvfb")
    w1=$(switches "$app")
    awk -v a=$((a1 - a0)) -v x=$((x1 - x0)) -v w=$((w1 - w0)) -v hz="$hz" -v s="$seconds" \
        -v what="$1" -v rss="$(awk '/VmRSS/ {print $2}' "/proc/$app/status")" 'BEGIN {
        printf "%s: velmora %.0f ms CPU in %d s (%.2f %% of one core), %.1f wake-ups/s, RSS %.1f MB; Xvfb %.0f ms CPU (%.2f %%)\n",
            what, a * 1000 / hz, s, a * 100 / hz / s, w / s, rss / 1024, x * 1000 / hz, x * 100 / hz / s }'
}

measure "media-key entries off"

# The entries are switched through the Extras menu, opened with its access key and the first
# item lit: "Multimedia Keycontrol Winamp" is the fourth item, "... Yamaha" the fifth.
window=$(xdotool search --onlyvisible --name '^Velmora$' | head -n 1)
toggle() {
    xdotool windowfocus --sync "$window"
    xdotool key alt+x && sleep 0.3
    local downs=()
    for ((i = 1; i < $1; i++)); do downs+=(Down); done
    xdotool key "${downs[@]}" Return && sleep 0.3
}
# A key counts only while it is still down at the next tick, so it is held for a tenth of a
# second, as a finger does (by one xdotool: the server lets go of its keys when it ends).
press() { xdotool keydown "$1" sleep 0.1 keyup "$1"; }

toggle 5
# Proof that the keys now drive the receiver.
press XF86AudioRaiseVolume
for _ in $(seq 40); do grep -q '07A1A' "$work/sim.log" && break; sleep 0.05; done
if ! grep -q '07A1A' "$work/sim.log"; then
    echo "media keys: the volume key did not reach the receiver; the Yamaha entry is not on" >&2
    exit 1
fi
sleep 1
measure "Yamaha entry on"

toggle 4
label="both entries on"
if [[ -n "$player" ]]; then
    # Proof that the keys now drive the player.
    press XF86AudioPlay
    for _ in $(seq 40); do [[ "$(playerctl status 2>/dev/null)" == Paused ]] && break; sleep 0.05; done
    if [[ "$(playerctl status 2>/dev/null)" != Paused ]]; then
        echo "media keys: play/pause did not pause the player; the Winamp entry is not on" >&2
        exit 1
    fi
    press XF86AudioPlay # playing again, as before
    label+=", player running"
fi
sleep 1
measure "$label"
