#!/usr/bin/env bash
# Usage: PagesTest.sh SOURCE
# The manual pages render without a warning, and the bash completion offers
# the verbs, the options of a verb, the formats and the modes of a format.
set -euo pipefail

source_dir=$1
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

for page in "$source_dir"/packaging/man/murkwell.1 "$source_dir"/packaging/man/murkwell-cli.1; do
    warnings=$(groff -ww -z -man "$page" 2>&1)
    [[ -z $warnings ]] || fail "groff on $page: $warnings"
    warnings=$(mandoc -T lint "$page" 2>&1) || true
    [[ -z $warnings ]] || fail "mandoc on $page: $warnings"
done

# shellcheck disable=SC1091
source /usr/share/bash-completion/bash_completion
# shellcheck disable=SC1091
source "$source_dir"/packaging/bash-completion/murkwell-cli

offered() {
    local line=$1
    read -r -a COMP_WORDS <<<"$line"
    [[ $line == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE=$line
    COMP_POINT=${#line}
    COMPREPLY=()
    _murkwell_cli murkwell-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    echo "${COMPREPLY[*]}"
}

expect() {
    local got
    got=$(offered "$1")
    [[ $got == "$2" ]] || fail "'$1' offers '$got', not '$2'"
}

expect "murkwell-cli " "check shield restore verify help"
expect "murkwell-cli ve" "verify"
expect "murkwell-cli shield --format " "normal extra ultra jpz"
expect "murkwell-cli shield --format extra --mode " "1 2 3 4 5"
expect "murkwell-cli restore --n" "--no-verify"
expect "murkwell-cli verify --j" "--json"
expect "murkwell-cli help r" "restore"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/album"
touch "$work/a.jpg" "$work/b.JPEG" "$work/notes.txt"
cd "$work"
got=$(offered "murkwell-cli check " | tr ' ' '\n' | sort | tr '\n' ' ')
[[ $got == "a.jpg album b.JPEG " ]] || fail "paths offered: '$got'"

echo "manual pages and completion: fine"
