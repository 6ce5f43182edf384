#!/usr/bin/env bash
# Runs a command on a virtual X display of its own, so that tests running side by side never take each
# other's keyboard focus. ODOMARK_XVFB_SCREEN sets the screen (default 1280x1024x24).
set -euo pipefail
tmp=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 "${ODOMARK_XVFB_SCREEN:-1280x1024x24}" -nolisten tcp -noreset 3>"$tmp/display" 2>"$tmp/log" &
server=$!
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; rm -rf "$tmp"' EXIT
for _ in $(seq 200); do
  [ -s "$tmp/display" ] && break
  kill -0 "$server" 2>/dev/null || { cat "$tmp/log" >&2; exit 1; }
  sleep 0.05
done
[ -s "$tmp/display" ] || { echo "Xvfb did not start" >&2; cat "$tmp/log" >&2; exit 1; }
DISPLAY=":$(head -n 1 "$tmp/display")"
export DISPLAY QT_QPA_PLATFORM=xcb
"$@"
