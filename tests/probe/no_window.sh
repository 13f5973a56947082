#!/bin/bash
# The Windows probe on a display nobody serves: Wine can make no window, and
# the probe must say so and fail instead of dumping empty controls.
#   no_window.sh WINDOWS_PROBE_EXE
. "$(dirname "$0")/common.sh"
[ $# -eq 1 ] || usage WINDOWS_PROBE_EXE
cp "$1" "$work/probe.exe"
printf 'dump\n' >"$work/script"
n=90  # a display number with no server behind it
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
DISPLAY=":$n" "$repo/tools/wine-run.sh" "$work/probe.exe" "$(winpath "$work/script")" >"$work/out" 2>"$work/err"
rc=$?
if [ $rc -ne 3 ] || [ -s "$work/out" ] ||
    ! tr -d '\r' <"$work/err" | grep -qx 'tolvane-probe: the main window could not be created'; then
    echo "no window: exit $rc (want 3), $(wc -c <"$work/out") bytes out (want 0), stderr:"; cat "$work/err"; exit 1
fi
echo "no window: exit 3 and a message"
