#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs Velmora's Windows installer under Wine, runs the installed program and uninstalls it
# again, printing each check and the time each step took; exits non-zero when a check fails.
#
#   tests/windows/check_installer.sh [PREFIX] SETUP_EXE
#
# PREFIX is a Wine prefix to create (missing or empty); without it a temporary one is made and
# removed. Without $DISPLAY a virtual display (Xvfb, with openbox when there is one) is started.
# The traffic-log check connects the installed program to the receiver simulator of the Linux
# build (build/bin/velmora-receiver-sim, or $VELMORA_BUILD_DIR/bin/...) behind COM1; without the
# simulator that check is skipped.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
case $# in
1) prefix= setup=$1 ;;
2) prefix=$1 setup=$2 ;;
*)
    echo "usage: $0 [PREFIX] SETUP_EXE" >&2
    exit 2
    ;;
esac
setup=$(realpath "$setup")
work=$(mktemp -d /tmp/velmora-check.XXXXXX)
if [[ -z $prefix ]]; then
    prefix=$work/prefix
elif [[ -e $prefix && -n $(ls -A "$prefix") ]]; then
    echo "check_installer: $prefix is not empty; give a fresh prefix" >&2
    exit 2
fi
mkdir -p "$prefix"
export WINEPREFIX=$(realpath "$prefix") WINEARCH=win64 WINEDEBUG=-all
# No menu entries or file types of the prefix on this machine's desktop; no Mono, no Gecko.
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
pids=()
cleanup() {
    wineserver -k 2>/dev/null || true
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
if [[ -z ${DISPLAY:-} ]]; then
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do [[ -s $work/display ]] && break; sleep 0.1; done
    export DISPLAY=:$(cat "$work/display")
    # a window manager gives the program's window the keyboard as a desktop does
    if command -v openbox >/dev/null; then
        openbox >/dev/null 2>&1 &
        pids+=($!)
    fi
fi

failures=0
check() { # check WHAT COMMAND...
    local what=$1
    shift
    if "$@"; then
        echo "ok      $what"
    else
        echo "FAILED  $what"
        failures=$((failures + 1))
    fi
}
timed() { # timed WHAT COMMAND...: its output is dropped
    local what=$1 started=$SECONDS
    shift
    "$@" >/dev/null 2>&1
    wineserver -w
    echo "time    $what: $((SECONDS - started)) s"
}
waitfor() { # waitfor SECONDS COMMAND...: the command succeeds in time
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        ((SECONDS < deadline)) || return 1
        sleep 0.3
    done
}
reg_value() { # reg_value KEY NAME: the value's data, or nothing
    wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
        awk -v name="$2" '$1 == name { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'
}
has_key() { wine reg query "$1" >/dev/null 2>&1; }
no_key() { ! has_key "$1"; }
unix_path() { winepath -u "$1" 2>/dev/null | tr -d '\r'; }
nonempty() { [[ -s $1 ]]; }

timed "a fresh prefix" wine wineboot -i
echo "size    installer: $(du -k "$setup" | cut -f1) KiB"
timed "silent install" wine "$setup" /S

folder=$(unix_path 'C:\Program Files')/Velmora
start_menu=$(unix_path 'C:\ProgramData\Microsoft\Windows\Start Menu\Programs')
local_velmora=$(unix_path "$(wine cmd /c echo '%LOCALAPPDATA%' 2>/dev/null | tr -d '\r')")/Velmora
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora'
settings_key='HKCU\Software\Velmora\Velmora'

for file in velmora.exe uninstall.exe Qt6Core.dll platforms/qwindows.dll AddIn/VelmoraTray.dll; do
    check "installed: C:\\Program Files\\Velmora\\${file//\//\\}" test -f "$folder/$file"
done
echo "size    installed: $(du -sk "$folder" | cut -f1) KiB in $(find "$folder" -type f | wc -l) files"
check "Start menu: Velmora.lnk" test -f "$start_menu/Velmora.lnk"
check "Add/Remove Programs: Velmora" has_key "$uninstall_key"
for name in DisplayName DisplayIcon DisplayVersion Publisher UninstallString QuietUninstallString EstimatedSize; do
    value=$(reg_value "$uninstall_key" "$name")
    check "  $name = $value" test -n "$value"
done
check "  EstimatedSize is not 0" test "$(reg_value "$uninstall_key" EstimatedSize)" != 0x0
quiet=$(reg_value "$uninstall_key" QuietUninstallString)
check "  QuietUninstallString ends in /S" test "${quiet% /S}" != "$quiet"

# The receiver simulator on a pseudo-terminal behind COM1, when the Linux build has it.
sim=${VELMORA_BUILD_DIR:-$root/build}/bin/velmora-receiver-sim
have_sim=false
if [[ -x $sim ]]; then
    mkfifo "$work/panel"
    "$sim" --standby <>"$work/panel" >"$work/sim.log" 2>&1 &
    pids+=($!)
    waitfor 10 nonempty "$work/sim.log"
    wine reg add 'HKLM\Software\Wine\Ports' /v COM1 /t REG_SZ /d "$(head -n 1 "$work/sim.log")" /f >/dev/null 2>&1
    wineserver -k
    wineserver -w
    have_sim=true
fi
# Connected once the program has set the report interval, the last step of connecting: keys
# typed before that go to a window that is still busy with the receiver.
connected() { grep -q '^report interval' "$work/sim.log"; }
log_on() {
    local main attempt
    main=$(xdotool search --sync --onlyvisible --name '^Velmora$' | head -n 1)
    sleep 1
    # Setup > Create Logfile, the menu's last item; then a report for the log. A menu key that
    # a busy window let pass is typed again: the item is still unchecked while nothing is logged.
    for attempt in 1 2 3; do
        xdotool windowactivate --sync "$main" 2>/dev/null || true
        xdotool key --delay 200 alt+s Up Return
        sleep 0.5
        echo "input CD" >"$work/panel"
        waitfor 8 nonempty "$local_velmora/debug.txt" && return 0
        echo "input DVD" >"$work/panel"
        waitfor 2 nonempty "$local_velmora/debug.txt" && return 0
    done
    return 1
}
shown_or_ended() { xdotool search --onlyvisible --name '^Velmora$' >/dev/null || ended; }
ended() { ! kill -0 "$pid" 2>/dev/null; } # of run_program's program
# The installed program, started as from its Start-menu entry, until its main window shows;
# then closed as a user closes it, so that it saves its settings. The test add-in of the
# Windows build (StatusFile.dll) writes "loaded" to $VELMORA_STATUS_FILE when it is loaded.
run_program() { # run_program LOG [ARGUMENT]
    VELMORA_STATUS_FILE=$(winepath -w "$work/status.txt" 2>/dev/null | tr -d '\r') \
        wine "C:\\Program Files\\Velmora\\velmora.exe" "${@:2}" >"$1" 2>&1 &
    local pid=$! shown=1
    waitfor 60 shown_or_ended "$1"
    ended || shown=0
    if [[ $shown == 0 && ${2:-} == -C1 ]]; then
        check "  it connects to the simulator on COM1" waitfor 60 connected
        check "  Setup > Create Logfile writes %LOCALAPPDATA%\\Velmora\\debug.txt" log_on
    fi
    wine taskkill /im velmora.exe >/dev/null 2>&1 || true
    waitfor 30 ended || kill "$pid" 2>/dev/null || true
    wineserver -w
    return $shown
}
status_loaded() { grep -q '^loaded' "$work/status.txt" 2>/dev/null; }
status_addin=${VELMORA_WINDOWS_BUILD_DIR:-$root/build-windows}/tests/AddIn/StatusFile.dll
have_status=false
[[ -f $status_addin ]] && have_status=true
started=$SECONDS
$have_status && cp "$status_addin" "$folder/AddIn/"
if $have_sim; then
    check "the installed program starts (-C1 -P)" run_program "$work/first.log" -C1 -P
else
    echo "skipped the traffic log: no simulator at $sim"
    check "the installed program starts" run_program "$work/first.log"
fi
echo "time    first start and end: $((SECONDS - started)) s"
check "  it saves its settings in $settings_key" has_key "$settings_key\\Config"
check "  no debug.txt beside the installed program" test ! -e "$folder/debug.txt"
if $have_status; then
    check "  it loads the add-ins in AddIn beside it" status_loaded
    # The user's own add-ins: %LOCALAPPDATA%\Velmora\AddIn.
    rm -f "$folder/AddIn/StatusFile.dll" "$work/status.txt"
    mkdir -p "$local_velmora/AddIn"
    cp "$status_addin" "$local_velmora/AddIn/"
    check "started again with an add-in in %LOCALAPPDATA%\\Velmora\\AddIn" run_program "$work/second.log"
    check "  it loads that add-in" status_loaded
else
    echo "skipped the add-in folders: no test add-in at $status_addin (scripts/build-windows with the suites)"
fi
if ((failures)); then
    for log in "$work"/*.log; do
        echo "--- $(basename "$log")"
        tail -n 20 "$log"
    done
fi

timed "silent uninstall" wine "$folder/uninstall.exe" /S
check "uninstalled: C:\\Program Files\\Velmora is gone" test ! -e "$folder"
check "uninstalled: Velmora.lnk is gone" test ! -e "$start_menu/Velmora.lnk"
check "uninstalled: the Add/Remove Programs entry is gone" no_key "$uninstall_key"
check "kept: the settings in $settings_key" has_key "$settings_key"
check "kept: %LOCALAPPDATA%\\Velmora" test -d "$local_velmora"

# Installed again, and once more over that installation; then uninstalled with the settings.
wine "$setup" /S
wineserver -w
timed "silent install over an installation" wine "$setup" /S
check "installed over an installation: velmora.exe, uninstall.exe" \
    test -f "$folder/velmora.exe" -a -f "$folder/uninstall.exe"
wine "$folder/uninstall.exe" /S /REMOVESETTINGS
wineserver -w
check "uninstall /S /REMOVESETTINGS: C:\\Program Files\\Velmora is gone" test ! -e "$folder"
check "uninstall /S /REMOVESETTINGS: the settings are gone" no_key "$settings_key"
check "uninstall /S /REMOVESETTINGS: %LOCALAPPDATA%\\Velmora is gone" test ! -e "$local_velmora"

if ((failures)); then
    echo "check_installer: $failures check(s) failed"
    exit 1
fi
echo "check_installer: all checks passed"
