# The driver of the end-to-end journeys: a virtual X display of the test's
# own, the built program started on a settings folder and pictures of the
# test's own, and a person's hands: key presses, typed text and mouse clicks
# that the X server delivers (XTest, through xdotool). What happened is read
# back from the files on disk, the settings folder, the window titles and,
# for a message box, the text it copies to the clipboard on Ctrl+C.
#
# A journey script sources this file with MURKWELL_BIN set to the folder of
# the built programs, calls e2e_start, then drives. Any failing command ends
# the journey; the screen is then saved as NAME-failure.png in the current
# folder (ctest's working folder), beside the program's log.

set -euo pipefail
shopt -s inherit_errexit

E2E_NAME=$(basename "${BASH_SOURCE[1]}" .sh)
E2E_OUT=$PWD
E2E_WORK=$(mktemp -d "${TMPDIR:-/tmp}/murkwell-e2e-$E2E_NAME-XXXXXX")
E2E_XVFB_PID=
E2E_WM_PID=
E2E_APP_PID=
E2E_STEP="start"
E2E_MAIN_PID=$BASHPID
# The home of the program's settings and the pictures of the journey.
HOME_DIR=$E2E_WORK/home
PICS=$E2E_WORK/pictures
mkdir -p "$HOME_DIR" "$PICS" "$E2E_WORK/run"
# The screens and logs of this journey's last run go.
rm -f "$E2E_OUT/$E2E_NAME"-*.png "$E2E_OUT/$E2E_NAME"-app.log
chmod 700 "$E2E_WORK/run"
export MURKWELL_HOME=$HOME_DIR XDG_RUNTIME_DIR=$E2E_WORK/run
# The Jpz library beside the program is found by default; a journey that
# wants none sets MURKWELL_JPZ=none before e2e_launch.
unset MURKWELL_JPZ QT_QPA_PLATFORM

# The main window as it is laid out at its design position and size (the
# settings of a fresh folder): points of its controls relative to the
# window's top left corner.
readonly P_EXIT="28 22" P_BACK="176 22" P_NEXT="244 22" P_OPTION="448 22"
readonly P_PASSWORD="368 62" P_FOLDER="438 95"
readonly P_PREVIEW="88 530" P_BACK_SUB="16 623"
# The file list: the first row's middle, and the height of a row.
readonly LIST_X=463 LIST_ROW1_Y=179 LIST_ROW_H=17
# The folder tree: its left and right edge, its top and bottom.
readonly TREE_LEFT=2 TREE_TOP=153 TREE_BOTTOM=448 TREE_ROW_H=14 TREE_TEXT_X=90

e2e_log() { printf '[%s] %s\n' "$E2E_NAME" "$*" >&2; }

fail() {
    e2e_log "FAILED at step \"$E2E_STEP\": $*"
    exit 1
}

step() {
    E2E_STEP=$*
    e2e_log "step: $*"
}

