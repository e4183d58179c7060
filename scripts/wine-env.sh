# Sourced by the scripts: the Wine settings of the running build's own
# prefix. Expects RUN_BUILD_DIR and QV_ARCH.
export WINEPREFIX="$RUN_BUILD_DIR/wineprefix"
export WINEDEBUG=-all
# mpr=n,b: the router stand-in beside the programs replaces Wine's mpr.dll.
export WINEDLLOVERRIDES="mscoree,mshtml=;mpr=n,b"
if [ "$QV_ARCH" = x86_64 ]; then
  export WINEARCH=win64
  # The wine wrapper would pick the 32-bit loader whenever wine32 is
  # installed, usable or not.
  QV_WINE=/usr/lib/wine/wine64
  export WINELOADER="$QV_WINE"
else
  export WINEARCH=win32
  QV_WINE=wine
fi

# Starts a persistent wineserver and prepares the prefix once. Wine's own
# services must be up before ctest runs: started under ctest they inherit
# its pipes and the run never ends.
wine_start() {
  mkdir -p "$WINEPREFIX"
  wineserver -p 2>/dev/null || true # already running for this prefix
  # The desktop process started here fixes the session's display driver:
  # on the virtual display (when it is up) tests given DISPLAY get real
  # windows, while tests without DISPLAY still get none.
  local display=""
  [ -e "/tmp/.X11-unix/X${QV_DISPLAY#:}" ] && display="$QV_DISPLAY"
  DISPLAY="$display" "$QV_WINE" wineboot.exe -i >/dev/null 2>&1 </dev/null || true
  # The desktop ends with the last program attached to it, and the next
  # program to start one fixes the driver again: a test without DISPLAY
  # would leave the display-bound tests without windows. A minimized idle
  # program keeps the display's desktop up until wine_stop.
  if [ -n "$display" ]; then
    DISPLAY="$display" "$QV_WINE" start /min notepad >/dev/null 2>&1 </dev/null || true
  fi
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
