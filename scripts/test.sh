#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
ctest --test-dir "${MURKWELL_BUILD:-$root/build}" --output-on-failure -j "$(nproc)"
