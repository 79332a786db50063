#!/usr/bin/env bash
# Builds the Debian package from a clean build and checks it the way a user
# meets it, on a fresh Debian 12:
#   sudo scripts/package-check.sh
# The package's files are checked with dpkg-deb, desktop-file-validate,
# appstreamcli and lintian; then a minimal Debian 12 is made with debootstrap
# in a temporary folder, the package is installed there with apt-get, the
# installed programs are run from /usr/bin (the window under xvfb-run),
# unins000 must refuse, and after a purge nothing of the package may be left.
#
# Environment:
#   MURKWELL_PACKAGE_BUILD  build folder, emptied first (default build-package/)
#   MURKWELL_PACKAGE_CACHE  a folder that keeps downloaded .deb files between
#                           runs (default: none, everything is downloaded)
#   MURKWELL_MIRROR         Debian mirror (default: the one apt uses here)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(realpath -m "${MURKWELL_PACKAGE_BUILD:-$root/build-package}")
cache=${MURKWELL_PACKAGE_CACHE:+$(realpath -m "$MURKWELL_PACKAGE_CACHE")}
suite=bookworm
app_id=org.example.murkwell

if [[ $(id -u) -ne 0 ]]; then
    echo "package-check.sh makes a Debian system with debootstrap and chroot, so it" >&2
    echo "must run as root:  sudo $0" >&2
    exit 1
fi

step() { printf '\n== %s\n' "$*"; }
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

work=$(mktemp -d)
target=""

# Unmounts everything under the new system (ours, and debootstrap's if it was
# stopped half-way), deepest first, then removes it.
cleanup() {
    if [[ -n $target && -d $target ]]; then
        local mount
        findmnt -rn -o TARGET | awk -v t="$target/" 'index($0, t) == 1' | sort -r |
            while read -r mount; do
                umount "$mount" 2>/dev/null || umount -l "$mount" || true
            done
        if findmnt -rn -o TARGET | awk -v t="$target/" 'index($0, t) == 1 { f = 1 } END { exit !f }'; then
            echo "still mounted under $target; left in place" >&2
        else
            rm -rf --one-file-system "$target"
        fi
    fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

# The first mirror apt uses here for the suite, from deb822 .sources files or
# one-line .list entries.
apt_mirror() {
    local file
    for file in /etc/apt/sources.list.d/*.sources; do
        [[ -f $file ]] || continue
        awk -v suite="$suite" 'BEGIN { RS = ""; FS = "\n" }
            {
                types = ""; uris = ""; suites = ""; enabled = "yes"
                for (i = 1; i <= NF; i++) {
                    line = $i
                    if (sub(/^Types:[ \t]*/, "", line)) types = line
                    else if (sub(/^URIs:[ \t]*/, "", line)) uris = line
                    else if (sub(/^Suites:[ \t]*/, "", line)) suites = line
                    else if (sub(/^Enabled:[ \t]*/, "", line)) enabled = line
                }
                if (enabled != "no" && (" " types " ") ~ / deb / && (" " suites " ") ~ (" " suite " ")) {
                    split(uris, u, /[ \t]+/)
                    print u[1]
                    exit
                }
            }' "$file"
    done
    for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [[ -f $file ]] || continue
        awk -v suite="$suite" '$1 == "deb" {
                i = 2
                if ($i ~ /^\[/) { while ($i !~ /\]$/) i++; i++ }
                if ($(i + 1) == suite) { print $i; exit }
            }' "$file"
    done
}

host_tools() {
    "$root/scripts/setup.sh"
    "$root/scripts/setup.sh" "$root/scripts/packages-package.txt"
}

# --- The package --------------------------------------------------------

