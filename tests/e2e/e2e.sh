#!/bin/bash
# Uses the real tolvane.exe under Wine as a person would, with xdotool on a
# virtual display with a small window manager, and checks what it shows and
# what it writes. Screenshots of each step are kept in ARTIFACTS.
#   e2e.sh WIN64_BUILD_DIR ARTIFACTS
set -euo pipefail
trap 'echo "e2e: stopped at line $LINENO: $BASH_COMMAND" >&2' ERR
win64=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
repo=$(cd "$(dirname "$0")/../.." && pwd)

rm -rf "$out"
mkdir -p "$out/app" "$out/data/sub"
# In the locale and at the scale tools/wine-env.sh picks (Japanese, 96 dpi
# unless told otherwise), with the prefix that goes with them.
. "$repo/tools/wine-env.sh"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
"$repo/tools/wine-run.sh" cmd /c exit >/dev/null 2>&1 || true   # makes the prefix if needed

pids=()
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
}
trap cleanup EXIT
. "$repo/tools/xvfb-start.sh"
[ -z "$XVFB_PID" ] || pids+=("$XVFB_PID")
openbox --config-file "$repo/tests/e2e/openbox-rc.xml" >/dev/null 2>&1 &
pids+=($!)
sleep 1

cp "$win64/tolvane.exe" "$win64/peek.exe" "$out/app/"
# CP932 content; the host names are UTF-8, which Wine shows as the CP932 names.
printf '## はじめに\r\n検索の例です。\r\nABC\r\n## つぎに\r\n\t検索する行\r\n' | iconv -f UTF-8 -t CP932 > "$out/data/メモ.txt"
printf 'なし\r\n' | iconv -f UTF-8 -t CP932 > "$out/data/sub/other.txt"
printf '検索\r\n' | iconv -f UTF-8 -t CP932 > "$out/data/sub/深い.txt"
refdir="Z:$(printf '%s' "$out/data" | tr '/' '\\')\\"

title=$(printf 'トルヴァン検索')
step=0
shot() { step=$((step + 1)); import -window root "$out/$(printf '%02d' $step)-$1.png"; }
fail() { echo "e2e: $*" >&2; shot failure; exit 1; }
# Controls of a window, UTF-8: "control ID CLASS CHECK L T R B TEXT".
peek() { wine "$out/app/peek.exe" "$1" 2>/dev/null | tr -d '\r'; }
wait_window() {
  for _ in $(seq 1 120); do
    xdotool search --name "^$1\$" 2>/dev/null | head -1 && return 0
    sleep 0.25
  done
  return 1
}
field() { peek "$title" | awk -F'\t' -v id="$1" '$1=="control" && $2==id { print $9 }' | head -1; }
check_of() { peek "$title" | awk -F'\t' -v id="$1" '$1=="control" && $2==id { print $4 }'; }
click_control() {
  read -r l t r b < <(peek "$title" | awk -F'\t' -v id="$1" '$1=="control" && $2==id { print $5, $6, $7, $8 }')
  xdotool mousemove $(((l + r) / 2)) $(((t + b) / 2)) click 1
  sleep 0.5
}
start_program() {
  (cd "$out/app" && wine tolvane.exe >/dev/null 2>&1 &)
  win=$(wait_window "$title") || fail "the main window did not open"
  xdotool windowactivate --sync "$win" 2>/dev/null || xdotool windowfocus "$win"
  sleep 1
}

start_program
shot start
[ ! -e "$out/app/tolvane.dat" ] || fail "starting wrote a settings file"

# Types TEXT into control ID as a person would, and reads it back: xdotool
# sometimes loses a character it has to map to a spare key first.
type_into() {
  for _ in 1 2 3; do
    click_control "$1"
    xdotool key --delay 50 End shift+Home Delete
    xdotool type --delay 150 "$2"
    sleep 0.3
    [ "$(field "$1")" = "$2" ] && return 0
  done
  fail "control $1 holds '$(field "$1")' instead of '$2'"
}
type_into 1003 "$refdir"
type_into 1006 '##'
type_into 1012 '検索'
[ "$(field 1003)" = "$refdir" ] || fail "reference field holds '$(field 1003)'"
[ "$(field 1012)" = "検索" ] || fail "search field holds '$(field 1012)'"
shot typed
xdotool key Return
box=$(wait_window "$(printf '検索結果')") || fail "no result box"
shot result-box
report=$(peek "$(printf '検索結果')" | awk -F'\t' '$1=="control" && $3=="Static" && $9!="" { print $9 }')
[ "$report" = "3個一致しました。" ] || fail "result box says '$report'"
xdotool key Return
sleep 1
shot results

