#!/bin/bash
# Uses the real tolvane.exe under Wine as a person would, with xdotool on a virtual display with a small window
# manager, and checks what it shows and what it writes. Screenshots of each step are kept in ARTIFACTS.
#   e2e.sh WIN64_BUILD_DIR ARTIFACTS
set -euo pipefail
trap 'echo "e2e: stopped at line $LINENO: $BASH_COMMAND" >&2' ERR
win64=$(cd "$1" && pwd)
out=$(mkdir -p "$2" && cd "$2" && pwd)
repo=$(cd "$(dirname "$0")/../.." && pwd)
rm -rf "$out"
mkdir -p "$out/app" "$out/data/sub"
# In the locale, scale and prefix tools/wine-env.sh picks (Japanese, 96 dpi unless told otherwise).
. "$repo/tools/wine-env.sh"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
"$repo/tools/wine-run.sh" cmd /c exit >/dev/null 2>&1 || true   # makes the prefix if needed
pids=()
trap 'wineserver -k >/dev/null 2>&1 || true; for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done' EXIT
. "$repo/tools/xvfb-start.sh"
[ -z "$XVFB_PID" ] || pids+=("$XVFB_PID")
openbox --config-file "$repo/tests/e2e/openbox-rc.xml" >/dev/null 2>&1 &
pids+=($!)
sleep 1

