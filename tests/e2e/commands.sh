#!/usr/bin/env bash
# The commands of the pop-up menus on rows chosen with the mouse and the
# keyboard: a password typed, "Murkwell Extra", "UnMurkwell" and a Jpz
# shield from a right click and from the keyboard's menu key, the end
# message, a wrong password and the list of files it left, Back and Next
# with the preview, and the password history remembered across a restart.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

expect_states() {
    local i=1
    for want in "$@"; do
        expect_state "$(pic $i)" "$want"
        i=$((i + 1))
    done
}

e2e_start
no_login
# The Jpz commands are offered.
registry_set d12 1
make_pictures "$PICS" 4

e2e_launch "$PICS"
main=$(main_window)
sleep 1
screenshot "main-window"

step "a typed password; rows 2 and 3 chosen with the mouse; \"Murkwell Extra\" by a right click"
type_password "secret1"
click_row "$main" 2
click_row "$main" 3 ctrl
right_click_row "$main" 3
screenshot "pop-up-menu"
menu_click "Murkwell Extra" "${MAIN_MENU_JPZ[@]}"
close_end_message
expect_states jpeg extra extra jpeg

step "the same rows chosen with the keyboard; \"UnMurkwell\" by the menu key"
click_row "$main" 4
key Up shift+Up
key Menu
menu_keys "UnMurkwell" "${MAIN_MENU_JPZ[@]}"
close_end_message
expect_states jpeg jpeg jpeg jpeg

step "a wrong password leaves the files and says which files were not restored"
click_row "$main" 1
click_row "$main" 2 shift
key Menu
menu_keys "Murkwell Extra" "${MAIN_MENU_JPZ[@]}"
close_end_message
expect_states extra extra jpeg jpeg
type_password "wrong-pw"
click_row "$main" 1
click_row "$main" 2 shift
right_click_row "$main" 2
menu_click "UnMurkwell" "${MAIN_MENU_JPZ[@]}"
close_end_message
failures=$(wait_window '^Warnning$' 10)
screenshot "failure-list"
reason="パスワードが違うか、ファイルが壊れています"
expect_message "$failures" "Warnning" "$(printf '%s\n%s\n\n%s\n%s' \
    "処理できなかったファイルがあります (2 件)。" "フォルダ: $PICS" \
    "photo01.jpg: $reason" "photo02.jpg: $reason")"
key Return
wait_no_window '^Warnning ?$' 10
expect_states extra extra jpeg jpeg
type_password "secret1"
click_row "$main" 1
click_row "$main" 2 shift
key Menu
menu_keys "UnMurkwell" "${MAIN_MENU_JPZ[@]}"
close_end_message
expect_no_window '^Warnning ?$' 1
expect_states jpeg jpeg jpeg jpeg

step "Jpz refuses a password of 7 characters and shields with 8"
type_password "jpz-pw7"
click_row "$main" 4
key Menu
menu_keys "Jpz Encode" "${MAIN_MENU_JPZ[@]}"
warning=$(wait_window '^Warnning $' 10)
expect_message "$warning" "Warnning " "Jpz のパスワードは8文字以上必要です ! "
key Return
wait_no_window '^Warnning $' 10
expect_state_stays "$(pic 4)" jpeg 1
type_password "jpz-pw88"
click_row "$main" 4
right_click_row "$main" 4
menu_click "Jpz Encode" "${MAIN_MENU_JPZ[@]}"
close_end_message 60
expect_states jpeg jpeg jpeg jpz

step "Next and Back move the selection and the preview"
click_row "$main" 1
wait_preview "$main" shown
click "$main" "$P_NEXT"
click "$main" "$P_NEXT"
click "$main" "$P_NEXT"
# Row 4 is shielded: the preview is empty.
wait_preview "$main" empty
click "$main" "$P_BACK_SUB"
click "$main" "$P_BACK"
# Row 2 alone is selected now.
key Menu
menu_keys "Murkwell Normal" "${MAIN_MENU_JPZ[@]}"
close_end_message
expect_states jpeg normal jpeg jpz

step "close and restart: the password history is remembered"
click "$main" "$P_EXIT"
wait_app_gone 20
grep -qx "secret1" "$HOME_DIR/murkw.hst" || fail "murkw.hst lacks secret1"
grep -qx "jpz-pw88" "$HOME_DIR/murkw.hst" || fail "murkw.hst lacks jpz-pw88"
newest=$(head -n 1 "$HOME_DIR/murkw.hst")
e2e_launch
main=$(main_window)
sleep 1
click "$main" "$P_PASSWORD"
key ctrl+a BackSpace
# The drop-down of remembered passwords, its first entry.
key alt+Down
sleep 0.3
key Home Return
expect_equal "$(edit_text)" "$newest" "the password taken from the history"