# The rows lead somewhere: Ctrl+A and Ctrl+C in the list put them on the
# clipboard, which an X program reads as UTF-8 (Wine hands it over with LF
# line ends); the listing order is the file system's, so sorted lines compare.
read -r l t r b < <(peek "$title" | awk -F'\t' '$1=="control" && $2==1001 { print $5, $6, $7, $8 }')
xdotool mousemove $((l + 40)) $((t + 32)) click 1
sleep 0.5
xdotool key ctrl+a ctrl+c
printf '%s\n' '\メモ.txt	2	## はじめに	検索の例です。' '\メモ.txt	5	## つぎに	    検索する行' '\sub\深い.txt	1		検索' |
  LC_ALL=C sort > "$out/expected-clipboard.txt"
copied=
for _ in $(seq 1 40); do
  timeout 5 xclip -o -selection clipboard 2>/dev/null | tr -d '\r' | LC_ALL=C sort > "$out/clipboard.txt" || true
  cmp -s "$out/expected-clipboard.txt" "$out/clipboard.txt" && { copied=1; break; }
  sleep 0.25
done
[ -n "$copied" ] || fail "the clipboard holds '$(cat "$out/clipboard.txt")'"
shot copied

# A double-click on a row opens its file in Wine's notepad.
xdotool mousemove $((l + 40)) $((t + 32)) click --repeat 2 --delay 80 1
notepad=
for _ in $(seq 1 120); do
  notepad=$(xdotool search --name '(メモ|深い)\.txt' 2>/dev/null | head -1) && [ -n "$notepad" ] && break
  sleep 0.25
done
[ -n "$notepad" ] || fail "a double-click on a row opened no notepad window"
shot opened
xdotool windowactivate --sync "$notepad" key alt+F4 2>/dev/null || true
for _ in $(seq 1 40); do xdotool search --name '(メモ|深い)\.txt' >/dev/null 2>&1 || break; sleep 0.25; done
win=$(wait_window "$title") || fail "the main window is gone"
xdotool windowactivate --sync "$win" 2>/dev/null || xdotool windowfocus "$win"
sleep 0.5

# An editor chosen in the editor settings, reached from the system menu (its
# entry is the one above the about entry, which is the last): the サクラエディタ
# preset below the automatic choice, then OK. Not installed, it is started by
# its bare name, which the system finds first beside the program: there a
# stand-in records how it was started.
xdotool key alt+space
sleep 1
xdotool key --delay 200 Up Up Return
editor_title=$(printf 'エディタの設定')
wait_window "$editor_title" >/dev/null || fail "no editor settings dialog"
xdotool key --delay 200 Down
sleep 0.5
shot editor-settings
[ "$(peek "$editor_title" | awk -F'\t' '$1=="control" && $2==1014 { print $9 }')" = 'sakura.exe -Y=%line% -X=%column% "%path%"' ] ||
  fail "the preset wrote '$(peek "$editor_title" | awk -F'\t' '$1=="control" && $2==1014 { print $9 }')'"
xdotool key Return
for _ in $(seq 1 40); do xdotool search --name "^$editor_title\$" >/dev/null 2>&1 || break; sleep 0.25; done
grep -q '^EditorCommand=sakura.exe -Y=%line% -X=%column% "%path%"' "$out/app/tolvane.ini" ||
  fail "tolvane.ini holds '$(cat "$out/app/tolvane.ini" 2>/dev/null)'"
cp "$win64/fake-editor.exe" "$out/app/sakura.exe"
xdotool windowactivate --sync "$win" 2>/dev/null || xdotool windowfocus "$win"
read -r l t r b < <(peek "$title" | awk -F'\t' '$1=="control" && $2==1001 && $3=="SysListView32" { print $5, $6, $7, $8 }')
xdotool mousemove $((l + 40)) $((t + 32)) click --repeat 2 --delay 80 1
for _ in $(seq 1 80); do [ -e "$out/app/editor-command.txt" ] && break; sleep 0.25; done
[ -e "$out/app/editor-command.txt" ] || fail "a double-click started no editor"
started=$(iconv -f UTF-16LE -t UTF-8 "$out/app/editor-command.txt")
datadir="Z:$(printf '%s' "$out/data" | tr '/' '\\')"
case "$started" in
  "\"sakura.exe\" -Y=2 -X=1 \"$datadir\\メモ.txt\"" | "\"sakura.exe\" -Y=1 -X=1 \"$datadir\\sub\\深い.txt\"") ;;
  *) fail "the editor was started as '$started'" ;;
