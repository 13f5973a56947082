#!/bin/bash
# The Windows probe at 100 %, 150 % and 200 % display scale (96, 144 and 192
# dpi in the prefix): every control's place and size grow with the scale, as
# dialog units in the template's point-sized font give them.
#   scales.sh WINDOWS_PROBE_EXE
# Exit 0 when every rect line at 144 and 192 dpi is within 10 % (and 3
# pixels) of the 96 dpi one times the scale, 1 otherwise, with the lines.
set -u
if [ $# -ne 1 ]; then
    echo "usage: $0 WINDOWS_PROBE_EXE" >&2
    exit 2
fi
repo=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/tolvane-scales.XXXXXX")
trap 'rm -rf "$work"' EXIT
cp "$1" "$work/probe.exe"
printf 'dump\n' >"$work/script"
for dpi in 96 144 192; do
    # Wine now and then cannot reach the display (exit 3): tried again.
    for _ in 1 2 3; do
        TOLVANE_WINE_DPI=$dpi "$repo/tools/wine-run.sh" "$work/probe.exe" "Z:${work//\//\\}\\script" \
            >"$work/$dpi.raw" 2>"$work/$dpi.err"
        rc=$?
        [ $rc -eq 3 ] || break
    done
    if [ $rc -ne 0 ]; then
        echo "probe at $dpi dpi exited with $rc"; cat "$work/$dpi.err"; exit 1
    fi
    tr -d '\r' <"$work/$dpi.raw" | grep -a '^rect	' >"$work/$dpi.rect"
done
status=0
[ -s "$work/96.rect" ] || { echo "no rect lines at 96 dpi"; exit 1; }
for dpi in 144 192; do
    if ! awk -F'\t' -v dpi="$dpi" '
        NR == FNR { for (i = 3; i <= 6; i++) base[$2, i] = $i; names[$2] = 1; next }
        ($2 in names) {
            seen[$2] = 1
            for (i = 3; i <= 6; i++) {
                want = base[$2, i] * dpi / 96; d = $i - want; if (d < 0) d = -d
                if (d > 3 && d > want * 0.10) { printf "%s field %d: %d at %d dpi, %d at 96 dpi\n", $2, i - 2, $i, dpi, base[$2, i]; bad = 1 }
            }
        }
        END { for (n in names) if (!(n in seen)) { print n " missing at " dpi " dpi"; bad = 1 }; exit bad }
        ' "$work/96.rect" "$work/$dpi.rect"; then
        status=1
    fi
done
[ $status -eq 0 ] && echo "scales: the controls grow with 150 % and 200 %: $(cut -f2 "$work/96.rect" | tr '\n' ' ')"
exit $status
