# Sourced by the checks that drive the real program on a virtual display.
#   start_virtual_display DIR  starts Xvfb (1280 x 860) and, where installed,
#                              openbox, which gives the windows the keyboard as
#                              on a desktop; exports DISPLAY. Returns 1 with the
#                              reason in DISPLAY_PROBLEM where no server starts.
#   stop_virtual_display       stops what start_virtual_display started.
XVFB_PID=
WM_PID=
DISPLAY_PROBLEM=

start_virtual_display() {
  Xvfb -displayfd 3 -screen 0 1280x860x24 -nolisten tcp 3>"$1/display" 2>"$1/xvfb.log" &
  XVFB_PID=$!
  local i
  for i in $(seq 100); do
    [ -s "$1/display" ] && break
    kill -0 "$XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  if [ ! -s "$1/display" ]; then
    DISPLAY_PROBLEM="no display server could start (Xvfb: $(tail -1 "$1/xvfb.log"))"
    return 1
  fi
  export DISPLAY=":$(head -1 "$1/display")"
  if command -v openbox >/dev/null; then
    openbox >/dev/null 2>&1 &
    WM_PID=$!
    sleep 1  # ready before the program's first window
  fi
}

stop_virtual_display() {
  local pid
  for pid in $WM_PID $XVFB_PID; do kill "$pid" 2>/dev/null || true; done
  WM_PID= XVFB_PID=
}
