# Sourced by the scripts: the Wine settings of the build tree's own prefix.
# Expects BUILD_DIR.
export WINEPREFIX="$BUILD_DIR/wineprefix"
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

# Starts a persistent wineserver and prepares the prefix once. Wine's own
# services must be up before ctest runs: started under ctest they inherit
# its pipes and the run never ends.
wine_start() {
  mkdir -p "$WINEPREFIX"
  wineserver -p
  DISPLAY= wineboot -i >/dev/null 2>&1 </dev/null || true
}

wine_stop() {
  wineserver -k >/dev/null 2>&1 || true
}

# A virtual X display for the tests that drive real windows and message boxes.
# QV_DISPLAY chooses the display number (":99" unless set).
QV_DISPLAY="${QV_DISPLAY:-:99}"
XVFB_PID=""
xvfb_start() {
  local sock="/tmp/.X11-unix/X${QV_DISPLAY#:}"
  if ! [ -e "$sock" ]; then
    Xvfb "$QV_DISPLAY" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 50); do [ -e "$sock" ] && break; sleep 0.1; done
  fi
}

xvfb_stop() {
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
}
