# Which Wine loader runs a Windows program, shared by scripts/wine-run and
# scripts/lib/session.sh.
#
# 64-bit programs run under Debian's wine64 loader. 32-bit (PE32) programs run
# inside the same 64-bit process in Wine's WoW64 mode, which Wine only enters
# when its loader's file name does not end in "64". So build/wow holds a copy
# of that loader under another name, in the layout the loader expects around
# itself, made here on first use (a symlink will not do: Wine re-executes the
# folder of /proc/self/exe joined with the name it was started by).

KEFO_ROOT=${KEFO_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
KEFO_WINE64=/usr/lib/wine/wine64
KEFO_WINESERVER=/usr/lib/wine/wineserver64
KEFO_WOW_DIR="$KEFO_ROOT/build/wow"
KEFO_WINE_WOW="$KEFO_WOW_DIR/lib/wine/wine-wow"

export WINEPREFIX="${KEFO_WINEPREFIX:-$KEFO_ROOT/build/wine}"
export WINEDEBUG="${WINEDEBUG:--all}"
# No prompts to install Mono or Gecko into the prefix, and no crash reports
# from winedbg mixed into a program's output.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winedbg.exe=d}"

# Makes build/wow if it is missing or stale (another Wine version installed).
kefo_wow_tree() {
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
  # WINEDLLPATH names one folder with both the PE32 DLLs and the 64-bit Unix
  # side (without the latter ws2_32 fails to start).
  ln -s "$pe32" "$tmp/dlls/i386-windows"
  ln -s "$unix" "$tmp/dlls/x86_64-unix"
  rm -rf "$KEFO_WOW_DIR"
  mv "$tmp" "$KEFO_WOW_DIR"
}

# Sets KEFO_LOADER to the loader for a program: the WoW64 one for a PE32
# image (with the WINEDLLPATH it needs), wine64 for anything else (64-bit
# images and Wine's own programs such as wineboot).
kefo_pick_loader() {
  local program=$1 pe machine
  if [ -f "$program" ]; then
    # The PE header starts at the offset stored at 0x3c; its machine field
    # follows the 4-byte signature. 0x014c is i386.
    pe=$(od -An -tu4 -j60 -N4 "$program" 2>/dev/null | tr -d ' ')
    if [ -n "$pe" ]; then
      machine=$(od -An -tx2 -j$((pe + 4)) -N2 "$program" 2>/dev/null | tr -d ' ')
      if [ "$machine" = "014c" ]; then
        kefo_wow_tree || return 1
        export WINEDLLPATH="$KEFO_WOW_DIR/dlls"
        KEFO_LOADER=$KEFO_WINE_WOW
        return 0
      fi
    fi
  fi
  KEFO_LOADER=$KEFO_WINE64
}

# Whether this machine runs PE32 programs at all: WoW64 switches the CPU to
# the kernel's 32-bit code segment, which some kernels (or hypervisors) do
# not offer; there the 32-bit process dies at its first instruction. Runs one
# of Wine's own 32-bit programs in the project's prefix.
kefo_wow64_works() {
  kefo_wow_tree 2>/dev/null || return 1
  WINEDLLPATH="$KEFO_WOW_DIR/dlls" "$KEFO_WINE_WOW" \
    /usr/lib/i386-linux-gnu/wine/i386-windows/hostname.exe >/dev/null 2>&1
}
