#!/usr/bin/env bash
# The main job (`make run`): checks the library's side of the binary contract
# with pdlhost, then opens the host window. Under the Xvfb that
# with-display.sh started, nobody can see the window, so it is photographed
# and closed again.
set -uo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top" || exit 1
host=build/pdlhost.exe
lib=build/zentrix.pdl
title="Installed Plug-In's"
shot=$top/build/host-window.png

for f in "$host" "$lib"; do
  if [ ! -f "$f" ]; then
    echo "run-main: $f is missing; build first (make build)" >&2
    exit 1
  fi
done

echo "== pdlhost --check $lib"
wine "$host" --check "$lib"
status=$?
if [ $status -ne 0 ]; then
  echo "run-main: the contract check failed (status $status)" >&2
  exit $status
fi

echo "== pdlhost $lib"
if [ "${ZX_HEADLESS:-}" != 1 ]; then
  # A real display: the host window; its Execute button shows the dialog.
  echo "Press Execute (or Enter) in the host window to show the dialog."
  wine "$host" "$lib"
  exit $?
fi

wine "$host" "$lib" &
host_pid=$!

stop_host() {
  for _ in $(seq 1 50); do
    kill -0 "$host_pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$host_pid" 2>/dev/null; then
    echo "run-main: pdlhost did not exit; killing it" >&2
    kill "$host_pid" 2>/dev/null
  fi
  wait "$host_pid" 2>/dev/null
}

wid=$(timeout 30 xdotool search --sync --onlyvisible --name "$title" 2>/dev/null | head -n 1)
if [ -z "$wid" ]; then
  echo "run-main: the host window did not appear within 30 s" >&2
  stop_host
  exit 1
fi

# Give the list view and the buttons time to paint.
sleep 1.5
if ! import -window root "$shot"; then
  echo "run-main: could not take the screenshot" >&2
  status=1
fi
[ $status -eq 0 ] && echo "Host window screenshot: $shot"

# Close it the way a user would, with Escape. Without a window manager
# nothing gives the window the X focus, so give it directly; Wine takes the
# key only when it is sent to its window.
xdotool windowfocus --sync "$wid" 2>/dev/null
xdotool key --window "$wid" Escape 2>/dev/null
stop_host
[ $status -eq 0 ] || exit $status

# The plug-in itself: Execute over a host window, as the host's menu runs it;
# nobody can look at it here, so it is reported and photographed page by page.
shots=$top/build/screenshots
mkdir -p "$shots"
echo "== pdlhost --report $lib --screenshots $shots"
wine "$host" --report "$lib" --screenshots "$(winepath -w "$shots" 2>/dev/null || echo "$shots")"
status=$?
for png in "$shots"/page-*.png; do
  [ -f "$png" ] && echo "Dialog screenshot: $png"
done
exit $status
