#!/usr/bin/env bash
# Auto-logout after one minute without clicks, while a warning box is open:
# the caption counts down, keys do not postpone it, and the program closes
# on time, box and all, saving its settings.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

# The seconds left, as the main window's caption shows them.
countdown() {
    title_of "$main" | sed -n 's/.*\[ *\(-\{0,1\}[0-9]*\) *\]$/\1/p'
}

e2e_start
registry_set d0 0
registry_set d1 1
registry_set d3 1
make_pictures "$PICS" 2
e2e_launch "$PICS"
main=$(wait_window '^Murkwel for Windows Version 3.00 Beta5  \[ [0-9]+ \]$')

step "\"Murkwell Extra\" with an empty password opens a warning box"
click_row "$main" 1
right_click_row "$main" 1
menu_click "Murkwell Extra" "${MAIN_MENU[@]}"
box=$(wait_window '^Warnning $' 10)
screenshot "warning-box"
# It ends with a click on the box, the last click: the countdown starts
# again from 60 there.
expect_message "$box" "Warnning " "パスワードを入力してください ! "
last_click=$SECONDS

step "the caption counts down behind the box; keys do not postpone the logout"
first=$(countdown)
[[ -n "$first" && "$first" -le 60 ]] || fail "the caption shows no countdown: $(title_of "$main")"
sleep 3
type_text "abc" 100
second=$(countdown)
((second < first)) || fail "the countdown did not go on: $first, then $second"

step "the program closes about a minute after the last click"
wait_app_gone 80
elapsed=$((SECONDS - last_click))
((elapsed >= 55)) || fail "the logout came after ${elapsed}s, before the minute"
((elapsed <= 70)) || fail "the logout came after ${elapsed}s"
[[ -f "$HOME_DIR/murkw.ini" ]] || fail "the settings were not saved at the logout"
expect_equal "$(ini_get dir)" "$PICS" "the saved folder"
expect_state "$PICS/photo01.jpg" jpeg
