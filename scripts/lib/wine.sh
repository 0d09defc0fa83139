# Which Wine runs a Windows program and how, shared by scripts/wine-run and
# scripts/lib/session.sh.
#
# Always Wine 10 from the project's Debian 13 root (scripts/lib/wine-root.sh):
# a run that cannot enter the root says why and stops, since the machine's
# own Wine is known to fail our 32-bit tests. 64-bit programs run under the
# wine64 loader. 32-bit (PE32) programs run one of two ways (KEFO_32BIT):
#  - native: inside the 64-bit process in Wine's WoW64 mode, which Wine only
#    enters when its loader's file name does not end in "64" (the root's
#    wine-wow copy, with a DLL folder that holds the PE32 DLLs beside the
#    64-bit Unix side);
#  - emulated, where the kernel offers no 32-bit code segment (or when
#    KEFO_EMULATE_32BIT=1 asks for it): the classic 32-bit Wine, every i386
#    process of which QEMU's user mode runs (scripts/lib/emulate-i386).
# Both share the prefix and the 64-bit Wine server.

KEFO_ROOT=${KEFO_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
source "$KEFO_ROOT/scripts/lib/wine-root.sh"

export WINEDEBUG="${WINEDEBUG:--all}"
# No prompts to install Mono or Gecko into the prefix, and no crash reports
# from winedbg mixed into a program's output.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winedbg.exe=d}"
export WINEPREFIX="${KEFO_WINEPREFIX:-$KEFO_ROOT/build/wine}"

KEFO_WINE64=/usr/lib/wine/wine64
KEFO_WINE32=/usr/lib/wine/wine
KEFO_WINESERVER=/usr/lib/wine/wineserver
KEFO_WINE_WOW=/usr/lib/wine/wine-wow
KEFO_WOW_DLLS=/usr/lib/wine/wow-dlls
KEFO_HOSTNAME32=/usr/lib/i386-linux-gnu/wine/i386-windows/hostname.exe

# Why the root cannot serve (one line, also printed), or nothing when it can.
kefo_wine_usable() {
  local why
  why=$(kefo_root_unusable_reason)
  [ -z "$why" ] && return 0
  echo "Wine: none usable: $why" >&2
  return 1
}

# One line: which Wine, from where.
kefo_wine_description() {
  echo "$(kefo_in_root "$KEFO_WINE64" --version 2>/dev/null || echo 'wine ?') from the Debian 13 root $KEFO_WINE_ROOT (bwrap)"
}

# Runs a command under the WoW64 loader.
kefo_wine_wow() {
  WINEDLLPATH="$KEFO_WOW_DLLS" kefo_in_root "$KEFO_WINE_WOW" "$@"
}

# Runs a command under the classic 32-bit loader, emulated.
kefo_wine_emulated() {
  bash "$KEFO_ROOT/scripts/lib/emulate-i386" "$KEFO_WINE_ROOT/usr/bin/qemu-i386" \
    bash -c 'source "$1/scripts/lib/wine.sh" && shift && kefo_in_root "$@"' bash "$KEFO_ROOT" \
    "$KEFO_WINE32" "$@"
}

# Makes the prefix if it is missing or was made another way. The WoW64
# loader makes it: only a prefix made by a 64-bit loader has the 32-bit
# system folder (syswow64; "wineboot -u" later adds none), and the classic
# 32-bit loader and wine64 both use it as it is. The WoW64 loader's 64-bit
# process runs on every machine; only its 32-bit code needs the kernel's
# 32-bit code segment.
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

# Decides, once per run, how 32-bit programs run here, and exports it so
# every Wine process of the run (CTest starts scripts/wine-run for each)
# runs them the same way: KEFO_32BIT is native or emulated, KEFO_32BIT_WHY
# says why. Fails, saying why, when neither way runs Wine's own 32-bit
# hostname.exe.
kefo_choose_32bit() {
  [ -n "${KEFO_32BIT:-}" ] && return 0
  kefo_make_prefix || return 1
  local status=1
  if [ "${KEFO_EMULATE_32BIT:-0}" = 1 ]; then
    KEFO_32BIT_WHY="KEFO_EMULATE_32BIT=1 asks for it"
  else
    kefo_wine_wow "$KEFO_HOSTNAME32" >/dev/null 2>&1
    status=$?
    KEFO_32BIT_WHY="Wine's 32-bit hostname.exe under the WoW64 loader exited $status"
  fi
  # The probe's errors go to a file, not a pipe: Wine's services started by
  # the probe outlive it and would hold a pipe open.
  local errors
  errors=$(mktemp)
  if [ "$status" = 0 ]; then
    KEFO_32BIT=native
  elif kefo_wine_emulated "$KEFO_HOSTNAME32" >/dev/null 2>"$errors"; then
    KEFO_32BIT=emulated
  else
    echo "Wine: no 32-bit program runs here, natively ($KEFO_32BIT_WHY) or emulated" \
      "($(head -n 1 "$errors"))" >&2
    rm -f "$errors"
    return 1
  fi
  rm -f "$errors"
  export KEFO_32BIT KEFO_32BIT_WHY
}

# One phrase: how 32-bit programs run, and why.
kefo_32bit_description() {
  if [ "$KEFO_32BIT" = native ]; then
    echo "32-bit programs run natively in WoW64 mode ($KEFO_32BIT_WHY)"
  else
    echo "32-bit programs run emulated, the classic 32-bit Wine under qemu-i386 ($KEFO_32BIT_WHY)"
  fi
}

# Runs a Windows program (or one of Wine's own, such as wineboot) under its
# loader: a PE32 image as KEFO_32BIT says, anything else under wine64.
kefo_wine() {
  local program=$1 pe machine
  if [ -f "$program" ]; then
    # The PE header starts at the offset stored at 0x3c; its machine field
    # follows the 4-byte signature. 0x014c is i386.
    pe=$(od -An -tu4 -j60 -N4 "$program" 2>/dev/null | tr -d ' ')
    [ -n "$pe" ] && machine=$(od -An -tx2 -j$((pe + 4)) -N2 "$program" 2>/dev/null | tr -d ' ')
    if [ "${machine:-}" = "014c" ]; then
      kefo_choose_32bit || return 1
      if [ "$KEFO_32BIT" = native ]; then kefo_wine_wow "$@"; else kefo_wine_emulated "$@"; fi
      return
    fi
  fi
  kefo_in_root "$KEFO_WINE64" "$@"
}
