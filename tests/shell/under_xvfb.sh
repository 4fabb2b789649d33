#!/bin/sh
# under_xvfb.sh WIDTHxHEIGHT COMMAND [ARG...]
# Runs COMMAND on a fresh X server of that screen size (Xvfb, no window
# manager). The server picks a free display itself, so several runs at
# once do not collide.
set -u
size=$1
shift
out=$(mktemp)
Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset 3>"$out" 2>/dev/null &
server=$!
tries=0
while [ ! -s "$out" ]; do
  if ! kill -0 "$server" 2>/dev/null || [ "$tries" -ge 100 ]; then
    echo "Xvfb did not start" >&2
    rm -f "$out"
    exit 1
  fi
  tries=$((tries + 1))
  sleep 0.1
done
display=:$(head -n 1 "$out")
rm -f "$out"
DISPLAY=$display QT_QPA_PLATFORM=xcb "$@"
rc=$?
kill "$server" 2>/dev/null
wait "$server" 2>/dev/null
exit $rc
