#!/bin/bash
# The Windows probe at 100 %, 150 % and 200 % display scale: every control's
# place and size grow with the scale, as dialog units in a point-sized font do.
#   scales.sh WINDOWS_PROBE_EXE    exit 0 when every rect line at 144 and 192 dpi
# is within 10 % (and 3 pixels) of the 96 dpi one times the scale
. "$(dirname "$0")/common.sh"
[ $# -eq 1 ] || usage WINDOWS_PROBE_EXE
printf 'dump\n' >"$work/script"
for dpi in 96 144 192; do
    TOLVANE_WINE_DPI=$dpi run "$1" "$work/script" "$work/$dpi.raw" || exit 1
    grep -a '^rect	' "$work/$dpi.raw" >"$work/$dpi.rect"
done
[ -s "$work/96.rect" ] || { echo "no rect lines at 96 dpi"; exit 1; }
status=0
for dpi in 144 192; do
    awk -F'\t' -v dpi="$dpi" '
        NR == FNR { for (i = 3; i <= 6; i++) base[$2, i] = $i; names[$2] = 1; next }
        ($2 in names) {
            seen[$2] = 1
            for (i = 3; i <= 6; i++) {
                want = base[$2, i] * dpi / 96; d = $i - want; if (d < 0) d = -d
                if (d > 3 && d > want * 0.10) { printf "%s field %d: %d at %d dpi, %d at 96 dpi\n", $2, i - 2, $i, dpi, base[$2, i]; bad = 1 }
            }
        }
        END { for (n in names) if (!(n in seen)) { print n " missing at " dpi " dpi"; bad = 1 }; exit bad }
        ' "$work/96.rect" "$work/$dpi.rect" || status=1
done
[ $status -eq 0 ] && echo "scales: the controls grow with 150 % and 200 %: $(cut -f2 "$work/96.rect" | tr '\n' ' ')"
exit $status
