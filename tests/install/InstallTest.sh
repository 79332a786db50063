#!/usr/bin/env bash
# Usage: InstallTest.sh BUILD [FILE...], where the files are the targets the
# install needs; without them the test is skipped (status 77).
# Installs the build into temporary prefixes and checks that unins000 puts
# each prefix back as it was: a prefix that did not exist, an empty one, and
# one whose shared folders already hold other programs' files.
set -euo pipefail

build=$1
shift
for file in "$@"; do
    if [[ ! -e $file ]]; then
        echo "skipped: $file has not been built" >&2
        exit 77
    fi
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Every entry with its type, mode and, for files and links, content.
snapshot() {
    if [[ ! -e $1 ]]; then
        echo "absent"
        return
    fi
    (cd "$1" && find . -printf '%y %m %p %l\n' | sort &&
        find . -type f -exec sha256sum {} + | sort -k2)
}

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

check_prefix() {
    local prefix=$1
    local before after
    before=$(snapshot "$prefix")
    cmake --install "$build" --prefix "$prefix" >"$work/install.log"

    local program=$prefix/lib/murkwell
    [[ -x $program/unins000 ]] || fail "no unins000 in $program"
    [[ -f $program/libjpz.so ]] || fail "no libjpz.so in $program"
    [[ -f $prefix/share/murkwell/man/index.html ]] || fail "no manual"
    [[ -f $prefix/share/applications/org.example.murkwell.desktop ]] || fail "no desktop entry"
    [[ -f $prefix/share/metainfo/org.example.murkwell.metainfo.xml ]] || fail "no metadata"
    [[ -f $prefix/share/doc/murkwell/changelog.Debian.gz ]] || fail "no change log"
    [[ -f $prefix/share/icons/hicolor/scalable/apps/murkwell.svg ]] || fail "no icon"
    [[ -L $prefix/bin/murkwell-cli && -x $prefix/bin/murkwell-cli ]] ||
        fail "bin/murkwell-cli is not a working link"
    # The tool started through its link finds the library beside its real path.
    "$prefix/bin/murkwell-cli" check "$prefix/share/murkwell/man/index.html" >/dev/null 2>&1 ||
        [[ $? -eq 1 ]] || fail "murkwell-cli does not run from the install"

    # Every file CMake installed is listed for removal.
    while read -r file; do
        grep -qxF "f ${file#"$prefix"/}" "$program/install-manifest.txt" ||
            fail "$file is not in the uninstall list"
    done <"$build/install_manifest.txt"

    "$program/unins000" >/dev/null
    after=$(snapshot "$prefix")
    [[ $before == "$after" ]] || {
        diff <(echo "$before") <(echo "$after") >&2 || true
        fail "$prefix differs after unins000"
    }
}

check_prefix "$work/new/prefix"

mkdir -p "$work/empty"
check_prefix "$work/empty"

mkdir -p "$work/shared/bin" "$work/shared/share/applications" "$work/shared/share/icons/hicolor"
echo "[Desktop Entry]" >"$work/shared/share/applications/other.desktop"
echo "#!/bin/sh" >"$work/shared/bin/other" && chmod 755 "$work/shared/bin/other"
check_prefix "$work/shared"

# Installed twice into the same prefix, it is still removed completely.
mkdir -p "$work/twice"
cmake --install "$build" --prefix "$work/twice" >/dev/null
cmake --install "$build" --prefix "$work/twice" >/dev/null
"$work/twice/lib/murkwell/unins000" >/dev/null
[[ -z $(ls -A "$work/twice") ]] || fail "a second install left files behind"

# A list that names paths outside the prefix removes nothing there.
mkdir -p "$work/tampered"
cmake --install "$build" --prefix "$work/tampered" >/dev/null
echo keep >"$work/outside"
printf 'f ../outside\nf %s\n' "$work/outside" >>"$work/tampered/lib/murkwell/install-manifest.txt"
"$work/tampered/lib/murkwell/unins000" >/dev/null 2>&1
[[ -f $work/outside ]] || fail "unins000 removed a file outside its prefix"
[[ -z $(ls -A "$work/tampered") ]] || fail "the tampered list stopped the removal"

echo "install and unins000: every prefix is as it was"
