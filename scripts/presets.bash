# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the scripts: the preset of CMakePresets.json and the build folder a run uses.
# use_preset NAME (default, sanitize, fuzz) sets $preset and $build: NAME in its own folder
# (build/, build-sanitize/, build-fuzz/), or NAME-dir when the folder's variable names another.
use_preset() {
    local variable folder
    case $1 in
    default) variable=VELMORA_BUILD_DIR folder=build ;;
    sanitize) variable=VELMORA_SANITIZE_BUILD_DIR folder=build-sanitize ;;
    fuzz) variable=VELMORA_FUZZ_BUILD_DIR folder=build-fuzz ;;
    *) echo "use_preset: no preset $1" >&2; return 1 ;;
    esac
    if [[ -n ${!variable:-} ]]; then
        preset=$1-dir build=${!variable}
    else
        preset=$1 build=$folder
    fi
}
