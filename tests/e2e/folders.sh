#!/usr/bin/env bash
# Folders chosen the ways a person chooses them: typed into the folder box
# and ended with Enter, and clicked in the folder tree. What the list shows
# is read back by shielding every row of it in Normal and looking at which
# files changed.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

# Selects every row of the list and shields them in Normal through the
# keyboard's menu key; waits for the end message.
shield_listed_rows() {
    click_row "$main" 1
    key ctrl+a
    key Menu
    menu_keys "Murkwell Normal" "${MAIN_MENU[@]}"
    close_end_message
}

# Restores every listed row through a right click on the list.
restore_listed_rows() {
    click_row "$main" 1
    key ctrl+a
    right_click_row "$main" 1
    menu_click "UnMurkwell" "${MAIN_MENU[@]}"
    close_end_message
}

e2e_start
no_login
make_pictures "$PICS/a" 2
make_pictures "$PICS/b" 2
make_pictures "$PICS/c" 2
# A registered folder that the typed text passes by: the box must not
# complete or choose it while the user types.
mkdir -p "$PICS/bb-registered"
make_pictures "$PICS/bb-registered" 1
printf '%s\n' "$PICS/bb-registered" >"$HOME_DIR/dir.txt"

e2e_launch "$PICS/a"
main=$(main_window)
sleep 1

step "a folder typed into the folder box is not chosen before Enter"
click "$main" "$P_FOLDER"
key ctrl+a
# A person's pace; every prefix "/", "/tmp", ... names a folder.
type_text "$PICS/b" 90
expect_equal "$(edit_text)" "$PICS/b" "the folder box's text after typing"
# Still folder a in the list.
shield_listed_rows
expect_state "$PICS/a/photo01.jpg" normal
expect_state "$PICS/a/photo02.jpg" normal
for f in "$PICS"/b/*.jpg "$PICS"/bb-registered/*.jpg; do expect_state_stays "$f" jpeg 0; done
restore_listed_rows
expect_state "$PICS/a/photo01.jpg" jpeg

step "Enter in the folder box lists the typed folder"
click "$main" "$P_FOLDER"
key End
key Return
sleep 0.5
shield_listed_rows
expect_state "$PICS/b/photo01.jpg" normal
expect_state "$PICS/b/photo02.jpg" normal
expect_state_stays "$PICS/a/photo01.jpg" jpeg 0
expect_state_stays "$PICS/bb-registered/photo01.jpg" jpeg 0
screenshot "typed-folder"

step "the tree shows the open folder; the one above it is chosen with a click"
y=$(tree_highlight_y "$main")
[[ -n "$y" ]] || fail "the folder tree does not show the open folder"
# Above b comes a, which has no sub-folders.
click_at "$main" "$TREE_TEXT_X" $((y - TREE_ROW_H))
sleep 0.5
shield_listed_rows
expect_state "$PICS/a/photo01.jpg" normal
expect_state "$PICS/a/photo02.jpg" normal
expect_state_stays "$PICS/c/photo01.jpg" jpeg 0

step "close and restart: the last folder and the registered ones are remembered"
click "$main" "$P_EXIT"
wait_app_gone 20
expect_equal "$(ini_get dir)" "$PICS/a" "the saved folder"
grep -qx "$PICS/bb-registered" "$HOME_DIR/dir.txt" || fail "dir.txt lost the registered folder"
e2e_launch
main=$(main_window)
sleep 1
restore_listed_rows
expect_state "$PICS/a/photo01.jpg" jpeg
expect_state "$PICS/a/photo02.jpg" jpeg
expect_state_stays "$PICS/b/photo01.jpg" normal 0
