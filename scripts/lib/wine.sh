# Which Wine runs a Windows program and how, shared by scripts/wine-run and
# scripts/lib/session.sh.
#
# Wine 10 from the project's Debian 13 root (scripts/lib/wine-root.sh) when
# that root is there and can be entered; otherwise this machine's own Wine,
# and the scripts say why. 64-bit programs run under the wine64 loader.
# 32-bit (PE32) programs run inside the same 64-bit process in Wine's WoW64
# mode, which Wine only enters when its loader's file name does not end in
# "64": a copy of that loader named wine-wow, with a DLL folder that holds the
# PE32 DLLs beside the 64-bit Unix side (without the latter ws2_32 fails to
# start). The root has both beside wine64; for the machine's own Wine they are
# made in build/wow on first use (a symlink will not do: Wine re-executes the
# folder of /proc/self/exe joined with the name it was started by).

KEFO_ROOT=${KEFO_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
source "$KEFO_ROOT/scripts/lib/wine-root.sh"

export WINEDEBUG="${WINEDEBUG:--all}"
# No prompts to install Mono or Gecko into the prefix, and no crash reports
# from winedbg mixed into a program's output.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winedbg.exe=d}"

# Decided once per run and exported, so every Wine process of the run (CTest
# starts scripts/wine-run for each) uses the same Wine.
if [ -z "${KEFO_WINE_WHERE:-}" ]; then
  KEFO_WINE_WHY=$(kefo_root_unusable_reason)
  if [ -z "$KEFO_WINE_WHY" ]; then KEFO_WINE_WHERE=root; else KEFO_WINE_WHERE=host; fi
  export KEFO_WINE_WHERE KEFO_WINE_WHY
fi

KEFO_WINE64=/usr/lib/wine/wine64
if [ "$KEFO_WINE_WHERE" = root ]; then
  KEFO_WINESERVER=/usr/lib/wine/wineserver
  KEFO_WINE_WOW=/usr/lib/wine/wine-wow
  KEFO_WOW_DLLS=/usr/lib/wine/wow-dlls
  export WINEPREFIX="${KEFO_WINEPREFIX:-$KEFO_ROOT/build/wine}"
else
  KEFO_WINESERVER=/usr/lib/wine/wineserver64
  KEFO_WOW_DIR="$KEFO_ROOT/build/wow"
  KEFO_WINE_WOW="$KEFO_WOW_DIR/lib/wine/wine-wow"
  KEFO_WOW_DLLS="$KEFO_WOW_DIR/dlls"
  export WINEPREFIX="${KEFO_WINEPREFIX:-$KEFO_ROOT/build/wine-host}"
fi
KEFO_HOSTNAME32=/usr/lib/i386-linux-gnu/wine/i386-windows/hostname.exe

# Runs a command where this run's Wine lives.
kefo_wine_env() {
  if [ "$KEFO_WINE_WHERE" = root ]; then kefo_in_root "$@"; else "$@"; fi
}

# One line: which Wine, from where.
kefo_wine_description() {
  local version
  version=$(kefo_wine_env "$KEFO_WINE64" --version 2>/dev/null)
  if [ "$KEFO_WINE_WHERE" = root ]; then
    echo "${version:-wine ?} from the Debian 13 root $KEFO_WINE_ROOT (bwrap)"
  else
    echo "${version:-wine ?} of this machine: $KEFO_WINE_WHY"
  fi
}

# Makes build/wow for the machine's own Wine if it is missing or stale
# (another Wine version installed).
kefo_wow_tree() {
  [ "$KEFO_WINE_WHERE" = root ] && return 0
  local unix=/usr/lib/x86_64-linux-gnu/wine/x86_64-unix
  local pe32=/usr/lib/i386-linux-gnu/wine/i386-windows
  if [ ! -d "$pe32" ]; then
    echo "the i386 Wine DLLs are missing (libwine:i386; scripts/setup installs it)" >&2
    return 1
  fi
  if [ -x "$KEFO_WINE_WOW" ] && cmp -s "$KEFO_WINE64" "$KEFO_WINE_WOW"; then
    return 0
  fi
  local tmp="$KEFO_WOW_DIR.tmp.$$"
  rm -rf "$tmp"
  mkdir -p "$tmp/lib/wine" "$tmp/lib/x86_64-linux-gnu" "$tmp/share" "$tmp/dlls"
  cp "$KEFO_WINE64" "$tmp/lib/wine/wine-wow"
  ln -s "$KEFO_WINESERVER" "$tmp/lib/wine/wineserver"
  ln -s /usr/lib/x86_64-linux-gnu/wine "$tmp/lib/x86_64-linux-gnu/wine"
  ln -s /usr/share/wine "$tmp/share/wine"
  ln -s "$pe32" "$tmp/dlls/i386-windows"
  ln -s "$unix" "$tmp/dlls/x86_64-unix"
  rm -rf "$KEFO_WOW_DIR"
  mv "$tmp" "$KEFO_WOW_DIR"
}

# Runs a command under the WoW64 loader.
kefo_wine_wow() {
  kefo_wow_tree || return 1
  WINEDLLPATH="$KEFO_WOW_DLLS" kefo_wine_env "$KEFO_WINE_WOW" "$@"
}

# Makes the prefix if it is missing or was made another way. The WoW64
# loader makes it everywhere: only a prefix made by that loader has the
# 32-bit system folder (syswow64; "wineboot -u" later adds none), and on a
# machine that runs no 32-bit code the same prefix serves 64-bit programs.
kefo_make_prefix() {
  local made_by="wineboot -u under $KEFO_WINE_WOW"
  [ "$(cat "$WINEPREFIX/.kefo-prefix" 2>/dev/null)" = "$made_by" ] && return 0
  echo "creating the Wine prefix in $WINEPREFIX (once)" >&2
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  kefo_wine_wow wineboot -u >/dev/null 2>&1
  # The server writes the registry files when it ends, a few seconds after
  # its last client.
  local tick
  for tick in $(seq 600); do
    [ -e "$WINEPREFIX/system.reg" ] && break
    sleep 0.1
  done
  [ -e "$WINEPREFIX/system.reg" ] || { echo "could not create the Wine prefix" >&2; return 1; }
  echo "$made_by" >"$WINEPREFIX/.kefo-prefix"
}

# Runs a Windows program (or one of Wine's own, such as wineboot) under its
# loader: the WoW64 one for a PE32 image, wine64 for anything else.
kefo_wine() {
  local program=$1 pe machine
  if [ -f "$program" ]; then
    # The PE header starts at the offset stored at 0x3c; its machine field
    # follows the 4-byte signature. 0x014c is i386.
    pe=$(od -An -tu4 -j60 -N4 "$program" 2>/dev/null | tr -d ' ')
    [ -n "$pe" ] && machine=$(od -An -tx2 -j$((pe + 4)) -N2 "$program" 2>/dev/null | tr -d ' ')
    if [ "${machine:-}" = "014c" ]; then
      kefo_wine_wow "$@"
      return
    fi
  fi
  kefo_wine_env "$KEFO_WINE64" "$@"
}

# Whether this machine runs PE32 programs at all: WoW64 switches the CPU to
# the kernel's 32-bit code segment, which some kernels (or hypervisors) do
# not offer; there the 32-bit process dies at its first instruction. Runs one
# of Wine's own 32-bit programs in the project's prefix; KEFO_WOW64_PROBE
# says what it answered.
kefo_wow64_works() {
  kefo_make_prefix || return 1
  kefo_wine_wow "$KEFO_HOSTNAME32" >/dev/null 2>&1
  local status=$?
  KEFO_WOW64_PROBE="Wine's 32-bit hostname.exe under the WoW64 loader exited $status"
  return $status
}
