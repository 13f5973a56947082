#!/bin/bash
# Uses the real tolvane.exe under Wine as a person would, with xdotool on a
# virtual display with a small window manager, and checks what it shows and
# what it writes. Screenshots of each step are kept in ARTIFACTS.
#   e2e.sh WIN64_BUILD_DIR ARTIFACTS
set -euo pipefail
win64=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
repo=$(cd "$(dirname "$0")/../.." && pwd)

rm -rf "$out"
mkdir -p "$out/app" "$out/data/sub"
export WINEPREFIX=${TOLVANE_WINEPREFIX:-$repo/build/wineprefix}
export LANG=ja_JP.UTF-8 WINEDEBUG=-all
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
peek() { wine "$out/app/peek.exe" "$1" 2>/dev/null | iconv -c -f CP932 -t UTF-8 | tr -d '\r'; }
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
printf '%s\n' '\メモ.txt	## はじめに	検索の例です。' '\メモ.txt	## つぎに	    検索する行' '\sub\深い.txt		検索' |
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

# The window made larger, as its frame dragged would: the list takes the room.
# A combo box's own edit field is also numbered 1001: ask for the list view.
list_width() { peek "$title" | awk -F'\t' '$1=="control" && $2==1001 && $3=="SysListView32" { print $7 - $5; exit }'; }
before=$(list_width)
xdotool windowsize "$win" 1100 760
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
xdotool key Escape
echo "e2e: passed; screenshots in $out"