esac
sleep 0.5

# The window made larger, as its frame dragged would: the list takes the room.
# A combo box's own edit field is also numbered 1001: ask for the list view.
list_width() { peek "$title" | awk -F'\t' '$1=="control" && $2==1001 && $3=="SysListView32" { print $7 - $5; exit }'; }
before=$(list_width)
# 1100 x 760 at 100 %; at a larger scale as much larger as that, within the screen.
read -r wl wt wr wb < <(peek "$title" | awk -F'\t' '$1=="window" { print $2, $3, $4, $5 }')
new_w=$((wr - wl + 450)) new_h=$((wb - wt + 230))
[ "$new_w" -ge 1100 ] || new_w=1100
[ "$new_h" -ge 760 ] || new_h=760
[ "$new_w" -le 1270 ] || new_w=1270
[ "$new_h" -le 1000 ] || new_h=1000
xdotool windowsize "$win" "$new_w" "$new_h"
grown=
for _ in $(seq 1 40); do
  [ "$(list_width)" -gt $((before + 200)) ] && { grown=1; break; }
  sleep 0.25
done
[ -n "$grown" ] || fail "the list stayed $(list_width) pixels wide in a larger window"
sleep 0.5
shot larger
# The moved search button is drawn at its new place, not left as bare background.
read -r l t r b < <(peek "$title" | awk -F'\t' '$1=="control" && $2==1 { print $5, $6, $7, $8 }')
colours=$(import -window root -crop "$((r - l))x$((b - t))+$l+$t" png:- | convert - -format %k info:)
[ "$colours" -gt 2 ] || fail "the moved search button shows $colours colours: not drawn"

# The case option and the check box, by mouse.
click_control 1005
click_control 1009
[ "$(check_of 1005)" = 1 ] && [ "$(check_of 1004)" = 0 ] || fail "case option did not change"
[ "$(check_of 1009)" = 1 ] || fail "check box did not change"
shot options
xdotool key Escape
for _ in $(seq 1 40); do xdotool search --name "^$title\$" >/dev/null 2>&1 || break; sleep 0.25; done
xdotool search --name "^$title\$" >/dev/null 2>&1 && fail "Esc did not close the program"

# The settings file, byte for byte: written by the search, not by the clicks
# after it or by closing.
{ printf '%s\r\n' "$refdir" '##' '' 1 0 '検索'; for _ in $(seq 1 11); do printf '\r\n'; done; } |
  iconv -f UTF-8 -t CP932 > "$out/expected.dat"
cmp "$out/expected.dat" "$out/app/tolvane.dat" || fail "settings file differs"

start_program
shot restarted
[ "$(field 1003)" = "$refdir" ] || fail "reference folder came back as '$(field 1003)'"
[ "$(field 1006)" = "##" ] || fail "headword marker came back as '$(field 1006)'"
[ "$(check_of 1004)" = 1 ] || fail "case choice did not come back"

xdotool key alt+space
sleep 1
shot system-menu
# Wine puts an "about Wine" entry with the same mnemonic above ours, so the
# entry is reached from the bottom of the menu: ours is the last.
xdotool key --delay 200 Up Return
about=$(wait_window "$(printf 'tolvaneのﾊﾞｰｼﾞｮﾝ情報')") || fail "no about box"
shot about-box
peek "$(printf 'tolvaneのﾊﾞｰｼﾞｮﾝ情報')" | grep -q 'https://tolvane.example.jp/' || fail "about box shows no web address"
xdotool key Escape
sleep 0.5
# The editor chosen before the restart is still the one in force.
xdotool key alt+space
sleep 1
xdotool key --delay 200 Up Up Return
wait_window "$editor_title" >/dev/null || fail "no editor settings dialog after the restart"
kept=$(peek "$editor_title" | awk -F'\t' '$1=="control" && $2==1014 { print $9 }')
[ "$kept" = 'sakura.exe -Y=%line% -X=%column% "%path%"' ] || fail "after a restart the editor is '$kept'"
xdotool key Escape
sleep 0.5
xdotool key Escape
for _ in $(seq 1 40); do xdotool search --name "^$title\$" >/dev/null 2>&1 || break; sleep 0.25; done

