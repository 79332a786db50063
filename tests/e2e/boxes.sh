#!/usr/bin/env bash
# The password and folder boxes under a person's keys: the keyboard's menu
# key and Shift+F10 open the boxes' own menu (not the edit menu of the
# toolkit), and a remembered password is not completed into the box while
# a shorter one is typed.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

password_box_menu_key() {
    "$MURKWELL_BIN/murkwell-cli" shield --format normal "$(pic 1)" >/dev/null
    click "$main" "$P_FOLDER"
    key Return
    sleep 0.5
    click_row "$main" 1
    click "$main" "$P_PASSWORD"
    key Menu
    menu_keys "UnMurkwell" "${PASS_MENU[@]}"
    close_end_message
    expect_state "$(pic 1)" jpeg
}

folder_box_shift_f10() {
    click_row "$main" 2
    click "$main" "$P_FOLDER"
    key shift+F10
    menu_keys "Murkwell Normal" "${PASS_MENU[@]}"
    close_end_message
    expect_state "$(pic 2)" normal
}

no_completion_of_remembered_passwords() {
    type_password "secret"
    expect_equal "$(edit_text)" "secret" "the password box's text"
    click_row "$main" 3
    right_click_row "$main" 3
    menu_click "Murkwell Extra" "${MAIN_MENU[@]}"
    close_end_message
    expect_state "$(pic 3)" extra
    printf 'secret\n' >"$E2E_WORK/password"
    "$MURKWELL_BIN/murkwell-cli" restore --password-file "$E2E_WORK/password" "$(pic 3)" \
        >/dev/null || fail "photo03 was not shielded with the typed password"
}

e2e_start
no_login
make_pictures "$PICS" 3
printf 'secret-remembered\n' >"$HOME_DIR/murkw.hst"
e2e_launch "$PICS"
main=$(main_window)
sleep 1

part "the password box's menu key opens its own menu" password_box_menu_key
part "the folder box's Shift+F10 opens the same menu" folder_box_shift_f10
part "a remembered password is not completed while typing" no_completion_of_remembered_passwords
parts_done