build_package() {
    step "Building the package in $build"
    rm -rf "$build"
    # Debian's hardening flags; CMake does not read CPPFLAGS itself.
    eval "$(cd "$root" && DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
    export CFLAGS="$CFLAGS $CPPFLAGS" CXXFLAGS="$CXXFLAGS $CPPFLAGS"
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF \
        >"$work/configure.log" || {
        cat "$work/configure.log" >&2
        fail "cmake could not configure"
    }
    rm -f "$work/configure.log"
    cmake --build "$build" -j "$(nproc)" | tail -n 1
    (cd "$build" && cpack -G DEB) | grep -v '^CPack: -' || true
    deb=$(find "$build" -maxdepth 1 -name 'murkwell_*.deb' -print -quit)
    [[ -n $deb ]] || fail "cpack made no package"
    echo "$(basename "$deb"), $(stat -c %s "$deb") bytes"
}

check_package_files() {
    step "Package contents"
    dpkg-deb -f "$deb" Package Version Architecture Section Installed-Size Depends Recommends
    local listing
    listing=$(dpkg-deb -c "$deb" | awk '{ print $6 }')
    local expected=(
        ./usr/bin/murkwell
        ./usr/bin/murkwell-cli
        ./usr/lib/murkwell/murkwell
        ./usr/lib/murkwell/murkwell-cli
        ./usr/lib/murkwell/libjpz.so
        ./usr/lib/murkwell/unins000
        ./usr/share/applications/$app_id.desktop
        ./usr/share/metainfo/$app_id.metainfo.xml
        ./usr/share/icons/hicolor/scalable/apps/murkwell.svg
        ./usr/share/murkwell/man/index.html
        ./usr/share/man/man1/murkwell.1.gz
        ./usr/share/man/man1/murkwell-cli.1.gz
        ./usr/share/bash-completion/completions/murkwell-cli
        ./usr/share/doc/murkwell/changelog.Debian.gz
        ./usr/share/doc/murkwell/copyright
    )
    local path missing=0
    for path in "${expected[@]}"; do
        if ! grep -qxF -- "$path" <<<"$listing"; then
            echo "missing: $path" >&2
            missing=1
        fi
    done
    [[ $missing -eq 0 ]] || fail "the package lacks files"
    local stray
    stray=$(grep -vE '^\./(usr/.*)?$' <<<"$listing" || true)
    [[ -z $stray ]] || fail "paths outside /usr: $stray"
    ! grep -qE '_CPack_Packages|CMakeFiles|/build' <<<"$listing" ||
        fail "build-tree paths in the package: $(grep -E '_CPack_Packages|CMakeFiles|/build' <<<"$listing")"
    echo "$(wc -l <<<"$listing") entries, all under /usr, every expected file present"

    unpacked=$work/deb
    dpkg-deb -x "$deb" "$unpacked"
    # No file of the package names the folders it was built in.
    local leaks
    leaks=$(grep -rlF -e "$root" -e "$build" "$unpacked" || true)
    [[ -z $leaks ]] || fail "files that name the build tree: ${leaks//$unpacked/}"
    echo "no file names $root or $build"
    gzip -t "$unpacked/usr/share/doc/murkwell/changelog.Debian.gz"
    zcat "$unpacked/usr/share/doc/murkwell/changelog.Debian.gz" >"$work/changelog"
    [[ $(dpkg-parsechangelog -l "$work/changelog" -S Version) == "$(dpkg-deb -f "$deb" Version)" ]] ||
        fail "the change log's first entry is not the package's version"
    rm -f "$work/changelog"
    echo "changelog.Debian.gz names version $(dpkg-deb -f "$deb" Version)"

    step "desktop-file-validate"
    desktop-file-validate "$unpacked/usr/share/applications/$app_id.desktop"
    echo "no findings"

    step "appstreamcli validate --no-net"
    appstreamcli validate --no-net --pedantic "$unpacked/usr/share/metainfo/$app_id.metainfo.xml"
    appstreamcli validate-tree --no-net "$unpacked" >"$work/tree" 2>&1 || {
        cat "$work/tree" >&2
        fail "appstreamcli validate-tree found faults"
    }
    grep -E '^[EW]:' "$work/tree" >&2 && fail "appstreamcli validate-tree warns"
    echo "validate-tree: $(tail -n 1 "$work/tree")"
    rm -f "$work/tree"

    step "lintian"
    local report
    report=$(lintian --display-info "$deb" 2>&1 | grep -v '^running with root privileges' || true)
    echo "${report:-no findings}"
    ! grep -q '^E:' <<<"$report" || fail "lintian reports errors"
}