# A search that lasts until Esc on any machine: 正規表現 is ticked, and the
# pattern's second half backtracks on each filler line until the library's
# step limit (a count, not a time) gives the line up, while the marker line
# that starts each file matches at once. 200,000 such lines of 100,000 names
# (hard links are little to write) outlast the test on the most workers a
# search starts. The window answers, paints and shows its rows meanwhile.
python3 - "$out/long" <<'PY_'
import os, sys
filler = ("あ" * 30 + "\r\n").encode("cp932")
hit = "ここに目印がある。\r\n".encode("cp932")
for d in range(400):
    folder = os.path.join(sys.argv[1], "d%03d" % d)
    os.makedirs(folder)
    first = os.path.join(folder, "f000.txt")
    with open(first, "wb") as out:
        out.write(hit + filler * 2)
    for f in range(1, 250):
        os.link(first, os.path.join(folder, "f%03d.txt" % f))
PY_
longdir="Z:$(printf '%s' "$out/long" | tr '/' '\\')\\"
pattern='目印|(?:あ|あ)*い'
{ printf '%s\r\n' "$longdir" '' '' 1 0 "$pattern"; for _ in $(seq 1 11); do printf '\r\n'; done; } |
  iconv -f UTF-8 -t CP932 > "$out/app/tolvane.dat"
printf '[tolvane]\r\nRegex=1\r\n' > "$out/app/tolvane.ini"
start_program
# The pattern is the last search's, first in the drop-down list.
click_control 1012
xdotool key Down
sleep 0.3
[ "$(field 1003)" = "$longdir" ] && [ "$(field 1012)" = "$pattern" ] && [ "$(check_of 1018)" = 1 ] ||
  fail "the long search starts in '$(field 1003)' for '$(field 1012)', 正規表現 $(check_of 1018)"
items() { peek "$title" | awk -F'\t' '$1=="items" && $2==1001 { print $3 }'; }
in_search() { ! xdotool search --name "^$(printf '検索結果')\$" >/dev/null 2>&1 || fail "the search ended too soon: $*"; }
xdotool key Return
sleep 1
in_search "before the checks began"
# The window manager's and the system's checks that a program is alive.
python3 "$repo/tests/e2e/netwm_ping.py" "$win" 1000 >"$out/ping.txt" || fail "no answer to _NET_WM_PING: $(cat "$out/ping.txt")"
wine "$out/app/peek.exe" --null "$title" 1000 >"$out/null.txt" 2>/dev/null ||
  fail "WM_NULL was not answered within 1 s: $(cat "$out/null.txt")"
[ "$(items)" -gt 0 ] || fail "no rows in the list while searching"

# Pixels of an exact colour in the window's client area of a screenshot; the
# client area with the list and the progress bar blacked out, which must look
# alike whenever the window is drawn during the search.
eval "$(xdotool getwindowgeometry --shell "$win")"
client="${WIDTH}x${HEIGHT}+$X+$Y"
rect_of() { peek "$title" | awk -F'\t' -v id="$1" -v class="$2" -v x="$X" -v y="$Y" \
  '$1=="control" && $2==id && $3==class { print $5 - x "," $6 - y " " $7 - x - 1 "," $8 - y - 1; exit }'; }
list_rect=$(rect_of 1001 SysListView32)
progress_rect=$(rect_of 1008 msctls_progress32)
[ -n "$list_rect" ] && [ -n "$progress_rect" ] || fail "no list or progress bar in: $(peek "$title")"
colour_count() { convert "$1" -crop "$client" +repage -crop "${3:-100%}" +repage -fill "rgb(1,2,3)" +opaque "$2" \
  -fill white -opaque "$2" -fill black -opaque "rgb(1,2,3)" -format '%[fx:round(mean*w*h)]' info:; }
fixed_part() { convert "$1" -crop "$client" +repage -fill black -draw "rectangle $list_rect" \
  -draw "rectangle $progress_rect" "$2"; }
pixels_apart() { { compare -metric AE "$1" "$2" null: 2>&1 || true; } | awk '{ printf "%d", $1 }'; }

