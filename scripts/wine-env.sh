# Sourced by the scripts: how this machine runs each Windows build, a Wine prefix inside the
# build tree, a virtual X display when there is none, and a persistent wineserver for the
# duration of the caller.
#
# Not every machine's kernel runs 32-bit Linux programs, and Wine's 32-bit loader is one. Where
# it does not, the 64-bit build runs on 64-bit Wine, and the 32-bit build runs through
# qemu-user's i386 emulator, registered with binfmt_misc for the caller's lifetime only.
# shellcheck shell=bash

tsb_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export LANG=C.UTF-8 LC_ALL=C.UTF-8
export WINEDEBUG=-all
export WINEPREFIX="${WINEPREFIX:-$tsb_root/build/wine}"
# Wine starts its desktop-menu builder for every link saved; with thousands of links made by
# tests and benchmarks those processes exhaust the X server's client slots.
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="

TSB_WINE32=/usr/lib/wine/wine
TSB_WINE64=/usr/lib/wine/wine64
TSB_BINFMT=/proc/sys/fs/binfmt_misc
# One entry per run, named after it, so that runs side by side never remove each other's.
TSB_BINFMT_ENTRY=tsb-i386-$$
# The ELF header of an i386 executable, as qemu's own binfmt configuration matches it.
TSB_I386_MAGIC='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
TSB_I386_MASK='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

# How each build runs here: "native", "emulated" or "unavailable"; the reason when unavailable.
TSB_RUN_i686=unavailable
TSB_RUN_x86_64=unavailable
TSB_WHY_i686="" TSB_WHY_x86_64=""
tsb_registered_binfmt=0
tsb_xvfb_pid=""
tsb_prefix_locked=0

# True when an emulator runs 32-bit Wine's threads: qemu-user 10 or later (7.2 faults once they
# have come and gone).
tsb_emulator_fit() {
  local major
  major=$("$1" --version 2>/dev/null | sed -n 's/^qemu-i386[^ ]* version \([0-9]*\)\..*/\1/p')
  [ "${major:-0}" -ge 10 ] || { TSB_WHY_i686="$1 is older than qemu-user 10 (it faults once threads have come and gone)"; return 1; }
}

tsb_register_emulator() {
  local qemu=/usr/bin/qemu-i386-static
  [ -x "$qemu" ] || { TSB_WHY_i686="qemu-user-static is not installed"; return 1; }
  tsb_emulator_fit "$qemu" || return 1
  printf '%s' ":$TSB_BINFMT_ENTRY:M::$TSB_I386_MAGIC:$TSB_I386_MASK:$qemu:F" >"$TSB_BINFMT/register" 2>/dev/null ||
    { TSB_WHY_i686="the i386 emulator cannot be registered"; return 1; }
  tsb_registered_binfmt=1
}