# --- A fresh Debian 12 --------------------------------------------------


# Runs a command in the new system with a clean environment.
in_target() {
    chroot "$target" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
        DEBIAN_FRONTEND=noninteractive "$@"
}

make_target() {
    local mirror=${MURKWELL_MIRROR:-$(apt_mirror | head -n 1)}
    [[ -n $mirror ]] || fail "no mirror for $suite in /etc/apt; set MURKWELL_MIRROR"
    target=$(mktemp -d /var/tmp/murkwell-debian-XXXXXX)
    # The new system's root folder, which users other than root must enter.
    chmod 755 "$target"
    step "debootstrap --variant=minbase $suite into $target from $mirror"
    local options=(--variant=minbase)
    if [[ -n $cache ]]; then
        mkdir -p "$cache/debootstrap" "$cache/apt"
        options+=(--cache-dir="$cache/debootstrap")
    fi
    debootstrap "${options[@]}" "$suite" "$target" "$mirror" >"$target.log" 2>&1 || {
        tail -n 30 "$target.log" >&2
        rm -f "$target.log"
        fail "debootstrap failed"
    }
    rm -f "$target.log"
    echo "$(in_target cat /etc/debian_version), $(du -sh "$target" | cut -f1)"
    mount -t proc proc "$target/proc"
    [[ -z $cache ]] || mount --bind "$cache/apt" "$target/var/cache/apt/archives"
    cp /etc/resolv.conf "$target/etc/resolv.conf"
    # Services are not started inside the chroot.
    printf '#!/bin/sh\nexit 101\n' >"$target/usr/sbin/policy-rc.d"
    chmod 755 "$target/usr/sbin/policy-rc.d"
    in_target apt-get update -q >"$target/tmp/update.log" 2>&1 ||
        fail "apt-get update failed: $(tail -n 20 "$target/tmp/update.log")"
    tail -n 1 "$target/tmp/update.log"
    step "Tools of the check: man-db, xvfb, xauth"
    in_target apt-get install -y -q man-db xvfb xauth >"$target/tmp/tools.log" 2>&1 ||
        fail "the tools could not be installed: $(tail -n 20 "$target/tmp/tools.log")"
    grep -E '^[0-9]+ upgraded' "$target/tmp/tools.log"
}

install_package() {
    step "apt-get install ./$(basename "$deb")"
    mkdir -p "$target/tmp/check"
    cp "$deb" "$target/tmp/check/"
    in_target apt-get install -y -q "/tmp/check/$(basename "$deb")" >"$target/tmp/install.log" 2>&1 ||
        fail "apt-get install failed: $(tail -n 30 "$target/tmp/install.log")"
    grep -E '^(Setting up murkwell|[0-9]+ upgraded)' "$target/tmp/install.log"
    in_target dpkg-query -W -f='${Package} ${Version} ${db:Status-Status}\n' murkwell
    # Recommended, so the standard dialogs speak Japanese like the window.
    [[ -f "$target/usr/share/qt6/translations/qtbase_ja.qm" ]] ||
        fail "Qt's Japanese translations were not installed with the package"
}

# --- The installed programs ---------------------------------------------

