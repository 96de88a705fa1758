#!/usr/bin/env bash
# Runs a command with the project's Wine prefix and an X display. Where there
# is no usable display, starts Xvfb for the command and stops it (by its PID)
# afterwards, together with the Wine server that talked to it.
#
# The prefix is always the one scripts/setup.sh made and configured: a
# WINEPREFIX in the environment is the user's own and is never used (the
# tests write density, version and font settings). ZENTRIX_PREFIX names
# another prefix, which the setup then configures too.
set -uo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${ZENTRIX_PREFIX:-${ZENTRIX_BUILD:-$top/build}/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

xvfb_pid=
if [ -z "${DISPLAY:-}" ] || ! xdotool getmouselocation >/dev/null 2>&1; then
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$n"
    for _ in $(seq 1 100); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      sleep 0.05
    done
    if kill -0 "$xvfb_pid" 2>/dev/null; then break; fi
    xvfb_pid=
  done
  if [ -z "$xvfb_pid" ]; then
    echo "with-display: could not start Xvfb" >&2
    exit 1
  fi
  export ZX_HEADLESS=1
fi

stop() {
  if [ -n "$xvfb_pid" ]; then
    wineserver -k >/dev/null 2>&1
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
}
trap stop EXIT INT TERM

"$@"
