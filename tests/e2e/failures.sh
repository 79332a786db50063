#!/usr/bin/env bash
# The list of files a run left, as the window words it: a restore of 22
# files with a wrong password lists 20 of them and counts the rest; a
# picture with another hard link is refused and the box says why.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

e2e_start
no_login
make_pictures "$PICS" 22
printf 'right-pw\n' >"$E2E_WORK/password"
"$MURKWELL_BIN/murkwell-cli" shield --format extra --password-file "$E2E_WORK/password" \
    "$PICS"/photo*.jpg >/dev/null
make_pictures "$E2E_WORK/linked" 1
mkdir -p "$E2E_WORK/elsewhere"
ln "$E2E_WORK/linked/photo01.jpg" "$E2E_WORK/elsewhere/same-picture.jpg"

e2e_launch "$PICS"
main=$(main_window)
sleep 1

step "a wrong password on 22 files: 20 lines and a count"
click "$main" "$P_PASSWORD"
type_text "wrong-pw" 40
click_row "$main" 1
key ctrl+a
key Menu
menu_keys "UnMurkwell" "${MAIN_MENU[@]}"
close_end_message
box=$(wait_window '^Warnning$' 10)
screenshot "twenty-two"
reason="パスワードが違うか、ファイルが壊れています"
expected=$(
    printf '%s\n%s\n' "処理できなかったファイルがあります (22 件)。" "フォルダ: $PICS"
    for i in $(seq -w 1 20); do printf '\nphoto%s.jpg: %s' "$i" "$reason"; done
    printf '\n%s' "ほか 2 件"
)
expect_message "$box" "Warnning" "$expected"
key Return
wait_no_window '^Warnning$' 10
for f in "$PICS"/photo*.jpg; do expect_state_stays "$f" extra 0; done

step "a picture with another hard link is refused, and the box says so"
click "$main" "$P_FOLDER"
key ctrl+a
type_text "$E2E_WORK/linked" 20
key Return
sleep 0.5
click_row "$main" 1
right_click_row "$main" 1
menu_click "Murkwell Normal" "${MAIN_MENU[@]}"
close_end_message
box=$(wait_window '^Warnning$' 10)
expect_message "$box" "Warnning" "$(printf '%s\n%s\n\n%s' \
    "処理できなかったファイルがあります (1 件)。" "フォルダ: $E2E_WORK/linked" \
    "photo01.jpg: ほかに 1 個のハードリンクがあり、そちらが保護されないまま残ります")"
key Return
wait_no_window '^Warnning$' 10
expect_state_stays "$E2E_WORK/linked/photo01.jpg" jpeg 0
