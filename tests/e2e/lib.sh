# shellcheck shell=bash
# Helpers for driving the real program under a private X server with real
# key presses. Sourced by e2e.sh and screenshot.sh; every wait has a limit,
# and the trap ends the processes started here by their ids.

# Failure artefacts (screenshot, program output) go here.
: "${E2E_ARTEFACTS:=$PWD}"

e2e_tmp=""
e2e_xvfb_pid=""
e2e_app_pid=""
e2e_main=""

e2e_cleanup()
{
    if [ -n "$e2e_app_pid" ] && kill -0 "$e2e_app_pid" 2>/dev/null; then
        kill "$e2e_app_pid" 2>/dev/null
        sleep 0.5
        kill -0 "$e2e_app_pid" 2>/dev/null && kill -9 "$e2e_app_pid" 2>/dev/null
    fi
    if [ -n "$e2e_xvfb_pid" ] && kill -0 "$e2e_xvfb_pid" 2>/dev/null; then
        kill "$e2e_xvfb_pid" 2>/dev/null
        # Let it remove its display lock before we go.
        timeout 5 tail --pid="$e2e_xvfb_pid" -f /dev/null
    fi
    if [ -n "$e2e_tmp" ]; then
        rm -rf "$e2e_tmp"
    fi
}

e2e_fail()
{
    echo "FAIL: $*" >&2
    if [ -n "$e2e_xvfb_pid" ]; then
        local shot="$E2E_ARTEFACTS/e2e-failure.png"
        if timeout 10 import -window root "$shot" 2>/dev/null; then
            echo "screen saved to $shot" >&2
        fi
    fi
    if [ -n "$e2e_tmp" ] && [ -s "$e2e_tmp/app.log" ]; then
        echo "--- program output:" >&2
        cat "$e2e_tmp/app.log" >&2
    fi
    exit 1
}

e2e_require_tools()
{
    local tool
    for tool in Xvfb xkbcomp xdotool xclip import iconv timeout; do
        command -v "$tool" >/dev/null || e2e_fail "$tool is missing (tools/install-deps.sh installs it)"
    done
}

# A fresh folder holding a copy of the executable, so that the data folder
# beside it starts empty.
e2e_prepare()
{
    local exe=$1
    [ -x "$exe" ] || e2e_fail "no executable at $exe"
    rm -f "$E2E_ARTEFACTS/e2e-failure.png"
    e2e_tmp=$(mktemp -d "${TMPDIR:-/tmp}/tarvik-e2e.XXXXXX") || e2e_fail "mktemp"
    mkdir -p "$e2e_tmp/app" "$e2e_tmp/xdg"
    chmod 700 "$e2e_tmp/xdg"
    cp "$exe" "$e2e_tmp/app/tarvik" || e2e_fail "cannot copy $exe"
    trap e2e_cleanup EXIT
    trap 'exit 1' INT TERM
}

# Own X server; -displayfd lets it pick a free display itself, so parallel
# runs cannot race for the same number. -noreset keeps the keyboard map
# loaded below when its loader disconnects.
e2e_start_x()
{
    local fdfile="$e2e_tmp/display" i
    Xvfb -displayfd 3 -noreset -screen 0 1280x900x24 -nolisten tcp 3>"$fdfile" 2>"$e2e_tmp/xvfb.log" &
    e2e_xvfb_pid=$!
    for i in $(seq 100); do
        [ -s "$fdfile" ] && break
        kill -0 "$e2e_xvfb_pid" 2>/dev/null || e2e_fail "Xvfb did not start: $(cat "$e2e_tmp/xvfb.log")"
        sleep 0.1
    done
    [ -s "$fdfile" ] || e2e_fail "Xvfb gave no display number"
    DISPLAY=":$(head -n1 "$fdfile")"
    export DISPLAY
    e2e_add_cyrillic_keys
    # The program's locale: C falls back to Russian with dd.MM.yyyy dates.
    export LANG=C.UTF-8
    unset LC_ALL LANGUAGE LC_TIME LC_COLLATE LC_CTYPE LC_MESSAGES QT_IM_MODULE
    export QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$e2e_tmp/xdg"
}

