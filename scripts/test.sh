#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; then runs the tests
# that need no window again in a build with AddressSanitizer and
# UndefinedBehaviorSanitizer, which fails on any report.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${MURKWELL_BUILD:-$root/build}
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"

asan=${MURKWELL_ASAN_BUILD:-$root/build-asan}
flags="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
cmake -S "$root" -B "$asan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" >/dev/null
cmake --build "$asan" -j "$(nproc)" --target headless_tests murkwell-cli
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir "$asan" --output-on-failure -j "$(nproc)" -LE slow -E _NOT_BUILT
