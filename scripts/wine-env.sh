# Sourced by the scripts: a Wine prefix inside the build tree, a virtual X display when there
# is none, and a persistent wineserver for the duration of the caller.
# shellcheck shell=bash

tsb_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export LANG=C.UTF-8 LC_ALL=C.UTF-8
export WINEDEBUG=-all
export WINEPREFIX="${WINEPREFIX:-$tsb_root/build/wine}"
# Wine starts its desktop-menu builder for every link saved; with thousands of links made by
# tests and benchmarks those processes exhaust the X server's client slots.
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="

tsb_xvfb_pid=""

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

tsb_reg() { wine reg add "$1" /v "$2" /t "${4:-REG_SZ}" /d "$3" /f >/dev/null 2>&1; }

tsb_prepare_prefix() {
  if [ ! -f "$WINEPREFIX/.tsb-ready" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
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
}

tsb_wine_up() {
  tsb_start_display
  tsb_prepare_prefix
  wineserver -p >/dev/null 2>&1 || true
}

tsb_wine_down() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$tsb_xvfb_pid" ] && kill "$tsb_xvfb_pid" >/dev/null 2>&1 || true
}
