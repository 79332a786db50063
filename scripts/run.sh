#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${MURKWELL_BUILD:-$root/build}
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
if [[ -x "$build/bin/murkwell" ]]; then
    if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
        echo "There is no display to open the window on. Start it under a virtual one:" >&2
        echo "  apt-get install -y --no-install-recommends xvfb xauth" >&2
        echo "  xvfb-run -a $build/bin/murkwell" >&2
        exit 1
    fi
    exec "$build/bin/murkwell" "$@"
fi
exec "$build/bin/murkwell-cli" --help
