#!/bin/bash
# The probe scripts natively, each from no settings file: what the window shows, of the kinds of lines NAME.script's
# "# keep:" line names, must be NAME.expected (CP932 bytes).
#   run_native.sh PROBE      exit 0 when every script gave what is expected
. "$(dirname "$0")/common.sh"
[ $# -eq 1 ] || usage PROBE
status=0
for name in startup tree restart stop results replace replace_changed start; do
    script "$name" native
    run "$1" "$work/$name.native" "$work/$name.raw" || { status=1; continue; }
    sort_rows <"$work/$name.raw" | grep -aE "^($(sed -n 's/^# keep: //p' "$here/$name.script"))" >"$work/$name.out"
    if ! cmp -s "$here/$name.expected" "$work/$name.out"; then
        echo "$name: output differs from $name.expected (shown in UTF-8):" >&2
        diff <(iconv -f CP932 -t UTF-8 "$here/$name.expected") <(iconv -f CP932 -t UTF-8 "$work/$name.out") >&2
        status=1
    fi
done
exit $status
