# Shared by scripts/test, scripts/demo and scripts/bench: one Wine server and
# one Xvfb for a whole run, both stopped by their own process ids when the run
# ends. Both loaders (wine64 and the WoW64 copy, scripts/lib/wine.sh) share
# the prefix and the server.

source "$(dirname "${BASH_SOURCE[0]}")/wine.sh"

kefo_wine_pid=""
kefo_xvfb_pid=""
# Set by kefo_start_wine from whether this machine runs 32-bit Windows
# programs: KEFO_WOW64 1 or 0; the CMake option that says so; the Windows
# build whose programs the run uses; and the folder of the shipped files or,
# where they cannot run, of their 64-bit twins.
KEFO_WOW64=0
KEFO_WOW64_OPTION=-DKEFO_WOW64=OFF
KEFO_PRESET=win64
KEFO_SHIPPED=build/win64/bin

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
# it instead of paying the server's start-up each time. Then finds out
# whether 32-bit programs run here (KEFO_WOW64).
kefo_start_wine() {
  kefo_make_prefix || return 1
  kefo_wine_env "$KEFO_WINESERVER" -f -p >/dev/null 2>&1 &
  kefo_wine_pid=$!
  if kefo_wow64_works; then
    KEFO_WOW64=1 KEFO_WOW64_OPTION=-DKEFO_WOW64=ON KEFO_PRESET=win32 KEFO_SHIPPED=dist
  fi
  return 0
}

# One line for the run's log: which Wine, and which files the Windows side
# runs on, and why.
kefo_session_line() {
  local files
  if [ "$KEFO_WOW64" = 1 ]; then
    files="32-bit programs run here, so the Windows side runs on the 32-bit files in dist/"
  else
    files="no 32-bit program runs here ($KEFO_WOW64_PROBE), so the Windows side runs on the 64-bit twins"
  fi
  echo "Wine: $(kefo_wine_description); $files"
}

kefo_stop_session() {
  if [ -n "$kefo_wine_pid" ]; then
    kefo_wine_env "$KEFO_WINESERVER" -k >/dev/null 2>&1 || true
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