# Ends a process this journey started, if there is one.
end_process() {
    [[ -n "$1" ]] || return 0
    kill "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}

e2e_finish() {
    local status=$?
    [[ $BASHPID == "$E2E_MAIN_PID" ]] || exit "$status"
    if [[ $status -ne 0 && -n "${DISPLAY:-}" ]]; then
        import -window root "$E2E_OUT/$E2E_NAME-failure.png" 2>/dev/null &&
            e2e_log "screen saved in $E2E_OUT/$E2E_NAME-failure.png"
        [[ -f "$E2E_WORK/app.log" ]] && cp "$E2E_WORK/app.log" "$E2E_OUT/$E2E_NAME-app.log"
    fi
    end_process "$E2E_APP_PID"
    end_process "$E2E_WM_PID"
    end_process "$E2E_XVFB_PID"
    rm -rf "$E2E_WORK"
    if [[ $status -eq 0 ]]; then
        e2e_log "passed"
    fi
    exit "$status"
}

# part NAME FUNCTION: one check of a journey that goes on when it fails,
# so that each check is reported by itself. A failed part leaves its
# screen as NAME-failure-PART.png and closes what it left open; the
# journey fails at its end (parts_done).
E2E_FAILED_PARTS=()
part() {
    local name=$1
    shift
    step "$name"
    # Not as a condition, where bash would not stop at a failing command.
    local status
    set +e
    (
        set -e
        "$@"
    )
    status=$?
    set -e
    [[ $status -eq 0 ]] && return 0
    local file
    file="$E2E_OUT/$E2E_NAME-failure-$(tr -c 'A-Za-z0-9' '-' <<<"$name" | cut -c1-40).png"
    import -window root "$file" 2>/dev/null && e2e_log "screen saved in $file"
    E2E_FAILED_PARTS+=("$name")
    key Escape Escape
}

parts_done() {
    if [[ ${#E2E_FAILED_PARTS[@]} -gt 0 ]]; then
        E2E_STEP="the end"
        fail "failed parts: $(printf '"%s" ' "${E2E_FAILED_PARTS[@]}")"
    fi
}

# Polls a command every tenth of a second until it succeeds; fails the
# journey after SECONDS.
wait_until() {
    local seconds=$1 what=$2
    shift 2
    local deadline=$((SECONDS + seconds))
    until "$@" >/dev/null 2>&1; do
        ((SECONDS < deadline)) || fail "waited ${seconds}s for: $what"
        sleep 0.1
    done
}

wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'; }

# Starts a virtual display of its own (Xvfb picks a free number).
e2e_start() {
    local missing=()
    for tool in Xvfb jwm xdotool xclip import xprop; do
        command -v "$tool" >/dev/null || missing+=("$tool")
    done
    for program in murkwell murkwell-cli make_pictures e2e_show_message; do
        [[ -x "$MURKWELL_BIN/$program" ]] || missing+=("$MURKWELL_BIN/$program")
    done
    if [[ ${#missing[@]} -gt 0 ]]; then
        e2e_log "skipped: missing ${missing[*]}"
        rm -rf "$E2E_WORK"
        exit 77
    fi
    trap e2e_finish EXIT
    trap 'exit 143' TERM INT
    local display_file=$E2E_WORK/display
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset \
        3>"$display_file" 2>"$E2E_WORK/xvfb.log" &
    E2E_XVFB_PID=$!
    wait_until 20 "the virtual display" grep -q '[0-9]' "$display_file"
    export DISPLAY=":$(tr -d '\n' <"$display_file")"
    e2e_log "display $DISPLAY"
    # A window manager, as on a person's desktop: it frames the windows and
    # hands the focus back when a box closes.
    jwm -f "$(dirname "${BASH_SOURCE[0]}")/jwmrc" >"$E2E_WORK/jwm.log" 2>&1 &
    E2E_WM_PID=$!
    wait_until 10 "the window manager" wm_running
}

# Writes a value into the program's registry file before it starts:
# registry_set [GROUP] NAME VALUE.
registry_set() {
    local group="" name value file=$HOME_DIR/registry.ini
    if [[ $# -eq 3 ]]; then group=$1; shift; fi
    name=$1 value=$2
    local section=${group:-General}
    touch "$file"
    if ! grep -q "^\[$section\]" "$file"; then
        printf '[%s]\n' "$section" >>"$file"
    fi
    local tmp=$file.new
    awk -v section="[$section]" -v name="$name" -v value="$value" '
        BEGIN { inside = 0; done = 0 }
        /^\[/ { if (inside && !done) { print name "=" value; done = 1 } inside = ($0 == section) }
        inside && index($0, name "=") == 1 { if (!done) { print name "=" value; done = 1 } next }
        { print }
        END { if (!done) print name "=" value }' "$file" >"$tmp"
    mv "$tmp" "$file"
}

# ini_value FILE GROUP NAME: the value of NAME in GROUP of an INI file the
# program wrote, or nothing.
ini_value() {
    [[ -f "$1" ]] || return 0
    awk -v section="[$2]" -v name="$3" '
        /^\[/ { inside = ($0 == section); next }
        inside && index($0, name "=") == 1 { print substr($0, length(name) + 2) }' "$1"
}

# The registry value NAME (in GROUP) as the program wrote it, or nothing.
registry_get() {
    local group=General
    if [[ $# -eq 2 ]]; then group=$1; shift; fi
    ini_value "$HOME_DIR/registry.ini" "$group" "$1" | tr -d '"'
}

# An INI key of murkw.ini, group Murkwell.
ini_get() { ini_value "$HOME_DIR/murkw.ini" Murkwell "$1"; }

# A fresh start with no login window and no logout, the usual set-up of a
# journey that is not about them.
no_login() {
    registry_set d0 0
    registry_set d1 0
}

# Real pictures: make_pictures FOLDER COUNT (photo01.jpg ...).
make_pictures() {
    mkdir -p "$1"
    "$MURKWELL_BIN/make_pictures" "$1" "$2"
}

# Picture N (1 to 9) that make_pictures wrote into $PICS.
pic() { echo "$PICS/photo0$1.jpg"; }

# The four state bytes a file begins with, as hex ("8f988cca").
head_hex() { head -c 4 "$1" | od -An -tx1 | tr -d ' \n'; }

# The state of a picture: jpeg, normal, extra, ultra, jpz or other.
state_of() {
    local head
    head=$(head_hex "$1")
    case $head in
        ffd8*) echo jpeg ;;
        8f988c96 | 8f988cce) echo normal ;;
        8f988ccb | 8f988cca) echo extra ;;
        8f988cc7) echo ultra ;;
        8f988c87) echo jpz ;;
        *) echo "other:$head" ;;
    esac
}

has_state() { [[ "$(state_of "$1")" == "$2" ]]; }

expect_state() {
    local file=$1 want=$2 seconds=${3:-20}
    local deadline=$((SECONDS + seconds))
    until has_state "$file" "$want"; do
        ((SECONDS < deadline)) || fail "$(basename "$file") is $(state_of "$file"), not $want"
        sleep 0.1
    done
}

# Checks that a file keeps its state for a while (nothing happened to it).
expect_state_stays() {
    local file=$1 want=$2 seconds=${3:-1}
    local deadline=$((SECONDS + seconds))
    while ((SECONDS < deadline)); do
        has_state "$file" "$want" || fail "$(basename "$file") became $(state_of "$file")"
        sleep 0.1
    done
}

# Starts the program with the given arguments; it logs to app.log.
e2e_launch() {
    "$MURKWELL_BIN/murkwell" "$@" >>"$E2E_WORK/app.log" 2>&1 &
    E2E_APP_PID=$!
}

app_running() { [[ -n "$E2E_APP_PID" ]] && kill -0 "$E2E_APP_PID" 2>/dev/null; }
app_gone() { ! kill -0 "$E2E_APP_PID" 2>/dev/null; }

# Waits for the program to end by itself (a logout, Exit, "帰る").
wait_app_gone() {
    local seconds=${1:-20}
    wait_until "$seconds" "the program to end" app_gone
    wait "$E2E_APP_PID" 2>/dev/null || true
    E2E_APP_PID=
}

# The visible windows whose title matches an extended regular expression.
windows_named() { xdotool search --onlyvisible --name "$1" 2>/dev/null || true; }

title_of() { xdotool getwindowname "$1"; }

# Waits for a visible window with a matching title and prints its id.
wait_window() {
    local regex=$1 seconds=${2:-20} ids
    local deadline=$((SECONDS + seconds))
    while :; do
        ids=$(windows_named "$regex")
        [[ -n "$ids" ]] && break
        ((SECONDS < deadline)) || fail "no window titled /$regex/ within ${seconds}s"
        sleep 0.1
    done
    head -n 1 <<<"$ids"
}

no_window() { [[ -z "$(windows_named "$1")" ]]; }

wait_no_window() {
    local regex=$1 seconds=${2:-20}
    wait_until "$seconds" "the window /$regex/ to close" no_window "$regex"
}

# Checks that no window with a matching title shows up for a while.
expect_no_window() {
    local regex=$1 seconds=${2:-1}
    local deadline=$((SECONDS + seconds))
    while ((SECONDS < deadline)); do
        no_window "$regex" ||
            fail "a window titled /$regex/ appeared: $(title_of "$(windows_named "$regex" | head -n1)")"
        sleep 0.1
    done
}

# The main window: its title starts with the main title, or with
# "Murkwel"/"Murkwell for Windows" when the countdown is off.
readonly MAIN_TITLE='^Murkwell? for Windows'
main_window() { wait_window "$MAIN_TITLE" "${1:-20}"; }

# Top left corner of a window's inside on the screen, "X Y" (xwininfo
# counts the window manager's frame right, where xdotool does not).
window_origin() {
    xwininfo -id "$1" | awk -F: '/Absolute upper-left X/ { x = $2 }
        /Absolute upper-left Y/ { y = $2 } END { printf "%d %d\n", x, y }'
}

window_size() {
    xwininfo -id "$1" | awk -F: '/^ *Width/ { w = $2 } /^ *Height/ { h = $2 }
        END { printf "%d %d\n", w, h }'
}

# The pointer to a point of a window (relative to its corner), and clicks.
pointer_to() {
    local window=$1 x=$2 y=$3 origin
    origin=$(window_origin "$window")
    local to_x=$((${origin% *} + x)) to_y=$((${origin#* } + y))
    # --sync waits for the pointer to move, so not when it is there already.
    if [[ "$(xdotool getmouselocation)" != "x:$to_x y:$to_y "* ]]; then
        xdotool mousemove --sync "$to_x" "$to_y"
    fi
}

click_at() {
    local window=$1 x=$2 y=$3 button=${4:-1}
    pointer_to "$window" "$x" "$y"
    sleep 0.05
    xdotool click "$button"
    sleep 0.1
}

# click WINDOW "X Y" [BUTTON]: a point constant of the layout above.
click() {
    local window=$1 point=$2 button=${3:-1}
    click_at "$window" "${point% *}" "${point#* }" "$button"
}

# The middle of row N (1-based) of the file list.
list_row_y() { echo $((LIST_ROW1_Y + ($1 - 1) * LIST_ROW_H)); }

click_row() {
    local window=$1 row=$2
    shift 2
    # Modifier keys held over the click, e.g. ctrl or shift.
    local mods=("$@")
    pointer_to "$window" "$LIST_X" "$(list_row_y "$row")"
    sleep 0.05
    for mod in "${mods[@]}"; do xdotool keydown "$mod"; done
    xdotool click 1
    for mod in "${mods[@]}"; do xdotool keyup "$mod"; done
    sleep 0.1
}

right_click_row() {
    click_at "$1" "$LIST_X" "$(list_row_y "$2")" 3
}

# Keys as xdotool names them ("ctrl+a", "Return", "Menu", "shift+F10").
key() {
    xdotool key --delay 60 "$@"
    sleep 0.1
}

# Typed text at a person's pace: a key every DELAY ms (default 80).
type_text() {
    xdotool type --delay "${2:-80}" -- "$1"
    sleep 0.1
}

# Replaces the text of the password box of the main window ($main) by typing.
type_password() {
    click "$main" "$P_PASSWORD"
    key ctrl+a BackSpace
    type_text "$1" 60
}

clipboard() { xclip -selection clipboard -o 2>/dev/null; }
clipboard_differs() { [[ "$(clipboard)" != "$1" ]]; }

# Marks the clipboard, presses the copy keys and prints what the focused
# control put there. A message box copies its caption, text and buttons.
copy_focused() {
    local marker="e2e-marker-$RANDOM$RANDOM"
    printf '%s' "$marker" | xclip -selection clipboard -i
    sleep 0.1
    key ctrl+c
    wait_until 10 "the copied text" clipboard_differs "$marker"
    clipboard
}

# The text of the focused edit box: select all, copy.
edit_text() {
    key ctrl+a
    copy_focused
}

# expect_message BOX CAPTION TEXT: the message box BOX shows exactly TEXT
# under CAPTION: its picture is the same, pixel for pixel, as that of a
# box the reference program shows with them. The focus goes back to BOX.
expect_message() {
    local box=$1 caption=$2 text=$3 reference="" differing
    # The pointer off both boxes, so no button is drawn hovered.
    xdotool mousemove --sync 1 1
    sleep 0.2
    import -window "$box" "$E2E_WORK/shown.png"
    "$MURKWELL_BIN/e2e_show_message" "$caption" "$text" >/dev/null 2>&1 &
    local pid=$!
    local deadline=$((SECONDS + 10))
    while [[ -z "$reference" ]]; do
        ((SECONDS < deadline)) || fail "the reference box did not show"
        sleep 0.1
        reference=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -n 1)
    done
    wait_focus "$reference"
    sleep 0.3
    import -window "$reference" "$E2E_WORK/reference.png"
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    differing=$(compare -metric AE "$E2E_WORK/shown.png" "$E2E_WORK/reference.png" null: 2>&1 || true)
    if [[ "$differing" != 0 ]]; then
        cp "$E2E_WORK/shown.png" "$E2E_OUT/$E2E_NAME-message-shown.png"
        cp "$E2E_WORK/reference.png" "$E2E_OUT/$E2E_NAME-message-expected.png"
        fail "the box titled \"$caption\" does not say \"$text\" ($differing pixels differ; see $E2E_NAME-message-*.png)"
    fi
    click_at "$box" 8 8
    wait_focus "$box"
}

focus_is() { [[ "$(xdotool getwindowfocus 2>/dev/null)" == "$1" ]]; }

# Waits until the X input focus is in WINDOW.
wait_focus() {
    local window=$1
    wait_until 10 "the focus in window $window" focus_is "$window"
}

expect_contains() {
    local text=$1 part=$2 what=${3:-text}
    [[ "$text" == *"$part"* ]] || fail "$what lacks \"$part\"; it is: $text"
}

expect_equal() {
    local got=$1 want=$2 what=${3:-value}
    [[ "$got" == "$want" ]] || fail "$what is \"$got\", expected \"$want\""
}

# The colour of one pixel of a window, "R,G,B".
pixel_at() {
    import -window "$1" -crop "1x1+$2+$3" -depth 8 txt:- |
        sed -n 's/^0,0: *(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1,\2,\3/p'
}

# The preview pane's middle shows its background colour (empty) or not.
readonly PREVIEW_BACKGROUND="182,197,214"
preview_empty() { [[ "$(pixel_at "$1" ${P_PREVIEW})" == "$PREVIEW_BACKGROUND" ]]; }

# wait_preview WINDOW empty|shown
wait_preview() {
    local window=$1 want=$2 deadline=$((SECONDS + 10))
    while :; do
        if preview_empty "$window"; then
            [[ $want == empty ]] && return 0
        else
            [[ $want == shown ]] && return 0
        fi
        ((SECONDS < deadline)) || fail "the preview is not $want"
        sleep 0.2
    done
}

# Saves the screen for a look (NAME.png beside the test log).
screenshot() {
    import -window root "$E2E_OUT/$E2E_NAME-$1.png"
    e2e_log "screen saved in $E2E_OUT/$E2E_NAME-$1.png"
}

# The pop-up menu of the window body (ppMain) and of the password and
# folder boxes (ppPassList), their visible items in order, "|" for a
# separator. "Jpz Encode" shows only while the Jpz commands are offered.
MAIN_MENU=("Menu Off" "|" "Select All Files" "Select" "|" "UnMurkwell" "Murkwell Normal"
    "Murkwell Extra" "|" "Reverse " "|" "Cancel" "|" "Option" "End Message" "About" "|" "Exit")
MAIN_MENU_JPZ=("Menu Off" "|" "Select All Files" "Select" "|" "UnMurkwell" "Murkwell Normal"
    "Murkwell Extra" "Jpz Encode" "|" "Reverse " "|" "Cancel" "|" "Option" "End Message"
    "About" "|" "Exit")
PASS_MENU=("Paste" "Copy" "Cut" "|" "UnMurkwell" "Murkwell Normal" "Murkwell Extra")
readonly MENU_TOP=10 MENU_ITEM_H=22 MENU_SEPARATOR_H=2

# The open pop-up menu: the tallest visible window of the program that has
# no title of its own (a tool tip is the other kind, and small).
open_menu_window() {
    local w best="" best_h=99
    for w in $(xdotool search --onlyvisible --class '^murkwell$' 2>/dev/null); do
        xprop -id "$w" WM_NAME | grep -q '= ""\|= $' || continue
        read -r _ h <<<"$(window_size "$w")"
        ((h > best_h)) && best=$w best_h=$h
    done
    [[ -n "$best" ]] && echo "$best"
}

menu_window() {
    wait_until "${1:-10}" "a pop-up menu" open_menu_window
    open_menu_window
}

# menu_click ITEM MENU...: clicks the item of the open menu.
menu_click() {
    local item=$1 y=$MENU_TOP menu
    shift
    menu=$(menu_window)
    for entry in "$@"; do
        if [[ "$entry" == "$item" ]]; then
            click_at "$menu" 40 "$y"
            return 0
        fi
        if [[ "$entry" == "|" ]]; then
            y=$((y + MENU_SEPARATOR_H))
        else
            y=$((y + MENU_ITEM_H))
        fi
    done
    fail "no item \"$item\" in the menu"
}

# menu_keys ITEM MENU...: takes the item of the open menu with the arrow
# keys from the top and Enter.
menu_keys() {
    local item=$1 downs=0
    shift
    menu_window >/dev/null
    sleep 0.2
    for entry in "$@"; do
        [[ "$entry" == "|" ]] && continue
        downs=$((downs + 1))
        if [[ "$entry" == "$item" ]]; then
            for ((i = 0; i < downs; i++)); do
                xdotool key Down
                sleep 0.05
            done
            key Return
            return 0
        fi
    done
    fail "no item \"$item\" in the menu"
}

# The middle of the highlighted (current) row of the folder tree, relative
# to the window, or nothing when no row of it shows highlighted.
tree_highlight_y() {
    local window=$1
    import -window "$window" -crop "1x$((TREE_BOTTOM - TREE_TOP))+$((TREE_LEFT + 4))+$TREE_TOP" \
        -depth 8 txt:- | awk -v top="$TREE_TOP" -F'[,:]' '
        /#308CC6/ { y = $2 + 0; if (first == "") first = y; last = y }
        END { if (first != "") print top + int((first + last) / 2) }'
}

# Waits for the end message ("Process is end.", a window titled two blanks)
# and closes it with a click on its text.
close_end_message() {
    local box origin
    box=$(wait_window '^  $' "${1:-30}")
    sleep 0.2
    click_at "$box" 74 30
    wait_no_window '^  $' 10
}