check_cli() {
    step "murkwell-cli from /usr/bin"
    [[ $(in_target sh -c 'command -v murkwell-cli') == /usr/bin/murkwell-cli ]] ||
        fail "murkwell-cli is not /usr/bin/murkwell-cli"
    local version
    version=$(in_target murkwell-cli --version) || fail "murkwell-cli --version failed"
    echo "murkwell-cli --version: $version"
    [[ $version == *"$(dpkg-deb -f "$deb" Version | cut -d- -f1)"* ]] ||
        fail "--version does not name the package's version"

    # A picture through every format and back, Jpz through the installed
    # libjpz.so; each must come back byte for byte.
    # Noise keeps the picture longer than the 10 KiB Normal mode 1 rewrites.
    convert -size 320x240 gradient:navy-gold +noise Gaussian -quality 92 \
        "$target/tmp/check/photo.jpg"
    printf 'package check\n' >"$target/tmp/check/pass"
    local format output
    for format in normal extra ultra jpz; do
        cp "$target/tmp/check/photo.jpg" "$target/tmp/check/$format.jpg"
        output=$(in_target murkwell-cli shield --format "$format" --password-file /tmp/check/pass \
            "/tmp/check/$format.jpg" 2>&1) || fail "shield --format $format: $output"
        cmp -s "$target/tmp/check/photo.jpg" "$target/tmp/check/$format.jpg" &&
            fail "$format left the picture as it was"
        in_target murkwell-cli check "/tmp/check/$format.jpg"
        output=$(in_target murkwell-cli restore --password-file /tmp/check/pass \
            "/tmp/check/$format.jpg" 2>&1) || fail "restore of $format: $output"
        cmp "$target/tmp/check/photo.jpg" "$target/tmp/check/$format.jpg" ||
            fail "$format did not give back the picture"
    done
    echo "normal, extra, ultra and jpz: shielded and restored byte for byte"
}

check_manual() {
    step "man murkwell-cli, man murkwell, bash completion"
    local page
    for page in murkwell-cli murkwell; do
        echo "man -w $page: $(in_target man -w "$page")"
        # At the width of 80 man-db would keep a formatted copy in its own
        # cache, /var/cache/man, which the purge does not touch.
        in_target env MANPAGER=cat MANWIDTH=100 man "$page" >"$target/tmp/check/$page.txt" 2>&1 ||
            fail "man $page failed: $(cat "$target/tmp/check/$page.txt")"
        grep -q "$page" "$target/tmp/check/$page.txt" || fail "man $page does not name $page"
        grep -qi 'warning' "$target/tmp/check/$page.txt" &&
            fail "man $page warns: $(grep -i warning "$target/tmp/check/$page.txt")"
        echo "man $page: $(wc -l <"$target/tmp/check/$page.txt") lines, first:" \
            "$(head -n 1 "$target/tmp/check/$page.txt" | tr -s ' ')"
    done
    in_target bash -c '. /usr/share/bash-completion/completions/murkwell-cli && complete -p murkwell-cli' ||
        fail "the bash completion does not register murkwell-cli"
}

# The folder the window opened, as it saved it on closing.
opened_folder() {
    sed -n 's/^dir=//p' "$target/tmp/check/$1/murkw.ini"
}

# Starts the window under xvfb-run as the command line $2 (evaluated by a
# shell in the new system, HOME /tmp/check/user) with settings in
# /tmp/check/$1; the program closes itself once it has listed its folder.
run_window() {
    local settings=$1 command=$2
    mkdir -p "$target/tmp/check/$settings"
    # No login window on this first start.
    printf '[General]\nd0=0\n' >"$target/tmp/check/$settings/registry.ini"
    in_target env HOME=/tmp/check/user MURKWELL_HOME="/tmp/check/$settings" \
        XDG_RUNTIME_DIR=/tmp/check/run MURKWELL_SCREENSHOT="/tmp/check/$settings.png" \
        timeout 120 xvfb-run -a -s "-screen 0 1280x1024x24" sh -c "$command" \
        >"$target/tmp/check/$settings.log" 2>&1 ||
        fail "the window did not start and close: $(cat "$target/tmp/check/$settings.log")"
    [[ -s $target/tmp/check/$settings.png ]] || fail "the window saved no picture of itself"
}