rows_before=$(items)
shot searching
before="$out/$(printf '%02d' $step)-searching.png"
# The rows found so far are drawn: black text below the list's header.
rows_area=$(echo "$list_rect" | awk -F'[ ,]' '{ print $3 - $1 - 20 "x" $4 - $2 - 40 "+" $1 + 2 "+" $2 + 24 }')
text=$(colour_count "$before" black "$rows_area")
[ "$text" -gt 1000 ] || fail "the list shows no rows while searching ($text text pixels)"
# Another program's window over ours, in a colour the window never shows.
xmessage -geometry "$((WIDTH + 40))x$((HEIGHT + 40))+$((X - 20))+$((Y - 20))" -bg magenta -fg magenta -xrm '*borderWidth: 0' \
  "cover" >/dev/null 2>&1 &
cover=$!
pids+=("$cover")
timeout 10 xdotool search --sync --onlyvisible --class xmessage >/dev/null || fail "the covering window did not appear"
sleep 0.5
shot covered
covered=$(colour_count "$out/$(printf '%02d' $step)-covered.png" magenta)
[ "$covered" -gt $((WIDTH * HEIGHT / 2)) ] || fail "the covering window hid only $covered pixels of ours"
kill "$cover"
for _ in $(seq 1 40); do xdotool search --onlyvisible --class xmessage >/dev/null 2>&1 || break; sleep 0.1; done
# The list is drawn again within a second even when no row has come.
sleep 1.5
in_search "before the window was uncovered and drawn"
shot uncovered
after="$out/$(printf '%02d' $step)-uncovered.png"
left=$(colour_count "$after" magenta)
[ "$left" -eq 0 ] || fail "$left pixels of the covering window were left on ours"
fixed_part "$before" "$out/fixed-before.png"
fixed_part "$after" "$out/fixed-after.png"
# A blinking caret may differ; a part left undrawn is thousands of pixels.
apart=$(pixels_apart "$out/fixed-before.png" "$out/fixed-after.png")
[ "$apart" -le 100 ] || fail "the window was not drawn again: $apart pixels differ from before it was covered"
rows_after=$(items)
[ "$rows_after" -gt "$rows_before" ] || fail "no more rows: $rows_before, then $rows_after"

timeout 10 xdotool windowactivate --sync "$win" >/dev/null 2>&1 || xdotool windowfocus "$win"
in_search "before Esc was pressed"
t0=$(date +%s%N)
xdotool key Escape
for _ in $(seq 1 100); do xdotool search --name "^$(printf '検索結果')\$" >/dev/null 2>&1 && break; sleep 0.02; done
stop_ms=$((($(date +%s%N) - t0) / 1000000))
shot stopped
box_text=$(peek "$(printf '検索結果')" | awk -F'\t' '$1=="control" { s = $3 == "Static" && $9 != "" } $1=="control" && s { print $9 } $1!="control" && $1!="window" && s')
echo "e2e: the result box came ${stop_ms} ms after Esc"
[ "$stop_ms" -le 500 ] || fail "the search went on for $stop_ms ms after Esc"
# Rows found, then the filler lines given up on so far.
found=$(echo "$box_text" | sed -n '2s/^\([0-9]*\)個一致しました。$/\1/p')
[ "$(echo "$box_text" | head -1)" = "検索を中断しました。" ] && [ -n "$found" ] && [ "$(echo "$box_text" | wc -l)" = 3 ] &&
  echo "$box_text" | sed -n 3p | grep -qx '照合を打ち切った [1-9][0-9]* 行は一致なしとしました。' ||
  fail "result box says '$box_text'"
xdotool key Return
sleep 1
[ "$(items)" = "$found" ] || fail "the list holds $(items) rows, the box said $found"
# Every row of the stopped search, selected and copied at once.
read -r l t r b < <(peek "$title" | awk -F'\t' '$1=="control" && $2==1001 && $3=="SysListView32" { print $5, $6, $7, $8 }')
xdotool mousemove $((l + 40)) $((t + 32)) click 1
sleep 0.5
t0=$(date +%s%N)
xdotool key ctrl+a ctrl+c
copied=0
for _ in $(seq 1 120); do
  copied=$(timeout 10 xclip -o -selection clipboard 2>/dev/null | grep -c '目印' || true)
  [ "$copied" = "$found" ] && break
  sleep 0.25
done
[ "$copied" = "$found" ] || fail "Ctrl+A and Ctrl+C copied $copied of $found rows"
echo "e2e: $found rows selected and copied in $((($(date +%s%N) - t0) / 1000000)) ms"
# The Esc that stopped the search did not also close the window.
xdotool search --name "^$title\$" >/dev/null 2>&1 || fail "Esc closed the window as well"
shot after-stop
xdotool key Escape
echo "e2e: passed; screenshots in $out"
