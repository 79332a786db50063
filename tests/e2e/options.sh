#!/usr/bin/env bash
# The options dialog as a person uses it: pages chosen by their tabs, a
# Normal mode typed into its box, a new extension for shielded files, an
# invalid one refused, and the standard font and colour dialogs in
# Japanese like the rest of the window.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

# Points of the dialog, relative to its corner.
readonly T_LOGIN="48 18" T_EXT="119 18" T_MODE="196 18" T_LIST="278 18"
readonly P_RENAME_EXT="22 97" P_NEW_EXT="137 97" P_NORMAL_MODE="150 85"
readonly P_LIST_FONT="155 106" P_LIST_COLOR="67 106" P_LIST_TEXT_COLOR="67 134"

open_options() {
    click "$main" "$P_OPTION"
    dialog=$(wait_window '^Option$')
    wait_focus "$dialog"
}

close_options() {
    key Escape
    wait_no_window '^Option$'
}

# A standard dialog opened from the list page: its title is Japanese.
expect_japanese_dialog() {
    local point=$1 english=$2 box title
    click "$dialog" "$point"
    wait_until 10 "a dialog over the options" bash -c \
        "xdotool search --onlyvisible --class '^murkwell$' getwindowname %@ | grep -qv -e '^Option$' -e '^Murkwell'"
    box=$(xdotool search --onlyvisible --class '^murkwell$' | while read -r w; do
        t=$(xdotool getwindowname "$w")
        [[ "$t" == "Option" || "$t" == Murkwell* ]] || echo "$w"
    done | head -n 1)
    title=$(title_of "$box")
    screenshot "dialog-$(tr -cd 'A-Za-z' <<<"$english")"
    key Escape
    wait_until 10 "the dialog to close" bash -c "! xdotool getwindowname $box >/dev/null 2>&1 || ! xwininfo -id $box | grep -q IsViewable"
    [[ "$title" != "$english" ]] || fail "the dialog is titled in English: $title"
    LC_ALL=C grep -q '[^ -~]' <<<"$title" || fail "the dialog's title is not Japanese: $title"
}

e2e_start
no_login
make_pictures "$PICS" 2
e2e_launch "$PICS"
main=$(main_window)
sleep 1

step "each page of the options"
open_options
for page in LOGIN EXT MODE LIST; do
    tab="T_$page"
    click "$dialog" "${!tab}"
    sleep 0.3
    screenshot "page-$page"
done

step "Mode 9 typed as the Normal mode, the extension mkw"
click "$dialog" "$T_MODE"
click "$dialog" "$P_NORMAL_MODE"
key ctrl+a
type_text "Mode 9" 60
click "$dialog" "$T_EXT"
click "$dialog" "$P_RENAME_EXT"
click "$dialog" "$P_NEW_EXT"
key ctrl+a
type_text "mkw" 60
close_options
expect_equal "$(registry_get option d7)" "10" "the stored Normal mode (d7)"
expect_equal "$(registry_get d5)" "1" "the rename switch (d5)"
expect_equal "$(registry_get d6)" "mkw" "the new extension (d6)"

step "a Normal shield gives the new extension; the restore gives .jpg back"
click_row "$main" 1
key Menu
menu_keys "Murkwell Normal" "${MAIN_MENU[@]}"
close_end_message
expect_state "$PICS/photo01.mkw" normal
[[ ! -e "$PICS/photo01.jpg" ]] || fail "photo01.jpg is still there"
click_row "$main" 1
right_click_row "$main" 1
menu_click "UnMurkwell" "${MAIN_MENU[@]}"
close_end_message
expect_state "$PICS/photo01.jpg" jpeg
[[ ! -e "$PICS/photo01.mkw" ]] || fail "photo01.mkw is still there"

step "an extension of two letters is refused and not stored"
open_options
click "$dialog" "$T_EXT"
click "$dialog" "$P_NEW_EXT"
key ctrl+a
type_text "jp" 60
key Escape
warning=$(wait_window '^警告$' 10)
screenshot "extension-warning"
expect_message "$warning" "警告" "拡張子は3文字です"
key Return
wait_no_window '^警告$' 10
wait_no_window '^Option$' 10
expect_equal "$(registry_get d6)" "mkw" "the stored extension after a refused one"

japanese_dialogs() {
    open_options
    click "$dialog" "$T_LIST"
    expect_japanese_dialog "$P_LIST_FONT" "Select Font"
    expect_japanese_dialog "$P_LIST_COLOR" "Select Color"
    close_options
}

# The colour typed into the colour dialog's HTML box (Alt+H), then Enter.
list_text_colour() {
    open_options
    click "$dialog" "$T_LIST"
    click "$dialog" "$P_LIST_TEXT_COLOR"
    wait_until 10 "the colour dialog" bash -c \
        "[[ -n \"\$(xdotool search --onlyvisible --class '^murkwell$' getwindowname %@ | grep -v -e '^Option$' -e '^Murkwell')\" ]]"
    sleep 0.3
    key alt+h ctrl+a
    type_text "#204080" 40
    key Return
    sleep 0.3
    close_options
    # Red 0x20, green 0x40, blue 0x80 as 0x00BBGGRR.
    expect_equal "$(registry_get fnColor)" "$((0x804020))" "the list's text colour (fnColor)"
}

part "the font and colour dialogs speak Japanese" japanese_dialogs
part "the list's text colour is chosen on the list page" list_text_colour
parts_done
