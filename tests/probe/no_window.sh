#!/bin/bash
# The Windows probe on a display nobody serves: Wine can make no window, and
# the probe must say so and fail instead of dumping empty controls.
#   no_window.sh WINDOWS_PROBE_EXE
set -u
if [ $# -ne 1 ]; then
    echo "usage: $0 WINDOWS_PROBE_EXE" >&2
    exit 2
fi
repo=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/tolvane-nowindow.XXXXXX")
trap 'rm -rf "$work"' EXIT
cp "$1" "$work/probe.exe"
printf 'dump\n' >"$work/script"
# A display number with no server behind it.
n=90
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
DISPLAY=":$n" "$repo/tools/wine-run.sh" "$work/probe.exe" "Z:${work//\//\\}\\script" >"$work/out" 2>"$work/err"
rc=$?
status=0
if [ $rc -ne 3 ]; then
    echo "expected exit 3 without a window, got $rc"; status=1
fi
if ! tr -d '\r' <"$work/err" | grep -qx 'tolvane-probe: the main window could not be created'; then
    echo "no message about the missing window on stderr:"; cat "$work/err"; status=1
fi
if [ -s "$work/out" ]; then
    echo "output without a window:"; cat "$work/out"; status=1
fi
[ $status -eq 0 ] && echo "no window: exit 3 and a message"
exit $status