# Entries of earlier runs that were killed before they could remove their own.
tsb_remove_stale_entries() {
  local entry pid
  for entry in "$TSB_BINFMT"/tsb-i386*; do
    [ -e "$entry" ] || continue
    pid=${entry##*/tsb-i386}; pid=${pid#-}
    if [ -z "$pid" ] || ! kill -0 "$pid" 2>/dev/null; then echo -1 >"$entry" 2>/dev/null || true; fi
  done
}

tsb_unregister_emulator() {
  if [ "$tsb_registered_binfmt" = 1 ] && [ -e "$TSB_BINFMT/$TSB_BINFMT_ENTRY" ]; then
    echo -1 >"$TSB_BINFMT/$TSB_BINFMT_ENTRY" 2>/dev/null || true
  fi
  tsb_registered_binfmt=0
}

# Sets TSB_RUN_i686 and TSB_RUN_x86_64 (and registers the emulator where it is needed).
tsb_detect_runners() {
  if [ -x "$TSB_WINE64" ] && "$TSB_WINE64" --version >/dev/null 2>&1; then
    TSB_RUN_x86_64=native
  else
    TSB_WHY_x86_64="64-bit Wine does not start"
  fi
  [ -x "$TSB_WINE32" ] || { TSB_WHY_i686="Wine's 32-bit part is not installed"; return 0; }
  if [ ! -e "$TSB_BINFMT/register" ]; then
    mount -t binfmt_misc binfmt_misc "$TSB_BINFMT" 2>/dev/null || true
  fi
  tsb_remove_stale_entries
  # An i386 entry of someone else's (another run's included) is used, never removed; with one
  # in place a native run cannot be told from an emulated one, so it counts as emulated.
  local preregistered=0 entry
  entry=$(grep -ls 'magic 7f454c4601010100000000000000000002000300' "$TSB_BINFMT"/* | head -n1)
  if [ -n "$entry" ]; then
    preregistered=1
    tsb_emulator_fit "$(sed -n 's/^interpreter //p' "$entry")" || return 0
  fi
  if [ "$preregistered" = 0 ] && "$TSB_WINE32" --version >/dev/null 2>&1; then
    TSB_RUN_i686=native
    return 0
  fi
  if [ "$preregistered" = 0 ] && [ ! -e "$TSB_BINFMT/register" ]; then
    TSB_WHY_i686="binfmt_misc cannot be mounted"
    return 0
  fi
  if [ "$preregistered" = 1 ] || tsb_register_emulator; then
    if "$TSB_WINE32" --version >/dev/null 2>&1; then
      TSB_RUN_i686=emulated
      # Emulated, Wine probes the whole upper half of the 4 GB space one 64 KB piece at a
      # time before it starts (about 50 s a process); a guest space of 2 GB and a little
      # more (the shared user data page sits just below 2 GB) leaves it nothing to probe.
      export QEMU_RESERVED_VA=0x81000000
    else
      TSB_WHY_i686="Wine's 32-bit loader does not start, even emulated"
      tsb_unregister_emulator
    fi
  fi
}

# The loader for a build, and a program run on it: tsb_wine ARCH program.exe [arguments...]
tsb_loader() { [ "$1" = i686 ] && echo "$TSB_WINE32" || echo "$TSB_WINE64"; }
tsb_wine() {
  local loader; loader=$(tsb_loader "$1"); shift
  WINELOADER=$loader "$loader" "$@"
}

# Windows tools of Wine itself (wineboot, reg, winepath) run on the 64-bit loader everywhere.
tsb_wine_tool() { WINELOADER=$TSB_WINE64 "$TSB_WINE64" "$@"; }
tsb_winepath() { tsb_wine_tool winepath.exe -w "$1" 2>/dev/null | tr -d '\r'; }

tsb_start_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return; fi
  local n
  for n in $(seq 90 120); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
    tsb_xvfb_pid=$!
    export DISPLAY=":$n"
    for _ in $(seq 1 50); do xdpyinfo >/dev/null 2>&1 && return; sleep 0.1; done
  done
  echo "could not start Xvfb" >&2
  return 1
}

tsb_reg() { tsb_wine_tool reg.exe add "$1" /v "$2" /t "${4:-REG_SZ}" /d "$3" /f >/dev/null 2>&1; }

# One run at a time in a prefix: the scripts empty its temporary folder, and stop its window
# server (and with it every program of the prefix) when they end. The lock is the running
# script's process number in a file beside the prefix; one whose process is gone is taken over.
tsb_lock_prefix() {
  local lock="$WINEPREFIX.lock" holder
  mkdir -p "$(dirname "$WINEPREFIX")"
  holder=$(cat "$lock" 2>/dev/null || true)
  if [ -n "$holder" ] && [ "$holder" != "$$" ] && kill -0 "$holder" 2>/dev/null; then
    echo "another run (process $holder) is using the Wine prefix $WINEPREFIX:" \
      "wait for it, or give this one a WINEPREFIX of its own (or remove $lock if no such run exists)" >&2
    exit 1
  fi
  echo "$$" >"$lock"
  tsb_prefix_locked=1
}

tsb_prepare_prefix() {
  tsb_lock_prefix
  # A prefix made while no 32-bit loader ran has no 32-bit half: make it again once one runs.
  if [ -f "$WINEPREFIX/.tsb-ready" ] && [ "$TSB_RUN_i686" != unavailable ] &&
    [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
  fi
  if [ ! -f "$WINEPREFIX/.tsb-ready" ]; then
    mkdir -p "$WINEPREFIX"
    tsb_wine_tool wineboot.exe -i >/dev/null 2>&1 || true
    wineserver -w
    # A virtual desktop per screen size: windows appear at once (no window manager), and the
    # desktop's size is the primary monitor the program sees.
    tsb_reg 'HKCU\Software\Wine\Explorer' Desktop Default
    tsb_reg 'HKCU\Software\Wine\Explorer\Desktops' Default 1920x1080
    tsb_reg 'HKCU\Software\Wine\Explorer\Desktops' Small 1024x600
    tsb_reg 'HKCU\Software\Wine\WineDbg' ShowCrashDialog 0 REG_DWORD
    wineserver -w
    touch "$WINEPREFIX/.tsb-ready"
  fi
  # Windows knows ".exe" as an application whose icon is its own; Wine's prefix lacks that
  # association, and its shell then gives every program the generic document icon.
  if [ ! -f "$WINEPREFIX/.tsb-exe-icons" ]; then
    tsb_wine_tool reg.exe add 'HKCR\.exe' /ve /d exefile /f >/dev/null 2>&1 && touch "$WINEPREFIX/.tsb-exe-icons"
    wineserver -w
  fi
}

tsb_wine_up() {
  tsb_detect_runners
  tsb_start_display
  tsb_prepare_prefix
  wineserver -p >/dev/null 2>&1 || true
}

tsb_wine_down() {
  if [ "$tsb_prefix_locked" = 1 ]; then
    wineserver -k >/dev/null 2>&1 || true
    rm -f "$WINEPREFIX.lock"
  fi
  [ -n "$tsb_xvfb_pid" ] && kill "$tsb_xvfb_pid" >/dev/null 2>&1 || true
  tsb_unregister_emulator
}

# One line on how a build runs here, for summaries.
tsb_runner_text() {
  local arch=$1 mode why
  eval "mode=\$TSB_RUN_$arch why=\$TSB_WHY_$arch"
  case $mode in
    native) [ "$arch" = i686 ] && echo "native (32-bit Wine)" || echo "native (64-bit Wine)" ;;
    emulated) echo "emulated (32-bit Wine through qemu-user)" ;;
    *) echo "cannot run here: $why" ;;
  esac
}
