#!/usr/bin/env bash
# restore_rows.sh BIN COUNT CLI...
# The restore rows of run.sh alone, for one or more builds of murkwell-cli
# on the same files: COUNT files of 2-8 MB made by BIN/bench_make_files,
# shielded in each format by each CLI, then the median of five timed
# restores (each after a shield, as run.sh times them) beside the median of
# five runs of BIN/bench_copy_baseline. The CLIs take turns within each
# round, so a busy machine slows them alike.
set -euo pipefail

bin=$1 count=$2
shift 2
clis=("$@")
work=$(mktemp -d "${TMPDIR:-/tmp}/murkwell-restore-rows-XXXXXX")
trap 'rm -rf "$work"' EXIT
export MURKWELL_HOME=$work/home
printf 'bench password\n' >"$work/pass"
mkdir "$work/big"
"$bin/bench_make_files" "$work/big" "$count" 2000000 8000000
mapfile -t big < <(ls -d "$work"/big/*.jpg)

now_ns() { date +%s%N; }
time_ms() {
    local start end
    start=$(now_ns)
    "$@" >/dev/null
    end=$(now_ns)
    echo $(((end - start) / 1000000))
}
median() { printf '%s\n' "$@" | sort -n | sed -n "$(((${#} + 1) / 2))p"; }

echo "| Row | $(printf '%s | ' "${clis[@]}")copy baseline |"
for format in normal extra ultra; do
    declare -A times=()
    baseline=()
    for cli in "${clis[@]}"; do
        "$cli" shield --format "$format" --password-file "$work/pass" "${big[@]}" >/dev/null
        "$cli" restore --password-file "$work/pass" "${big[@]}" >/dev/null
    done
    "$bin/bench_copy_baseline" "${big[@]}"
    for _ in 1 2 3 4 5; do
        for i in "${!clis[@]}"; do
            "${clis[$i]}" shield --format "$format" --password-file "$work/pass" "${big[@]}" >/dev/null
            times[$i]+=" $(time_ms "${clis[$i]}" restore --password-file "$work/pass" "${big[@]}")"
        done
        baseline+=("$(time_ms "$bin/bench_copy_baseline" "${big[@]}")")
    done
    row="| restore $count files of 2-8 MB, $format |"
    for i in "${!clis[@]}"; do
        # shellcheck disable=SC2086
        row+=" $(median ${times[$i]}) ms |"
    done
    echo "$row $(median "${baseline[@]}") ms |"
    unset times
done
