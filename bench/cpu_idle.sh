#!/usr/bin/env bash
# The program's own CPU share, from /proc/<pid>/stat and its threads' stat
# files, over a stretch of idle time in two states:
#   start window: nothing plugged in, the start window waiting;
#   polling:      a simulated KQ257 preloaded, its window open and Start
#                 pressed (xdotool clicks the button), one reading a second.
# Prints the share of one core for each, the busiest threads, and ratios
# against the 1 % goal and between the two states.
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
  exec xvfb-run -a -s "-screen 0 1400x800x24" "$0" "$build"
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

# "tid ticks name" for each thread of a process.
thread_ticks() {
  local t
  for t in /proc/"$1"/task/*; do
    [ -r "$t/stat" ] || continue
    printf '%s %s %s\n' "${t##*/}" "$(ticks "$t/stat")" "$(tr ' ' '_' < "$t/comm")"
  done
}

# Measures the running program for $seconds; prints its share of one core
# as a percentage on stdout, the breakdown on stderr.
measure() {
  local pid=$1 before after t0 t1
  local threads_before
  threads_before=$(thread_ticks "$pid")
  t0=$(date +%s.%N)
  before=$(ticks /proc/"$pid"/stat)
  sleep "$seconds"
  after=$(ticks /proc/"$pid"/stat)
  t1=$(date +%s.%N)
  thread_ticks "$pid" | awk -v tck="$tck" -v span="$(awk -v a="$t1" -v b="$t0" 'BEGIN { print a - b }')" '
    NR == FNR { was[$1] = $2; next }
    { used = $2 - ($1 in was ? was[$1] : 0); if (used > 0) printf "    %-16s %6.2f %%\n", $3, 100 * used / tck / span }
  ' <(echo "$threads_before") - | sort -k2 -rn | head -6 >&2
  echo "$after $before $tck $t1 $t0" | awk '{ printf "%.2f\n", 100 * ($1 - $2) / $3 / ($4 - $5) }'
}

stop_program() {
  kill "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}

log_lines() { [ -f "$log_file" ] && grep -c "$1" "$log_file" || echo 0; }

echo "CPU share of one core over ${seconds} s (after ${warmup} s settling), $(nproc) cores, load $(cut -d' ' -f1 /proc/loadavg)"

# Start window, nothing plugged in.
env -u SENSAVO_SIM "$program" >/dev/null 2>&1 &
pid=$!
xdotool search --sync --name '^Main$' >/dev/null
sleep "$warmup"
echo "start window: busiest threads"
idle=$(measure "$pid")
stop_program "$pid"
echo "start window: ${idle} % of a core"

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
echo "polling: busiest threads"
polling=$(measure "$pid")
stop_program "$pid"
echo "polling: ${polling} % of a core"

awk -v a="$idle" -v b="$polling" 'BEGIN {
  printf "against the 1 %% goal: start window %.2fx, polling %.2fx; polling / start window %.2f\n", a / 1, b / 1, (a > 0 ? b / a : 0)
}'
