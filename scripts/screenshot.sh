#!/usr/bin/env bash
# Starts the program under a virtual X display on a generated folder of
# pictures (two of them shielded) and saves what a user sees:
#   scripts/screenshot.sh [OUTPUT.png]
# OUTPUT.png (default build/screenshot.png) is the main window once the
# folder is listed; OUTPUT-help.png is the screen with the help drop-down
# open. Settings, the instance lock and the pictures live in a temporary
# folder, so a running Murkwell and the user's own settings are untouched.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${MURKWELL_BUILD:-$root/build}
output=$(realpath -m "${1:-$build/screenshot.png}")
"$root/scripts/setup.sh"
"$root/scripts/setup.sh" "$root/scripts/packages-screenshot.txt"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target murkwell murkwell-cli make_pictures

work=$(mktemp -d "${TMPDIR:-/tmp}/murkwell-screenshot-XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home" "$work/pictures"
# No login window.
printf '[General]\nd0=0\n' >"$work/home/registry.ini"
"$build/bin/make_pictures" "$work/pictures" 8
printf 'screenshot\n' >"$work/pass"
export MURKWELL_HOME=$work/home XDG_RUNTIME_DIR=$work
"$build/bin/murkwell-cli" shield --format normal "$work/pictures/photo03.jpg" >/dev/null
"$build/bin/murkwell-cli" shield --format extra --password-file "$work/pass" \
    "$work/pictures/photo06.jpg" >/dev/null

mkdir -p "$(dirname "$output")"
rm -f "$output"
MURKWELL_SCREENSHOT=$output xvfb-run -a -s "-screen 0 1280x1024x24" \
    "$build/bin/murkwell" "$work/pictures"
[[ -s "$output" ]] || { echo "No screenshot was saved." >&2; exit 1; }
echo "Saved $output and ${output%.png}-help.png"
