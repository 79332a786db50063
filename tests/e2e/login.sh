#!/usr/bin/env bash
# First start with the login window: a password is set after two refused
# tries; the next start asks for it, refuses a wrong one and opens the
# window with the right one; "帰る" ends the program and its settings are
# saved.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

readonly LOGIN_TITLE='^Murkwell ログイン$'

# Types into the login window's first edit, Tab, the second, Enter.
enter_login() {
    type_text "$1" 40
    if [[ $# -gt 1 ]]; then
        key Tab
        type_text "$2" 40
    fi
    key Return
}

# A refused entry: a warning box with MESSAGE, closed with Enter; the
# login window stays and the stored password is still STORED.
expect_refused() {
    local message=$1 stored=$2 box
    box=$(wait_window '^Warnning$' 10)
    wait_focus "$box"
    expect_message "$box" "Warnning" "$message"
    key Return
    wait_no_window '^Warnning$' 10
    wait_window "$LOGIN_TITLE" 5 >/dev/null
    expect_equal "$(registry_get version date2)" "$stored" "the stored password"
}

e2e_start
make_pictures "$PICS" 2
registry_set d1 0

step "first start: the login window asks for a new password"
e2e_launch "$PICS"
login=$(wait_window "$LOGIN_TITLE")
wait_focus "$login"
screenshot "set-password"

step "two letters in both edits are too short"
enter_login ab ab
expect_refused "半角英数字３文字以上でお願いします" ""

step "two different texts"
enter_login abc abd
expect_refused "パスワード入力と確認再入力は同じ文字を入力してください" ""

step "abc twice sets the password and opens the main window"
enter_login abc abc
wait_no_window "$LOGIN_TITLE" 10
main=$(main_window)
stored=$(registry_get version date2)
[[ "$stored" =~ ^\$argon2id\$v=19\$m=[0-9]+,t=[0-9]+,p=[0-9]+\$ ]] ||
    fail "the stored password is not an Argon2id verifier: \"$stored\""
[[ "$stored" != *abc* && "$stored" != *"3;393="* ]] || fail "the stored form gives the password back"
[[ -n "$(registry_get version copyright)" ]] || fail "no password marker was written"

step "Exit closes the program and saves the settings"
click "$main" "$P_EXIT"
wait_app_gone 20
[[ -f "$HOME_DIR/murkw.ini" ]] || fail "no murkw.ini was written at close"
expect_equal "$(ini_get dir)" "$PICS" "the saved folder"

step "next start: the wrong case is refused"
e2e_launch
login=$(wait_window "$LOGIN_TITLE")
wait_focus "$login"
screenshot "login"
enter_login ABC
expect_refused "パスワードが合いません" "$stored"

step "an empty entry is refused"
key Return
expect_refused "パスワードを入力してください" "$stored"

step "abc opens the main window on the folder of the last start"
enter_login abc
wait_no_window "$LOGIN_TITLE" 10
main=$(main_window)
# The folder is listed: a Normal shield of the first row shows it.
click_row "$main" 1
key Menu
menu_keys "Murkwell Normal" "${MAIN_MENU[@]}"
close_end_message
expect_state "$PICS/photo01.jpg" normal
expect_state_stays "$PICS/photo02.jpg" jpeg 0
click "$main" "$P_EXIT"
wait_app_gone 20

step "\"帰る\" ends the program from the login window"
rm -f "$HOME_DIR/murkw.ini"
e2e_launch
login=$(wait_window "$LOGIN_TITLE")
read -r lw lh <<<"$(window_size "$login")"
# The buttons sit at the bottom right: "帰る" left of "続行".
click_at "$login" $((lw - 141)) $((lh - 24))
wait_app_gone 20
[[ -f "$HOME_DIR/murkw.ini" ]] || fail "the settings were not saved after 帰る"