# The Exec value of a group of the installed desktop entry, with the
# entry's own escapes undone.
desktop_exec() {
    local value
    value=$(awk -v group="[$1]" '/^\[/ { here = ($0 == group) }
        here && sub(/^Exec=/, "") { print; exit }' \
        "$target/usr/share/applications/$app_id.desktop")
    printf '%s' "${value//\\\\/\\}"
}

check_window() {
    step "The window from /usr/bin under xvfb-run"
    mkdir -p -m 700 "$target/tmp/check/run"
    mkdir -p "$target/tmp/check/user/.config" "$target/tmp/check/pictures" \
        "$target/tmp/check/user/Bilder"
    cp "$target/tmp/check/photo.jpg" "$target/tmp/check/pictures/a.jpg"
    cp "$target/tmp/check/photo.jpg" "$target/tmp/check/pictures/b.jpg"
    echo 'XDG_PICTURES_DIR="$HOME/Bilder"' >"$target/tmp/check/user/.config/user-dirs.dirs"

    run_window plain "/usr/bin/murkwell /tmp/check/pictures"
    [[ $(opened_folder plain) == /tmp/check/pictures ]] ||
        fail "murkwell FOLDER opened '$(opened_folder plain)'"
    echo "murkwell /tmp/check/pictures: opened /tmp/check/pictures," \
        "$(stat -c %s "$target/tmp/check/plain.png") byte screenshot"

    # The entry's %F hands over every file; the first one's folder is opened.
    local exec
    exec=$(desktop_exec "Desktop Entry")
    [[ $exec == *%F* ]] || fail "the desktop entry's Exec has no %F: $exec"
    run_window files "${exec//%F//tmp/check/pictures/b.jpg /tmp/check/user/Bilder}"
    [[ $(opened_folder files) == /tmp/check/pictures ]] ||
        fail "Exec with two files opened '$(opened_folder files)'"
    echo "Exec=$exec with b.jpg and a folder: opened /tmp/check/pictures"

    exec=$(desktop_exec "Desktop Action pictures")
    run_window action "$exec"
    [[ $(opened_folder action) == /tmp/check/user/Bilder ]] ||
        fail "the Pictures action opened '$(opened_folder action)'"
    echo "action Exec=$exec: opened /tmp/check/user/Bilder (XDG_PICTURES_DIR)"
}

check_unins000() {
    step "unins000 refuses a package install"
    local status=0
    in_target /usr/lib/murkwell/unins000 >"$target/tmp/check/unins000.log" 2>&1 || status=$?
    cat "$target/tmp/check/unins000.log"
    [[ $status -ne 0 ]] || fail "unins000 ran on a package install"
    grep -q 'apt-get remove murkwell' "$target/tmp/check/unins000.log" ||
        fail "unins000 does not point to apt-get"
    local changed
    changed=$(in_target dpkg --verify murkwell || true)
    [[ -z $changed ]] || fail "unins000 changed the package's files: $changed"
    echo "exit status $status; dpkg --verify murkwell finds every file as installed"
}

check_purge() {
    step "apt-get purge murkwell"
    in_target dpkg-query -L murkwell >"$target/tmp/files.txt"
    rm -rf "$target/tmp/check"
    in_target apt-get purge -y -q murkwell >"$target/tmp/purge.log" 2>&1 ||
        fail "apt-get purge failed: $(tail -n 20 "$target/tmp/purge.log")"
    grep -E '^(Removing|Purging)' "$target/tmp/purge.log"
    rm -f "$target/tmp/purge.log"
    local status
    status=$(in_target dpkg-query -W -f='${db:Status-Status}' murkwell 2>/dev/null || true)
    [[ -z $status || $status == not-installed ]] || fail "murkwell is still '$status'"

    local path left=0
    while read -r path; do
        [[ $path == /. || ! -e $target$path && ! -L $target$path ]] && continue
        # A folder may stay while other packages' files live there.
        if [[ -d $target$path && ! -L $target$path ]] &&
            { [[ -n $(ls -A "$target$path") ]] || in_target dpkg-query -S "$path" >/dev/null 2>&1; }; then
            continue
        fi
        echo "left: $path" >&2
        left=1
    done <"$target/tmp/files.txt"
    rm -f "$target/tmp/files.txt"
    local named
    named=$(cd "$target" && find . -xdev -iname '*murkwell*' -print)
    [[ -z $named ]] || {
        echo "$named" >&2
        left=1
    }
    [[ $left -eq 0 ]] || fail "the purge left files behind"
    echo "every file and folder of the package is gone; no path names murkwell"
}

host_tools
build_package
check_package_files
make_target
install_package
check_cli
check_manual
check_window
check_unins000
check_purge
step "package-check: $(basename "$deb") passed every check on a fresh Debian $(in_target cat /etc/debian_version)"
