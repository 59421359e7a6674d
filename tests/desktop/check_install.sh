#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a temporary prefix and checks the installed tree as a desktop sees it:
# every file in its place, the desktop entry, metadata and bus activation file valid, an add-in
# built outside the source tree against the installed headers and CMake package, and the
# installed program loading its own add-in from the installed folder and that one from the
# user's, and writing its traffic log to the user's state folder. Runs under a private session
# bus and a virtual display (CMakeLists.txt beside it starts it with dbus-run-session and
# xvfb-run).
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
for file in bin/velmora bin/velmora-ctl bin/velmora-receiver-sim lib/velmora/AddIn/VelmoraTray.so \
    share/applications/org.velmora.Velmora.desktop share/metainfo/org.velmora.Velmora.metainfo.xml \
    share/dbus-1/services/org.velmora.Velmora.service share/icons/hicolor/scalable/apps/velmora.svg \
    share/icons/hicolor/16x16/apps/velmora.png share/icons/hicolor/256x256/apps/velmora.png \
    share/doc/velmora/README.md share/doc/velmora/copyright include/velmora/AddInLoader.h \
    include/velmora/AddInHost.h include/velmora/WinampCommands.h \
    lib/cmake/Velmora/VelmoraConfig.cmake lib/cmake/Velmora/VelmoraConfigVersion.cmake \
    share/doc/velmora/examples/addin/CMakeLists.txt \
    share/dbus-1/interfaces/org.velmora.Velmora.AddInHost.xml \
    share/dbus-1/interfaces/org.velmora.Velmora.Program.xml \
    share/bash-completion/completions/velmora-ctl; do
    [[ -e $prefix/$file ]] || fail "$file was not installed"
done
# The manual pages: compressed, with a name line for whatis, rendered without a warning.
for page in velmora velmora-ctl velmora-receiver-sim; do
    file=$prefix/share/man/man1/$page.1.gz
    [[ -e $file ]] || fail "the manual page of $page was not installed"
    lexgrog "$file" | grep -q ": \"$page - " || fail "$page.1 has no name line: $(lexgrog "$file")"
    warnings=$(MANWIDTH=80 man --warnings -l "$file" 2>&1 >/dev/null)
    [[ -z $warnings ]] || fail "$page.1: $warnings"
done
# The exit statuses of velmora-ctl --help are those of its manual page.
statuses() {
    sed -n '/^ *EXIT STATUS\|^Exit status:/,/^ *[A-Z][A-Z ]*$/p' | grep -oE '^ +[0-9]+ ' | tr -d ' '
}
[[ $("$prefix/bin/velmora-ctl" --help | statuses) == $(MANWIDTH=80 man -l \
    "$prefix/share/man/man1/velmora-ctl.1.gz" 2>/dev/null | statuses) ]] ||
    fail "the exit statuses of velmora-ctl --help and its manual page differ"