cp "$win64/tolvane.exe" "$win64/peek.exe" "$out/app/"
# CP932 content; the host names are UTF-8, which Wine shows as the CP932 names.
cp932() { iconv -f UTF-8 -t CP932 > "$1"; }
printf '## はじめに\r\n検索の例です。\r\nABC\r\n## つぎに\r\n\t検索する行\r\n' | cp932 "$out/data/メモ.txt"
printf 'なし\r\n' | cp932 "$out/data/sub/other.txt"
printf '検索\r\n' | cp932 "$out/data/sub/深い.txt"
# settings_file FILE LINE...: tolvane.dat of those lines, the rest of its 17 empty.
settings_file() { { printf '%s\r\n' "${@:2}"; for _ in $(seq $# 17); do printf '\r\n'; done; } | cp932 "$1"; }
winpath() { printf 'Z:%s' "$1" | tr '/' '\\'; }
datadir=$(winpath "$out/data")
refdir="$datadir\\"
title=トルヴァン検索 box=検索結果 editor_title=エディタの設定
sakura='sakura.exe -Y=%line% -X=%column% "%path%"'

step=0
shot() { step=$((step + 1)); last="$out/$(printf '%02d' $step)-$1.png"; import -window root "$last"; }
fail() { echo "e2e: $*" >&2; shot failure; exit 1; }
# Controls of a window, UTF-8: "control ID CLASS CHECK L T R B TEXT".
peek() { wine "$out/app/peek.exe" "$1" 2>/dev/null | tr -d '\r'; }
# ctl ID FIELDS [CLASS [TITLE]]: awk fields of the main window's control ID.
# A combo box's own edit field is also numbered 1001: the list is asked by class.
ctl() { peek "${4:-$title}" | awk -F'\t' -v id="$1" -v c="${3:-}" "\$1==\"control\" && \$2==id && (c==\"\" || \$3==c) { print $2; exit }"; }
field() { ctl "$1" '$9' '' "${2:-}"; }
check_of() { ctl "$1" '$4'; }
items() { peek "$title" | awk -F'\t' '$1=="items" && $2==1001 { print $3 }'; }
# The lines of a box's texts (a text of several lines goes on after its control's line).
box_text() { peek "$box" | awk -F'\t' '$1=="control" { s = $3 == "Static" && $9 != "" } $1=="control" && s { print $9 } $1!="control" && s'; }
poll() { local n=$1; shift; for _ in $(seq 1 "$n"); do "$@" && return 0; sleep 0.25; done; return 1; }
shown() { xdotool search --name "^$1\$" >/dev/null 2>&1; }
gone() { ! shown "$1"; }
wait_window() { for _ in $(seq 1 120); do xdotool search --name "^$1\$" 2>/dev/null | head -1 && return 0; sleep 0.25; done; return 1; }
focus() { timeout 10 xdotool windowactivate --sync "$win" >/dev/null 2>&1 || xdotool windowfocus "$win"; }
press() { xdotool key "${@:2}"; sleep "$1"; }  # press SECONDS KEY...: the keys, then a wait
click_at() { xdotool mousemove "$1" "$2" click "${@:3}" 1; sleep 0.5; }
click_control() { read -r l t r b < <(ctl "$1" '$5, $6, $7, $8'); click_at $(((l + r) / 2)) $(((t + b) / 2)); }
click_row() { read -r l t r b < <(ctl 1001 '$5, $6, $7, $8' SysListView32); click_at $((l + 40)) $((t + 32)) "$@"; }
start_program() {
  (cd "$out/app" && wine tolvane.exe >/dev/null 2>&1 &)
  win=$(wait_window "$title") || fail "the main window did not open"
  focus; sleep 1
}
# sysmenu N TITLE: Alt+Space, the entry N from the menu's bottom (Wine puts an "about Wine"
# entry with the same mnemonic above ours, the last), and the window TITLE it opens.
sysmenu() { xdotool key alt+space; sleep 1; for _ in $(seq "$1"); do press 0.2 Up; done; xdotool key Return; wait_window "$2" >/dev/null; }

start_program
shot start
[ ! -e "$out/app/tolvane.dat" ] || fail "starting wrote a settings file"
# Types TEXT into control ID as a person would, and reads it back: xdotool
# sometimes loses a character it has to map to a spare key first.
type_into() {
  for _ in 1 2 3; do
    click_control "$1"; xdotool key --delay 50 End shift+Home Delete; xdotool type --delay 150 "$2"; sleep 0.3
    [ "$(field "$1")" = "$2" ] && return 0
  done
  fail "control $1 holds '$(field "$1")' instead of '$2'"
}
type_into 1003 "$refdir"
type_into 1006 '##'
type_into 1012 '検索'
xdotool key Return
wait_window "$box" >/dev/null || fail "no result box"
[ "$(box_text)" = "3個一致しました。" ] || fail "result box says '$(box_text)'"
press 1 Return
# A click on a row shows its file's lines around it in the pane below the list: drawn, not a bare background.
pane_colours() {
  read -r l t r b < <(ctl 1023 '$5, $6, $7, $8')
  import -window root -crop "$((r - l))x$((b - t))+$l+$t" png:- | convert - -format %k info:
}
click_row
poll 40 eval '[ "$(pane_colours)" -gt 4 ]' || fail "the preview pane shows $(pane_colours) colours after a click on a row"
shot results

# Ctrl+A and Ctrl+C in the list put the rows on the clipboard, which an X program reads as UTF-8 (Wine hands it over
# with LF line ends); the listing order is the file system's, so sorted lines compare.
clipboard() { timeout 10 xclip -o -selection clipboard 2>/dev/null | tr -d '\r' || true; }
click_row
xdotool key ctrl+a ctrl+c
printf '%s\n' '\メモ.txt	2	## はじめに	検索の例です。' '\メモ.txt	5	## つぎに	    検索する行' '\sub\深い.txt	1		検索' |
  LC_ALL=C sort > "$out/expected-clipboard.txt"
copied() { clipboard | LC_ALL=C sort > "$out/clipboard.txt"; cmp -s "$out/expected-clipboard.txt" "$out/clipboard.txt"; }
poll 40 copied || fail "the clipboard holds '$(cat "$out/clipboard.txt")'"

# A double-click on a row opens its file in Wine's notepad.
notepad() { xdotool search --name '(メモ|深い)\.txt' 2>/dev/null | head -1 | grep .; }
click_row --repeat 2 --delay 80
notepad=$(poll 120 notepad) || fail "a double-click on a row opened no notepad window"
xdotool windowactivate --sync "$notepad" key alt+F4 2>/dev/null || true
poll 40 eval '! notepad >/dev/null' || true
focus; sleep 0.5

# The サクラエディタ preset (below the automatic choice) chosen in the editor settings, then OK: not installed, it is started
# by its bare name, which the system finds first beside the program, where a stand-in records the start.
sysmenu 2 "$editor_title" || fail "no editor settings dialog"
press 0.5 --delay 200 Down
[ "$(field 1014 "$editor_title")" = "$sakura" ] || fail "the preset wrote '$(field 1014 "$editor_title")'"
xdotool key Return
poll 40 gone "$editor_title" || true
tr -d '\r' <"$out/app/tolvane.ini" | grep -qxF "EditorCommand=$sakura" || fail "tolvane.ini holds '$(cat "$out/app/tolvane.ini" 2>/dev/null)'"
cp "$win64/fake-editor.exe" "$out/app/sakura.exe"
focus
click_row --repeat 2 --delay 80
poll 80 test -e "$out/app/editor-command.txt" || fail "a double-click started no editor"
started=$(iconv -f UTF-16LE -t UTF-8 "$out/app/editor-command.txt")
case "$started" in "\"sakura.exe\" -Y=2 -X=1 \"$datadir\\メモ.txt\"" | "\"sakura.exe\" -Y=1 -X=1 \"$datadir\\sub\\深い.txt\"") ;;
  *) fail "the editor was started as '$started'" ;; esac
sleep 0.5

# The window made larger, as its frame dragged would: the list takes the room.
list_width() { ctl 1001 '$7 - $5' SysListView32; }
before=$(list_width)
# 1100 x 760 at 100 %; at a larger scale as much larger as that, within the screen.
eval "$(xdotool getwindowgeometry --shell "$win")"
clamp() { [ "$1" -lt "$2" ] && echo "$2" || { [ "$1" -gt "$3" ] && echo "$3" || echo "$1"; }; }
xdotool windowsize "$win" "$(clamp $((WIDTH + 450)) 1100 1270)" "$(clamp $((HEIGHT + 230)) 760 1000)"
poll 40 eval '[ "$(list_width)" -gt $((before + 200)) ]' || fail "the list stayed $(list_width) pixels wide in a larger window"
sleep 0.5
shot larger
# The moved search button is drawn at its new place, not left as bare background.
read -r l t r b < <(ctl 1 '$5, $6, $7, $8')
colours=$(import -window root -crop "$((r - l))x$((b - t))+$l+$t" png:- | convert - -format %k info:)
[ "$colours" -gt 2 ] || fail "the moved search button shows $colours colours: not drawn"

# The case option and the check box, by mouse; Esc closes the program.
click_control 1005; click_control 1009
[ "$(check_of 1005)" = 1 ] && [ "$(check_of 1004)" = 0 ] && [ "$(check_of 1009)" = 1 ] || fail "the clicks changed no option"
xdotool key Escape
poll 40 gone "$title" || fail "Esc did not close the program"
# The settings file, byte for byte: written by the search, not by the clicks after it or by closing.
settings_file "$out/expected.dat" "$refdir" '##' '' 1 0 '検索'
cmp "$out/expected.dat" "$out/app/tolvane.dat" || fail "settings file differs"

# A search that lasts until Esc on any machine: with 正規表現 the pattern's second half backtracks on each filler line
# until the library's step limit (a count, not a time) gives it up, while each file's first line matches at once.
# 200,000 such lines in 100,000 hard links outlast the test on the most workers a search starts. The window answers,
# paints and shows rows meanwhile.
python3 - "$out/long" <<'PY_'
import os, sys
for d in range(400):
    folder = os.path.join(sys.argv[1], "d%03d" % d)
    os.makedirs(folder)
    with open(os.path.join(folder, "f000.txt"), "wb") as out:
        out.write(("ここに目印がある。\r\n" + ("あ" * 30 + "\r\n") * 2).encode("cp932"))
    for f in range(1, 250):
        os.link(os.path.join(folder, "f000.txt"), os.path.join(folder, "f%03d.txt" % f))
PY_
longdir="$(winpath "$out/long")\\"
pattern='目印|(?:あ|あ)*い'
settings_file "$out/app/tolvane.dat" "$longdir" '' '' 1 0 "$pattern"
printf '[tolvane]\r\nRegex=1\r\n' > "$out/app/tolvane.ini"
start_program
# The pattern is the last search's, first in the drop-down list.
click_control 1012; press 0.3 Down
[ "$(field 1003)" = "$longdir" ] && [ "$(field 1012)" = "$pattern" ] && [ "$(check_of 1018)" = 1 ] ||
  fail "the long search starts in '$(field 1003)' for '$(field 1012)', 正規表現 $(check_of 1018)"
in_search() { gone "$box" || fail "the search ended too soon: $*"; }
press 1 Return
in_search "before the checks began"
# The system's check that a program is alive: the window manager's ping is answered by the same message loop.
wine "$out/app/peek.exe" --null "$title" 1000 >"$out/null.txt" 2>/dev/null ||
  fail "WM_NULL was not answered within 1 s: $(cat "$out/null.txt")"
[ "$(items)" -gt 0 ] || fail "no rows in the list while searching"

# Pixels of an exact colour in the client area of a screenshot; the client area
# without the list and the progress bar, alike whenever the window is drawn.
eval "$(xdotool getwindowgeometry --shell "$win")"
client="${WIDTH}x${HEIGHT}+$X+$Y"
rect_in() { ctl "$1" "\$5 - $X \",\" \$6 - $Y \" \" \$7 - $X - 1 \",\" \$8 - $Y - 1" "$2"; }
list_rect=$(rect_in 1001 SysListView32)
progress_rect=$(rect_in 1008 msctls_progress32)
colour_count() { convert "$1" -crop "$client" +repage -crop "${3:-100%}" +repage -fill "rgb(1,2,3)" +opaque "$2" \
  -fill white -opaque "$2" -fill black -opaque "rgb(1,2,3)" -format '%[fx:round(mean*w*h)]' info:; }
fixed_part() { convert "$1" -crop "$client" +repage -fill black -draw "rectangle $list_rect" \
  -draw "rectangle $progress_rect" "$2"; }

rows_before=$(items)
shot searching
fixed_part "$last" "$out/fixed-before.png"
# The rows found so far are drawn: black text below the list's header.
rows_area=$(echo "$list_rect" | awk -F'[ ,]' '{ print $3 - $1 - 20 "x" $4 - $2 - 40 "+" $1 + 2 "+" $2 + 24 }')
text=$(colour_count "$last" black "$rows_area")
[ "$text" -gt 1000 ] || fail "the list shows no rows while searching ($text text pixels)"
# Another program's window over ours, in a colour the window never shows.
xmessage -geometry "$((WIDTH + 40))x$((HEIGHT + 40))+$((X - 20))+$((Y - 20))" -bg magenta -fg magenta -xrm '*borderWidth: 0' \
  "cover" >/dev/null 2>&1 &
cover=$! && pids+=("$cover")
timeout 10 xdotool search --sync --onlyvisible --class xmessage >/dev/null || fail "the covering window did not appear"
sleep 0.5
shot covered
covered=$(colour_count "$last" magenta)
[ "$covered" -gt $((WIDTH * HEIGHT / 2)) ] || fail "the covering window hid only $covered pixels of ours"
kill "$cover"
poll 40 eval '! xdotool search --onlyvisible --class xmessage >/dev/null 2>&1' || true
# The list is drawn again within a second even when no row has come.
sleep 1.5
in_search "before the window was uncovered and drawn"
shot uncovered
left=$(colour_count "$last" magenta)
[ "$left" -eq 0 ] || fail "$left pixels of the covering window were left on ours"
fixed_part "$last" "$out/fixed-after.png"
# A blinking caret may differ; a part left undrawn is thousands of pixels.
apart=$({ compare -metric AE "$out/fixed-before.png" "$out/fixed-after.png" null: 2>&1 || true; } | awk '{ printf "%d", $1 }')
[ "$apart" -le 100 ] || fail "the window was not drawn again: $apart pixels differ from before it was covered"
rows_after=$(items)
[ "$rows_after" -gt "$rows_before" ] || fail "no more rows: $rows_before, then $rows_after"

focus
in_search "before Esc was pressed"
t0=$(date +%s%N)
xdotool key Escape
for _ in $(seq 1 100); do shown "$box" && break; sleep 0.02; done
stop_ms=$((($(date +%s%N) - t0) / 1000000))
shot stopped
[ "$stop_ms" -le 500 ] || fail "the search went on for $stop_ms ms after Esc"
# The stop, the rows found by then, and the filler lines given up on.
said=$(box_text)
found=$(echo "$said" | sed -n '2s/^\([0-9]*\)個一致しました。$/\1/p')
[ "$(echo "$said" | head -1)" = "検索を中断しました。" ] && [ -n "$found" ] && [ "$(echo "$said" | wc -l)" = 3 ] &&
  echo "$said" | sed -n 3p | grep -qx '照合を打ち切った [1-9][0-9]* 行は一致なしとしました。' || fail "result box says '$said'"
press 1 Return
[ "$(items)" = "$found" ] || fail "the list holds $(items) rows, the box said $found"
# Every row of the stopped search, selected and copied at once.
click_row
xdotool key ctrl+a ctrl+c
poll 120 eval '[ "$(clipboard | grep -c 目印)" = "$found" ]' || fail "Ctrl+A and Ctrl+C copied $(clipboard | grep -c 目印) of $found rows"
# The Esc that stopped the search did not also close the window.
shown "$title" || fail "Esc closed the window as well"
xdotool key Escape
echo "e2e: passed, Esc stopped the search in $stop_ms ms; screenshots in $out"
