#!/usr/bin/env bash
# The program's own CPU share, from /proc/<pid>/stat and its threads' stat
# files, over a stretch of idle time in two states:
#   start window: nothing plugged in, the start window waiting;
#   polling:      a simulated KQ257 preloaded, its window open and Start
#                 pressed (xdotool clicks the button), one reading a second.
# Prints the share of one core for each (from stat's ticks and from the
# threads' schedstat), the X server's share beside it (painting the window
# is work the program causes there), the busiest threads, and ratios against
# the 1 % goal and between the two states.
#
#   bench/cpu_idle.sh [build-dir]        (default: build)
#   CPU_IDLE_SECONDS=60                  length of each measured stretch
#
# Needs xvfb-run, xdotool and the build's tests/libhidsim_preload.so.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-${SENSAVO_BUILD_DIR:-build}}" && pwd)
seconds=${CPU_IDLE_SECONDS:-60}
warmup=5

if [ -z "${CPU_IDLE_UNDER_X:-}" ]; then
  export CPU_IDLE_UNDER_X=1
  exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$build"
fi

program="$build/Sensavo"
preload="$build/tests/libhidsim_preload.so"
for f in "$program" "$preload"; do
  [ -e "$f" ] || { echo "missing $f: build first" >&2; exit 1; }
done
command -v xdotool >/dev/null || { echo "xdotool missing (scripts/setup.sh installs it)" >&2; exit 1; }

tck=$(getconf CLK_TCK)
log_file="$build/log/log_$(date +%F).txt"

# utime + stime of a stat file, in clock ticks (the name may hold blanks).
ticks() { sed 's/.*) //' "$1" | awk '{ print $12 + $13 }'; }

# "tid nanoseconds name" for each thread of a process: the scheduler's own
# count of time on a CPU. (The ticks of stat charge a whole tick to the
# thread running when it falls, which over-counts threads woken by timers.)
thread_ns() {
  local t ns rest
  for t in /proc/"$1"/task/*; do
    read -r ns rest < "$t/schedstat" 2>/dev/null || continue
    printf '%s %s %s\n' "${t##*/}" "$ns" "$(tr ' ' '_' < "$t/comm")"
  done
}

# The X server this script runs under: xvfb-run's lock file names its pid.
xserver=$(tr -d ' ' < "/tmp/.X${DISPLAY#:}-lock" 2>/dev/null || true)
[ -n "$xserver" ] && [ -e "/proc/$xserver/stat" ] || { echo "no X server pid for $DISPLAY" >&2; exit 1; }

# Measures the running program for $seconds. Prints on stdout its share of
# one core as a percentage, from stat and from the threads' schedstat, then
# the X server's share (stat); on stderr the busiest threads.
measure() {
  local pid=$1 before after t0 t1 threads_before threads_after x_before x_after
  threads_before=$(thread_ns "$pid")
  before=$(ticks /proc/"$pid"/stat)
  x_before=$(ticks /proc/"$xserver"/stat)
  t0=$(date +%s.%N)
  sleep "$seconds"
  after=$(ticks /proc/"$pid"/stat)
  x_after=$(ticks /proc/"$xserver"/stat)
  threads_after=$(thread_ns "$pid")
  t1=$(date +%s.%N)
  awk -v span="$(awk -v a="$t1" -v b="$t0" 'BEGIN { print a - b }')" '
    NR == FNR { was[$1] = $2; next }
    { used = $2 - ($1 in was ? was[$1] : 0); if (used > 0) printf "    %-16s %6.3f %%\n", $3, 100 * used / 1e9 / span }
  ' <(echo "$threads_before") <(echo "$threads_after") | sort -k2 -rn | head -6 >&2
  awk -v a="$after" -v b="$before" -v xa="$x_after" -v xb="$x_before" -v tck="$tck" -v t1="$t1" -v t0="$t0" '
    NR == FNR { was[$1] = $2; next }
    { ns += $2 - ($1 in was ? was[$1] : 0) }
    END { printf "%.2f %.2f %.2f\n", 100 * (a - b) / tck / (t1 - t0), 100 * ns / 1e9 / (t1 - t0), 100 * (xa - xb) / tck / (t1 - t0) }
  ' <(echo "$threads_before") <(echo "$threads_after")
}

stop_program() {
  kill "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}

log_lines() { if [ -f "$log_file" ]; then grep -c "$1" "$log_file" || true; else echo 0; fi; }

echo "CPU share of one core over ${seconds} s (after ${warmup} s settling), $(nproc) cores, load $(cut -d' ' -f1 /proc/loadavg)"

# Start window, nothing plugged in.
env -u SENSAVO_SIM "$program" >/dev/null 2>&1 &
pid=$!
xdotool search --sync --name '^Main$' >/dev/null
sleep "$warmup"
echo "start window: busiest threads (schedstat)"
read -r idle idle_ns idle_x <<< "$(measure "$pid")"
stop_program "$pid"
echo "start window: ${idle} % of a core (stat), ${idle_ns} % (schedstat); X server ${idle_x} %"

# A simulated KQ257 recognised, its window polling.
starts_before=$(log_lines "rt start time")
SENSAVO_SIM=KQ257 LD_PRELOAD="$preload" "$program" >/dev/null 2>&1 &
pid=$!
window=$(xdotool search --sync --name '^MainWindow$' | head -1)
sleep 2
# Start is the first button below the logo in the window's left column.
xdotool mousemove --window "$window" 88 183 click 1
sleep "$warmup"
if [ "$(log_lines "rt start time")" -le "$starts_before" ]; then
  stop_program "$pid"
  echo "polling: Start was not pressed (no first reading logged in $log_file)" >&2
  exit 1
fi
echo "polling: busiest threads (schedstat)"
read -r polling polling_ns polling_x <<< "$(measure "$pid")"
stop_program "$pid"
echo "polling: ${polling} % of a core (stat), ${polling_ns} % (schedstat); X server ${polling_x} %"

awk -v a="$idle" -v b="$polling" -v an="$idle_ns" -v bn="$polling_ns" -v ax="$idle_x" -v bx="$polling_x" -v s="$seconds" 'BEGIN {
  printf "stat against the 1 %% goal: start window %.2fx, polling %.2fx; polling / start window %.2f\n", a / 1, b / 1, (a > 0 ? b / a : 0)
  # One reading a second: the share above the start window is CPU per reading.
  printf "a reading (polling - start window, schedstat): %.2f ms of the program, %.2f ms of the X server\n", 10 * (bn - an), 10 * (bx - ax)
}'
