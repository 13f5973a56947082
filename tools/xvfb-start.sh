# Sourced: starts a private Xvfb on a free display number when none is set,
# exports DISPLAY and leaves its pid in XVFB_PID (empty when none was started).
XVFB_PID=
if [ -z "${DISPLAY:-}" ]; then
  xvfb_fifo=$(mktemp -u "${TMPDIR:-/tmp}/xvfb.XXXXXX")
  mkfifo "$xvfb_fifo"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$xvfb_fifo" >/dev/null 2>&1 &
  XVFB_PID=$!
  read -r -t 30 xvfb_number <"$xvfb_fifo" || true
  rm -f "$xvfb_fifo"
  if [ -z "${xvfb_number:-}" ]; then
    echo "Xvfb did not start" >&2
    exit 125
  fi
  export DISPLAY=":$xvfb_number"
fi
