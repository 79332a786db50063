#!/usr/bin/env bash
# Times the costly paths of the program against baselines that do only the
# unavoidable work, and prints one table. Each figure is the median of five
# runs after a warm-up. Data is generated in a temporary folder and removed.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${MURKWELL_BENCH_BUILD:-$root/build-release}
"$root/scripts/setup.sh"
"$root/scripts/setup.sh" "$root/scripts/packages-bench.txt"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target murkwell-cli jpz bench_classify_baseline \
    bench_copy_baseline bench_make_files bench_peak_rss bench_listing_run bench_make_jpeg \
    bench_preview_decode >/dev/null

cli=$build/bin/murkwell-cli
bin=$build/bin
work=$(mktemp -d "${TMPDIR:-/tmp}/murkwell-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
export MURKWELL_HOME=$work/home
printf 'bench password\n' >"$work/pass"

# shellcheck source=bench/timing.sh
source "$root/bench/timing.sh"

# A warm-up, then the median of five runs.
median_ms() {
    local times=()
    "$@" >/dev/null
    for _ in 1 2 3 4 5; do times+=("$(time_ms "$@")"); done
    median "${times[@]}"
}

rows=()
row() { # name program_ms baseline_ms target
    local ratio ok
    ratio=$(awk -v p="$2" -v b="$3" 'BEGIN { printf "%.2f", (b > 0 ? p / b : 0) }')
    ok=$(awk -v r="$ratio" -v t="$4" 'BEGIN { print (t == "-" ? "-" : (r <= t ? "yes" : "NO")) }')
    rows+=("$(printf '| %s | %s ms | %s ms | %s | <= %s | %s |' "$1" "$2" "$3" "$ratio" "$4" "$ok")")
    echo "${rows[-1]}" >&2
}

# Classification of 20,000 files of 50-500 KB. Only the head and the tail
# of a file are read, so the files are sparse.
mkdir "$work/many"
"$bin/bench_make_files" "$work/many" 20000 51200 512000 sparse
mapfile -t many < <(ls -d "$work"/many/*.jpg)
row "classify 20,000 files of 50-500 KB" \
    "$(median_ms "$cli" check "${many[@]}")" \
    "$(median_ms "$bin/bench_classify_baseline" "${many[@]}")" 1.5

# The listing run a folder choice starts, headless, against the CLI's check
# of the same folder.
row "listing run of 20,000 files (batch layer)" \
    "$(median_ms "$bin/bench_listing_run" "$work/many")" \
    "$(median_ms "$cli" check "$work/many")" 3

# Shield and restore 300 files of 2-8 MB in each format.
mkdir "$work/big"
"$bin/bench_make_files" "$work/big" 300 2000000 8000000
mapfile -t big < <(ls -d "$work"/big/*.jpg)
for format in normal extra ultra; do
    shield=() restore=() baseline=()
    "$cli" shield --format "$format" --password-file "$work/pass" "${big[@]}" >/dev/null
    "$cli" restore --password-file "$work/pass" "${big[@]}" >/dev/null
    "$bin/bench_copy_baseline" "${big[@]}"
    for _ in 1 2 3 4 5; do
        shield+=("$(time_ms "$cli" shield --format "$format" --password-file "$work/pass" "${big[@]}")")
        restore+=("$(time_ms "$cli" restore --password-file "$work/pass" "${big[@]}")")
        baseline+=("$(time_ms "$bin/bench_copy_baseline" "${big[@]}")")
    done
    base=$(median "${baseline[@]}")
    row "shield 300 files of 2-8 MB, $format" "$(median "${shield[@]}")" "$base" 1.15
    row "restore 300 files of 2-8 MB, $format" "$(median "${restore[@]}")" "$base" 1.15
done

# Jpz: the whole picture is encrypted, with one Argon2id derivation per run.
# gpg's symmetric encryption of the same files is shown for the record.
printf 'bench password 8\n' >"$work/pass8"
export GNUPGHOME=$work/gnupg
mkdir -m 700 "$GNUPGHOME"
gpg_all() {
    local file
    for file in "${big[@]}"; do
        gpg --batch --yes --quiet --pinentry-mode loopback --passphrase-file "$work/pass8" \
            --symmetric -z 0 -o "$work/gpg.out" "$file"
    done
}
jpz=() baseline=() gpgs=()
"$cli" shield --format jpz --password-file "$work/pass8" "${big[@]}" >/dev/null
"$cli" restore --password-file "$work/pass8" "${big[@]}" >/dev/null
for _ in 1 2 3 4 5; do
    jpz+=("$(time_ms "$cli" shield --format jpz --password-file "$work/pass8" "${big[@]}")")
    "$cli" restore --password-file "$work/pass8" "${big[@]}" >/dev/null
    baseline+=("$(time_ms "$bin/bench_copy_baseline" "${big[@]}")")
done
# For the record only, and slow: one timed run, the files already cached.
gpgs+=("$(time_ms gpg_all)")
base=$(median "${baseline[@]}")
row "Jpz shield of 300 files of 2-8 MB" "$(median "${jpz[@]}")" "$base" 1.5
row "for the record: gpg --symmetric -z 0 of the same (one run)" "${gpgs[0]}" "$base" "-"

# Peak memory of a shield of one 512 MB file, against its size.
mkdir "$work/huge"
"$bin/bench_make_files" "$work/huge" 1 536870912 536870912
peak_kib=$("$bin/bench_peak_rss" "$cli" shield --format normal "$work/huge/00000.jpg" 2>&1 >/dev/null |
    awk '/peak_rss_kib/ { print $2 }')
limit_kib=$((536870912 / 1024 * 125 / 100 + 32 * 1024))
rows+=("$(printf '| peak memory, shield of one 512 MB file | %s MiB | limit %s MiB | %.2f x size | <= 1.25 x size + 32 MiB | %s |' \
    $((peak_kib / 1024)) $((limit_kib / 1024)) "$(awk -v p="$peak_kib" 'BEGIN { printf "%.2f", p / 524288 }')" \
    "$([[ $peak_kib -le $limit_kib ]] && echo yes || echo NO)")")
rm -rf "$work/huge"

# The preview of a 6000 x 4000 picture in a 320 x 240 pane, against a full
# decode by djpeg.
"$bin/bench_make_jpeg" 6000 4000 "$work/large.jpg"
# The program reports its decode time itself, since loading the window
# libraries is start-up, not preview work; djpeg's start-up is a few ms.
preview_ms() { "$bin/bench_preview_decode" "$work/large.jpg" 320 240 | awk '{ print $NF }'; }
preview_ms >/dev/null
previews=()
for _ in 1 2 3 4 5; do previews+=("$(preview_ms)"); done
full_decode=$(median_ms djpeg -outfile /dev/null "$work/large.jpg")
row "preview of a 6000 x 4000 JPEG (320 x 240 pane)" "$(median "${previews[@]}")" "$full_decode" 0.5
# libjpeg's own decode at the preview's scale: the entropy decoding of the
# whole file is the same at every scale, so this is the floor of that row.
row "for the record: djpeg -scale 1/8 of the same" \
    "$(median_ms djpeg -scale 1/8 -outfile /dev/null "$work/large.jpg")" "$full_decode" "-"

echo
echo "| Row | Program | Baseline | Ratio | Target | Within |"
echo "|---|---|---|---|---|---|"
printf '%s\n' "${rows[@]}"
echo
echo "Machine: $(nproc) cores, $(awk '/MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo), $(uname -sr)"
echo "Whole run, build included: $((SECONDS / 60)) min $((SECONDS % 60)) s"
