#!/usr/bin/env bash
# Builds the fuzz harnesses with clang, makes their seed corpora, and runs
# each for a fixed time (default 60 seconds), printing the executions per
# second and any finding. Usage: tests/fuzz/run.sh [SECONDS] [HARNESS...]
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${MURKWELL_FUZZ_BUILD:-$root/build-fuzz}
seconds=${1:-60}
shift || true
harnesses=("$@")
if [[ ${#harnesses[@]} -eq 0 ]]; then
    harnesses=(classify normal_restore extra_restore ultra_restore jpz_restore jpz_reader
        settings_read preview_decode)
fi

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DMURKWELL_FUZZ=ON \
    -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
targets=(fuzz_make_seeds)
for harness in "${harnesses[@]}"; do targets+=("fuzz_$harness"); done
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}" >/dev/null

work=$build/fuzz-work
mkdir -p "$work"
"$build/bin/fuzz_make_seeds" "$work/seeds"

status=0
printf '%-18s %10s %12s %8s %s\n' harness seconds execs/s corpus finding
for harness in "${harnesses[@]}"; do
    corpus=$work/corpus/$harness
    findings=$work/findings/$harness
    mkdir -p "$corpus" "$findings"
    log=$work/$harness.log
    if "$build/bin/fuzz_$harness" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$findings/" "$corpus" "$work/seeds/$harness" >"$log" 2>&1; then
        finding=none
    else
        finding="see $findings ($(ls "$findings" | head -1))"
        status=1
    fi
    execs=$(awk '/stat::number_of_executed_units/ { n = $2 } END { print n + 0 }' "$log")
    rate=$((execs / seconds))
    printf '%-18s %10s %12s %8s %s\n' "$harness" "$seconds" "$rate" "$(ls "$corpus" | wc -l)" "$finding"
done
exit $status
