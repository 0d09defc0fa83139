# Shared by scripts/test and scripts/demo: one Wine server and one Xvfb for a
# whole run, both stopped by their own process ids when the run ends.

KEFO_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
export WINEPREFIX="$KEFO_ROOT/build/wine"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
WINE_DIR=/usr/lib/wine

kefo_wine_pid=""
kefo_xvfb_pid=""

# A virtual display on a free number, so windows and dialogs can be created
# and captured without a screen.
kefo_start_display() {
  local n
  for n in $(seq 91 199); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    kefo_xvfb_pid=$!
    for _ in $(seq 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      sleep 0.1
    done
    if kill -0 "$kefo_xvfb_pid" 2>/dev/null; then
      export DISPLAY=":$n"
      return 0
    fi
  done
  echo "could not start Xvfb" >&2
  return 1
}

# One persistent server for the prefix; every Wine process of the run joins
# it instead of paying the server's start-up each time.
kefo_start_wine() {
  mkdir -p "$WINEPREFIX"
  "$WINE_DIR/wineserver" -f -p >/dev/null 2>&1 &
  kefo_wine_pid=$!
  if [ ! -e "$WINEPREFIX/system.reg" ]; then
    echo "creating the Wine prefix in $WINEPREFIX (once)"
  fi
  "$WINE_DIR/wine64" wineboot --init >/dev/null 2>&1 || true
}

kefo_stop_session() {
  if [ -n "$kefo_wine_pid" ]; then
    "$WINE_DIR/wineserver" -k >/dev/null 2>&1 || true
    kill "$kefo_wine_pid" 2>/dev/null || true
    wait "$kefo_wine_pid" 2>/dev/null || true
    kefo_wine_pid=""
  fi
  if [ -n "$kefo_xvfb_pid" ]; then
    kill "$kefo_xvfb_pid" 2>/dev/null || true
    wait "$kefo_xvfb_pid" 2>/dev/null || true
    kefo_xvfb_pid=""
  fi
}