# The completion, as bash loads it: the commands, then the words of one.
completion=$prefix/share/bash-completion/completions/velmora-ctl
words=$(bash -c 'source "$1"; COMP_WORDS=(velmora-ctl volume ""); COMP_CWORD=2; _velmora_ctl
    echo "${COMPREPLY[*]}"' - "$completion")
[[ $words == "up down mute unmute" ]] || fail "velmora-ctl volume completes to \"$words\""
desktop-file-validate "$prefix/share/applications/org.velmora.Velmora.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/org.velmora.Velmora.metainfo.xml" >/dev/null
service=$prefix/share/dbus-1/services/org.velmora.Velmora.service
grep -qx "Name=org.velmora.Velmora" "$service" || fail "the activation file names another service"
grep -qx "Exec=$prefix/bin/velmora" "$service" || fail "the activation file starts $(grep Exec "$service")"
# The menu entry and its actions (mini window, connect) start installed programs.
entry=$prefix/share/applications/org.velmora.Velmora.desktop
while read -r program _; do
    [[ -x $prefix/bin/$program ]] || fail "the menu entry starts \"$program\", which was not installed"
done < <(sed -n 's/^Exec=//p' "$entry")
command=$(sed -n 's/^Exec=//p' "$entry" | head -n 1)
private=$(grep -h '^#include' "$prefix"/include/velmora/*.h | grep -v '<Q[A-Za-z]*>\|<velmora/' || true)
[[ -z $private ]] || fail "the add-in headers include more than Qt: $private"
version=$(sed -n 's/^set(PACKAGE_VERSION "\(.*\)")$/\1/p' "$prefix/lib/cmake/Velmora/VelmoraConfigVersion.cmake")
[[ -n $version ]] || fail "the CMake package has no version"

# The installed program, as a user: all its files in the user's folders. The remote's 6.1/ES
# key runs a command (Extras item 3) that lists the descriptors it was given.
export HOME=$work/home XDG_STATE_HOME=$work/state XDG_DATA_HOME=$work/data
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work
mkdir -p "$HOME" "$XDG_CONFIG_HOME/Velmora"
printf '[Config]\nExtras=3\nShell=ls -l /proc/self/fd\n' >"$XDG_CONFIG_HOME/Velmora/Velmora.conf"

# The example add-in, as its author builds it: against the installed prefix only, then into
# the user's add-in folder.
cmake -S "$prefix/share/doc/velmora/examples/addin" -B "$work/example" \
    -DCMAKE_PREFIX_PATH="$prefix" >"$work/example.log" 2>&1 &&
    cmake --build "$work/example" >>"$work/example.log" 2>&1 ||
    fail "the example add-in did not build against the installed prefix: $(cat "$work/example.log")"
mkdir -p "$XDG_DATA_HOME/Velmora/AddIn"
cp "$work/example/VelmoraExample.so" "$XDG_DATA_HOME/Velmora/AddIn/"
mkfifo "$work/panel"
"$prefix/bin/velmora-receiver-sim" <>"$work/panel" >"$work/sim.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [[ -s $work/sim.log ]] && break; sleep 0.05; done
device=$(head -n 1 "$work/sim.log")
[[ $device == /dev/* ]] || fail "the simulator did not start: $(cat "$work/sim.log")"

# Started with descriptors 0, 1 and 2 only: whatever else its programs get is its own.
(
    for fd in $(ls /proc/$BASHPID/fd); do ((fd > 2)) && eval "exec $fd>&-"; done 2>/dev/null
    exec env QT_QPA_PLATFORM=xcb QT_LOGGING_RULES="velmora.addins.info=true" VELMORA_COM1="$device" \
        "$prefix/bin/$command" -C1 -P
) >"$work/velmora.log" 2>&1 &
velmora=$!
pids+=($velmora)
main=$(timeout 30 xdotool search --sync --onlyvisible --name '^Velmora$' | head -n 1)
[[ -n $main ]] || fail "no main window: $(cat "$work/velmora.log")"
grep -q "add-in VelmoraTray.TrayAddIn in $prefix/lib/velmora/AddIn/VelmoraTray.so" \
    "$work/velmora.log" || fail "the add-in was not found in the installed folder"
grep -q "add-in \"Velmora Tray\" $version registered" "$work/velmora.log" ||
    fail "the tray add-in did not register with version $version"
# The MQTT add-in, where it is built: installed beside the tray, registered, and off without a
# broker in the settings.
if [[ -e $build/bin/AddIn/VelmoraMqtt.so ]]; then
    grep -q "add-in \"Velmora MQTT\" $version registered" "$work/velmora.log" ||
        fail "the MQTT add-in was not installed or did not register"
fi
grep -q "add-in VelmoraExample.ExampleAddIn in $XDG_DATA_HOME/Velmora/AddIn/VelmoraExample.so" \
    "$work/velmora.log" || fail "the example add-in was not found in the user's folder"
grep -q "add-in \"Velmora example\" $version registered" "$work/velmora.log" ||
    fail "the example add-in did not register: $(cat "$work/velmora.log")"

# Setup > Create Logfile (the last item of the Setup menu), then traffic for the log.
xdotool windowfocus --sync "$main"
xdotool key --delay 200 alt+s Up Return
log=$XDG_STATE_HOME/Velmora/debug.txt
for _ in $(seq 100); do
    echo "volume up 1" >"$work/panel"
    grep -qs -- '<--- ' "$log" && break
    sleep 0.2
done
grep -qs -- '<--- ' "$log" || fail "no received line in $log"
# The example add-in heard the volume and read the status lines through its host object.
for _ in $(seq 50); do grep -q "status lines: VOLUME" "$work/velmora.log" && break; sleep 0.1; done
grep -q "status lines: VOLUME" "$work/velmora.log" ||
    fail "the example add-in did not read the status lines: $(cat "$work/velmora.log")"
[[ ! -e $prefix/bin/debug.txt ]] || fail "debug.txt was written beside the installed program"

# The 6.1/ES key's command gets 0, 1 and 2 (and its own listing), no descriptor of the program:
# not its serial port, X and bus connections, log file or signal pipe.
echo es >"$work/panel"
for _ in $(seq 100); do grep -q ' 0 -> ' "$work/velmora.log" && break; sleep 0.1; done
grep -q ' 0 -> ' "$work/velmora.log" || fail "the 6.1/ES key ran no command"
passed=$(sed -n 's/^l.* \([0-9]*\) -> \(.*\)$/\1 \2/p' "$work/velmora.log" |
    grep -Ev '^[012] |^[0-9]+ /proc/[0-9]+/fd$' || true)
[[ -z $passed ]] || fail "the started command was given the program's descriptors: $passed"
# The session ends: SIGTERM ends the program the orderly way, saving its settings.
kill -TERM "$velmora"
for _ in $(seq 100); do kill -0 "$velmora" 2>/dev/null || break; sleep 0.1; done
! kill -0 "$velmora" 2>/dev/null || fail "the program did not end on SIGTERM"
wait "$velmora" || fail "the program ended on SIGTERM with exit code $?"
grep -qs '^Com=1' "$XDG_CONFIG_HOME/Velmora/Velmora.conf" || fail "no settings saved on SIGTERM"
# The same while a box waits in its own event loop (no bridge answers at port 1's URL): the box
# is closed and the program still ends the orderly way.
rm "$XDG_CONFIG_HOME/Velmora/Velmora.conf"
QT_QPA_PLATFORM=xcb VELMORA_COM1=tcp://127.0.0.1:1 "$prefix/bin/velmora" -C1 >"$work/box.log" 2>&1 &
velmora=$!
pids+=($velmora)
windows=0
for _ in $(seq 300); do
    windows=$(xdotool search --onlyvisible --name '^Velmora$' 2>/dev/null | wc -l || true)
    ((windows > 1)) && break
    sleep 0.1
done
((windows > 1)) || fail "no box for the unreachable bridge: $(cat "$work/box.log")"
kill -TERM "$velmora"
wait "$velmora" || fail "the program ended on SIGTERM over its box with exit code $?"
grep -qs '^Com=1' "$XDG_CONFIG_HOME/Velmora/Velmora.conf" || fail "no settings saved on SIGTERM over a box"
echo "installed tree checked: $prefix"
