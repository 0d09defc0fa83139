# The Wine every Windows-side run uses: Wine 10 in a minimal Debian 13 root,
# made once per machine outside the clone (so fresh clones reuse it) and
# entered with bubblewrap for each Wine process. Debian 12's own Wine 8.0
# gives 32-bit programs no GDI text, no device contexts and no combo boxes;
# Wine 10 has none of those gaps.
#
# Entering needs no set-up and leaves nothing behind: every bwrap call gets a
# mount namespace of its own that ends with it. The root's /usr and /etc are
# read-only inside; /tmp (the Wine server's socket, the X socket), /dev,
# /proc, /sys and the clone are the machine's own, at the same paths.

KEFO_WINE_ROOT=${KEFO_WINE_ROOT:-/var/lib/kefo/wine-trixie}
# What the root holds; a root whose stamp says anything else is rebuilt.
KEFO_WINE_ROOT_RECIPE="debian trixie minbase; wine64 libwine:i386 wine32:i386 fonts-wine qemu-user; wine-wow loader; v2"
# wine64 and the i386 PE DLLs run 32-bit programs natively in WoW64 mode; the
# classic 32-bit Wine (wine32) under QEMU's i386 user mode runs them where the
# kernel has no 32-bit code segment (scripts/lib/emulation.sh).
KEFO_WINE_ROOT_PACKAGES=(wine64 libwine:i386 wine32:i386 fonts-wine qemu-user)

# The Debian archive this machine's own apt uses for its release (the first
# "deb" source whose suite is this machine's codename, in one-line or deb822
# form), so the root comes from the same place. Nothing when none is set up.
kefo_debian_mirror() {
  local codename file
  codename=$(. /etc/os-release 2>/dev/null && echo "${VERSION_CODENAME:-}")
  [ -n "$codename" ] || return 1
  for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
    [ -f "$file" ] || continue
    case "$file" in
      *.sources)
        # deb822: blank-line separated stanzas of "Field: value" lines.
        awk -v want="$codename" '
          function flush() {
            if (types ~ /(^| )deb( |$)/ && enabled != "no" && (" " suites " ") ~ (" " want " ") && uri != "")
              { print uri; found = 1; exit }
            types = suites = uri = enabled = ""
          }
          /^[ \t]*$/ { flush(); next }
          /^#/ { next }
          tolower($1) == "types:" { $1 = ""; types = substr($0, 2) }
          tolower($1) == "suites:" { $1 = ""; suites = substr($0, 2) }
          tolower($1) == "uris:" { uri = $2 }
          tolower($1) == "enabled:" { enabled = tolower($2) }
          END { if (!found) flush() }' "$file"
        ;;
      *)
        # One-line form: deb [options] URI suite components...
        sed -E 's/\[[^]]*\]//' "$file" | awk -v want="$codename" '$1 == "deb" && $3 == want { print $2; exit }'
        ;;
    esac
  done | head -n 1 | grep .
}

kefo_root_ready() {
  [ "$(cat "$KEFO_WINE_ROOT/.kefo-root" 2>/dev/null)" = "$KEFO_WINE_ROOT_RECIPE" ]
}

