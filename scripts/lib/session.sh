# Shared by scripts/test, scripts/demo and scripts/bench: one Wine server and
# one Xvfb for a whole run, both stopped by their own process ids when the run
# ends. Every loader (wine64, the WoW64 copy and the emulated classic 32-bit
# one, scripts/lib/wine.sh) shares the prefix and the server.

source "$(dirname "${BASH_SOURCE[0]}")/wine.sh"

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
# it instead of paying the server's start-up each time. Called after
# scripts/setup, which makes the Wine root; fails, saying why, when no Wine
# that runs our 32-bit programs can be had. Then decides how 32-bit
# programs run here (KEFO_32BIT, scripts/lib/wine.sh).
kefo_start_wine() {
  kefo_wine_usable || return 1
  kefo_make_prefix || return 1
  kefo_in_root "$KEFO_WINESERVER" -f -p >/dev/null 2>&1 &
  kefo_wine_pid=$!
  kefo_choose_32bit
}

# One line for the run's log: which Wine, and how the 32-bit files in dist/
# run.
kefo_session_line() {
  echo "Wine: $(kefo_wine_description); $(kefo_32bit_description)"
}

kefo_stop_session() {
  if [ -n "$kefo_wine_pid" ]; then
    kefo_in_root "$KEFO_WINESERVER" -k >/dev/null 2>&1 || true
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