# xdotool types a character missing from the keyboard map by binding it to a
# spare key for a moment; a busy program reads the map after the binding is
# gone and loses the letter. So the Cyrillic letters (and the few other
# characters the texts use) get keys of their own in the first group.
e2e_add_cyrillic_keys()
{
    local names=(a be ve ghe de ie io zhe ze i shorti ka el em en o pe er es te u ef ha tse che sha shcha
                 hardsign yeru softsign e yu ya)
    local keymap="$e2e_tmp/keymap.xkb" extra="" code=208 name
    for name in "${names[@]}"; do
        extra+="    replace key <I$code> { [ Cyrillic_$name, Cyrillic_${name^^} ] };"$'\n'
        code=$((code + 1))
    done
    extra+="    replace key <I$code> { [ guillemotleft, guillemotright ] };"$'\n'
    extra+="    replace key <I$((code + 1))> { [ numerosign ] };"$'\n'
    timeout 10 xkbcomp -w0 "$DISPLAY" "$keymap" || e2e_fail "cannot read the keyboard map"
    # Into the symbols section, before its closing line.
    awk -v extra="$extra" '
        /^xkb_symbols/ { symbols = 1 }
        symbols && /^};/ { printf "%s", extra; symbols = 0 }
        { print }' "$keymap" >"$keymap.new" || e2e_fail "cannot extend the keyboard map"
    timeout 10 xkbcomp -w0 "$keymap.new" "$DISPLAY" || e2e_fail "cannot load the keyboard map"
}

e2e_wait_window()
{
    local title=$1 id
    id=$(timeout 15 xdotool search --sync --onlyvisible --name "^${title}\$" 2>/dev/null | head -n1)
    [ -n "$id" ] || e2e_fail "window \"$title\" did not appear"
    echo "$id"
}

e2e_wait_gone()
{
    local title=$1 i
    for i in $(seq 100); do
        xdotool search --onlyvisible --name "^${title}\$" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    e2e_fail "window \"$title\" did not close"
}

# Without a window manager nobody gives the focus back after a dialog
# closes; the pause lets the program take the focus in before keys come.
e2e_focus()
{
    timeout 5 xdotool windowfocus --sync "$1" || e2e_fail "cannot focus window $1"
    sleep 0.3
}

e2e_key()
{
    xdotool key --clearmodifiers --delay 60 "$@" || e2e_fail "xdotool key $*"
    sleep 0.2
}

e2e_type()
{
    xdotool type --delay 40 "$1" || e2e_fail "xdotool type $1"
    sleep 0.1
}

e2e_start_app()
{
    (cd "$e2e_tmp/app" && exec ./tarvik) >>"$e2e_tmp/app.log" 2>&1 &
    e2e_app_pid=$!
    e2e_main=$(e2e_wait_window "Тарвик") || exit 1
    e2e_focus "$e2e_main"
}

# Alt+X and the end of the process, which writes the data files.
e2e_close_app()
{
    local i status
    e2e_focus "$e2e_main"
    e2e_key alt+x
    for i in $(seq 150); do
        kill -0 "$e2e_app_pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$e2e_app_pid" 2>/dev/null && e2e_fail "the program did not end after Alt+X"
    wait "$e2e_app_pid"
    status=$?
    e2e_app_pid=""
    [ "$status" -eq 0 ] || e2e_fail "the program ended with status $status"
}

# Ins in the focused list, then the dialog with the given title.
e2e_open_dialog()
{
    local title=$1 dialog
    e2e_key Insert
    dialog=$(e2e_wait_window "$title") || exit 1
    e2e_focus "$dialog"
}

# Enter saves; then the main window gets the focus back.
e2e_save_dialog()
{
    e2e_key Return
    e2e_wait_gone "$1"
    e2e_focus "$e2e_main"
}

e2e_add_employee()
{
    local title="Добавление работника"
    e2e_open_dialog "$title"
    e2e_type "$1"
    e2e_key Tab
    e2e_type "$2"
    e2e_key Tab
    e2e_type "$3"
    e2e_save_dialog "$title"
}

# Place, hiring date, dismissal date (empty: still works there) and the
# wanted labour, insurance and continuous flags as 1/0; the dialog starts
# with labour and insurance ticked.
e2e_add_period()
{
    local title="Добавление записи о стаже работника"
    local place=$1 begin=$2 end=$3 flags=("$4" "$5" "$6") defaults=(1 1 0) i
    e2e_open_dialog "$title"
    e2e_type "$place"
    e2e_key Tab
    e2e_type "$begin"
    e2e_key Tab
    # The dismissal check box; ticking it enables the date after it.
    if [ -n "$end" ]; then
        e2e_key space Tab
        e2e_type "$end"
    fi
    for i in 0 1 2; do
        e2e_key Tab
        [ "${flags[$i]}" = "${defaults[$i]}" ] || e2e_key space
    done
    e2e_save_dialog "$title"
}

# The summary pane's text, through the clipboard: click into the pane,
# select it whole and copy (Ctrl+A itself is a command of the window).
e2e_summary_text()
{
    xdotool mousemove --window "$e2e_main" 640 700 click 1 || e2e_fail "cannot click the summary pane"
    sleep 0.3
    e2e_key ctrl+Home ctrl+shift+End ctrl+c
    timeout 5 xclip -o -selection clipboard 2>/dev/null
}

# Data files shown one element a line, code page converted, for diffs.
e2e_show_packet()
{
    iconv -f CP1251 -t UTF-8 "$1" | sed 's/></>\n</g'
}