# Runs a command inside the root (read-only), with the clone, the current
# folder and the prefix at their own paths. The home folder is an empty one
# that ends with the command: what Wine keeps there (menu entries, caches)
# never reaches the machine's.
kefo_in_root() {
  local root=$KEFO_WINE_ROOT binds=(--bind "$KEFO_ROOT" "$KEFO_ROOT")
  local extra
  for extra in "$PWD" "${WINEPREFIX:-}"; do
    case "$extra" in
      "" | "$KEFO_ROOT" | "$KEFO_ROOT"/* | /tmp | /tmp/*) ;;
      / | /usr* | /etc* | /bin* | /sbin* | /lib* | /proc* | /dev* | /sys* | /run*) ;;
      *) [ -d "$extra" ] && binds+=(--bind "$extra" "$extra") ;;
    esac
  done
  [ -n "${XAUTHORITY:-}" ] && [ -f "$XAUTHORITY" ] && binds+=(--ro-bind "$XAUTHORITY" "$XAUTHORITY")
  bwrap --die-with-parent --ro-bind "$root/usr" /usr --ro-bind "$root/etc" /etc \
    --symlink usr/bin /bin --symlink usr/sbin /sbin --symlink usr/lib /lib --symlink usr/lib64 /lib64 \
    --proc /proc --dev-bind /dev /dev --ro-bind /sys /sys --bind /tmp /tmp \
    --dir /run --dir /var/tmp --dir "$HOME" "${binds[@]}" --unsetenv XDG_RUNTIME_DIR \
    --setenv FONTCONFIG_FILE "$KEFO_ROOT/scripts/lib/fonts.conf" -- "$@"
}

# Why the root cannot serve this run (one line), or nothing when it can.
kefo_root_unusable_reason() {
  if ! kefo_root_ready; then
    echo "no Wine root at $KEFO_WINE_ROOT (scripts/setup makes it)"
  elif ! command -v bwrap >/dev/null; then
    echo "bwrap is missing (scripts/setup installs bubblewrap)"
  elif ! kefo_in_root /usr/lib/wine/wine64 --version >/dev/null 2>&1; then
    echo "the Wine root at $KEFO_WINE_ROOT cannot be entered ($(kefo_in_root true 2>&1 | head -n 1))"
  fi
}

# Removes scratch folders of a set-up that did not finish. A debootstrap killed
# half-way leaves its /proc mounted inside: unmounted first, and removal
# never crosses into another file system.
kefo_remove_scratch() {
  local dir mount
  for dir in "$@"; do
    [ -e "$dir" ] || continue
    awk -v prefix="$dir/" 'index($2, prefix) == 1 { print $2 }' /proc/mounts | sort -r |
      while read -r mount; do umount -l "$mount"; done
    rm -rf --one-file-system "$dir"
  done
}

# Makes the root if it is missing or was made from another recipe. Built in a
# scratch folder and renamed into place only once checked, so a run killed
# half-way leaves nothing that looks usable; the scratch folder of such a run
# is removed by the next one. Serialised by a lock: clones set up at once.
kefo_make_wine_root() {
  kefo_root_ready && return 0
  local parent lock
  parent=$(dirname "$KEFO_WINE_ROOT")
  mkdir -p "$parent" || return 1
  lock="$parent/.$(basename "$KEFO_WINE_ROOT").lock"
  (
    flock 9
    kefo_root_ready && exit 0
    kefo_remove_scratch "$KEFO_WINE_ROOT".new.* "$KEFO_WINE_ROOT".old
    local new="$KEFO_WINE_ROOT.new.$$" started=$SECONDS mirror
    mirror=$(kefo_debian_mirror) ||
      { echo "setup: no Debian archive in this machine's apt sources (/etc/apt/sources.list or sources.list.d) to make the Wine root from"; exit 1; }
    echo "setup: making the Wine 10 root in $KEFO_WINE_ROOT (once per machine, a few minutes)"
    debootstrap --variant=minbase trixie "$new" "$mirror" >"$new.log" 2>&1 ||
      { echo "setup: debootstrap failed: $(tail -n 1 "$new.log")"; kefo_remove_scratch "$new"; exit 1; }
    rm -f "$new.log"
    # Installing inside needs the root writable; only here is it.
    bwrap --bind "$new" / --proc /proc --dev /dev --ro-bind /etc/resolv.conf /etc/resolv.conf \
      /bin/sh -ec '
        export DEBIAN_FRONTEND=noninteractive
        dpkg --add-architecture i386
        apt-get update -qq
        apt-get install -y -qq --no-install-recommends "$@" >/dev/null
        apt-get clean
        rm -rf /var/lib/apt/lists/*
        # The WoW64 loader: wine64 under a name that does not end in 64, and
        # a DLL folder holding the PE32 DLLs beside the 64-bit Unix side.
        cp /usr/lib/wine/wine64 /usr/lib/wine/wine-wow
        mkdir -p /usr/lib/wine/wow-dlls
        ln -s /usr/lib/i386-linux-gnu/wine/i386-windows /usr/lib/wine/wow-dlls/i386-windows
        ln -s /usr/lib/x86_64-linux-gnu/wine/x86_64-unix /usr/lib/wine/wow-dlls/x86_64-unix
        test -f /usr/lib/wine/wow-dlls/i386-windows/kernel32.dll
        test -d /usr/lib/wine/wow-dlls/x86_64-unix
        test -f /usr/share/wine/fonts/tahoma.ttf
        test -x /usr/lib/wine/wine
        test -x /usr/bin/qemu-i386
        /usr/lib/wine/wine64 --version
      ' sh "${KEFO_WINE_ROOT_PACKAGES[@]}" >"$new.version" 2>&1 ||
      { echo "setup: installing Wine into the root failed: $(tail -n 1 "$new.version")"; kefo_remove_scratch "$new"; exit 1; }
    echo "setup: $(head -n 1 "$new.version") in $KEFO_WINE_ROOT, $(du -sh "$new" | cut -f1)," \
      "made in $((SECONDS - started)) s"
    rm -f "$new.version"
    echo "$KEFO_WINE_ROOT_RECIPE" >"$new/.kefo-root"
    [ -e "$KEFO_WINE_ROOT" ] && mv "$KEFO_WINE_ROOT" "$KEFO_WINE_ROOT.old"
    mv "$new" "$KEFO_WINE_ROOT" && kefo_remove_scratch "$KEFO_WINE_ROOT.old"
  ) 9>"$lock"
}
