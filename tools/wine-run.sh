#!/bin/bash
# Runs a Windows program under Wine the way the tests need it:
#   tools/wine-run.sh PROGRAM.exe [args...]
# Japanese locale (ANSI code page 932), a prefix of our own that is made once
# and reused, and an X display (a private Xvfb when none is set). The
# program's stdout and stderr come out on ours, and its exit code is ours.
# TOLVANE_WINE_LOCALE and TOLVANE_WINE_DPI choose another locale and display
# scale, each with a prefix of its own (tools/wine-env.sh).
set -u

if [ $# -lt 1 ]; then
    echo "usage: $0 PROGRAM.exe [args...]" >&2
    exit 2
fi

repo=$(cd "$(dirname "$0")/.." && pwd)

. "$repo/tools/wine-env.sh"
export LC_ALL=$wine_locale
export WINEDEBUG=-all
# No offers to download Mono or Gecko, no desktop menu entries.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

work=$(mktemp -d "${TMPDIR:-/tmp}/wine-run.XXXXXX")
xvfb_pid=
cleanup() {
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
    fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

. "$repo/tools/xvfb-start.sh"
xvfb_pid=$XVFB_PID

# Making a prefix takes seconds; a lock keeps two first runs from both doing it.
mkdir -p "$(dirname "$WINEPREFIX")"
(
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        wineboot -i >/dev/null 2>&1
        wineserver -w
        wine_set_dpi
    fi
) 9>"$WINEPREFIX.lock"

# Wine's pipes may stay open after the program ends, so the output goes to
# files and is shown once the prefix's wineserver has finished.
wine "$@" >"$work/out" 2>"$work/err" </dev/null
rc=$?
# Once in a while only Wine's own services stay up after the program has
# ended, and the wait would last for ever.
timeout 60 wineserver -w || { echo "wine-run: wineserver still up a minute after the program; ended it" >&2; wineserver -k; }

cat "$work/out"
cat "$work/err" >&2
exit $rc
