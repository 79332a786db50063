#!/usr/bin/env bash
# Smaller behaviours of the main window as a person meets them: the folder
# tree shows the open folder once the login window lets the user in, an empty folder empties the
# preview, the help items lead to the local manual, "UnsInstall" says what
# to do instead of closing silently, and the window is dragged only by its
# own surface.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

readonly P_ANIMATE="578 22" P_HELP="520 22" P_STRIP_LABEL="60 143"
# In the about window.
readonly P_UNINSTALL="58 198"
HELP_MENU=("付属ヘルプ" "最新オンラインヘルプ" "最新情報ページ" "バージョン情報" "作者のホームページ")

tree_shows_open_folder() {
    local y
    y=$(tree_highlight_y "$main")
    [[ -n "$y" ]] || fail "the folder tree does not show the open folder"
}

empty_folder_empties_preview() {
    click_row "$main" 1
    wait_preview "$main" shown
    click "$main" "$P_FOLDER"
    key ctrl+a
    type_text "$PICS/empty" 30
    key Return
    wait_preview "$main" empty
}

# What the program hands to the desktop to open is written down by an
# xdg-open of the journey's own (first on the PATH).
help_items_lead_to_the_manual() {
    local item url
    for item in "最新オンラインヘルプ" "最新情報ページ" "作者のホームページ"; do
        rm -f "$E2E_WORK/opened"
        click "$main" "$P_HELP"
        menu_keys "$item" "${HELP_MENU[@]}"
        wait_until 10 "a page handed to the desktop" test -s "$E2E_WORK/opened"
        url=$(head -n 1 "$E2E_WORK/opened")
        [[ "$url" == file://* ]] || fail "\"$item\" opens $url, not the local manual"
        [[ -f "$(sed -e 's|^file://||' -e 's|#.*||' <<<"$url")" ]] ||
            fail "\"$item\" opens $url, which is not there"
    done
}

# The first box says what to do; had it asked whether to uninstall, the
# Enter that closes it would end the program.
uninstall_explains() {
    click "$main" "$P_ANIMATE"
    about=$(wait_window '^Version$')
    click "$about" "$P_UNINSTALL"
    wait_window '^Warnning$' 10 >/dev/null
    screenshot "uninstall-message"
    key Return
    wait_no_window '^Warnning$' 10
    sleep 2
    app_running || fail "the program ended without a word"
    wait_window '^Version$' 5 >/dev/null
    key Escape
}

drag_only_by_own_surface() {
    local before after
    before=$(window_origin "$main")
    pointer_to "$main" ${P_STRIP_LABEL}
    xdotool mousedown 1
    xdotool mousemove_relative --sync 40 30
    sleep 0.2
    xdotool mouseup 1
    sleep 0.3
    after=$(window_origin "$main")
    expect_equal "$after" "$before" "the window's place after a drag on the strip's text"
}

e2e_start
# The login gate with the password abc; no logout.
registry_set d1 0
registry_set version date2 '"3;393="'
registry_set version copyright Murkwell
# Many folders beside the one opened, so the tree has to scroll to it.
for i in $(seq -w 1 40); do mkdir -p "$PICS/folder$i" "$PICS/deep/a/b/folder$i"; done
make_pictures "$PICS/deep/a/b/folder33" 2
mkdir -p "$PICS/empty" "$E2E_WORK/tools"
cat >"$E2E_WORK/tools/xdg-open" <<TOOL
#!/bin/sh
echo "\$1" >>"$E2E_WORK/opened"
TOOL
chmod +x "$E2E_WORK/tools/xdg-open"
export PATH="$E2E_WORK/tools:$PATH"
unset BROWSER DEFAULT_BROWSER
e2e_launch "$PICS/deep/a/b/folder33"
wait_focus "$(wait_window '^Murkwell ログイン$')"
type_text abc 40
key Return
main=$(main_window)
# The old scrambled form let the user in once and was replaced by a verifier.
[[ "$(registry_get version date2)" == \$argon2id\$* ]] || fail "the old stored form was kept"
sleep 2

part "the folder tree shows the open folder at start" tree_shows_open_folder
part "choosing an empty folder empties the preview" empty_folder_empties_preview
part "the help items lead to the local manual" help_items_lead_to_the_manual
part "a drag on a control does not move the window" drag_only_by_own_surface
part "UnsInstall says what to do" uninstall_explains
parts_done
