#!/usr/bin/env bash
# Fire latency and idle CPU of the real program (figures, not a test).
# Usage: bench/fire_latency.sh [BUILD_DIR]   (after `make build`)
# Runs the program offscreen with a task due in each of the next 30 seconds and a stand-in
# recorder that notes when it started: once with recorders that exit at once, then lets it idle
# for 60 s; once more with recorders that run until the next task's start ends them.
set -euo pipefail
build_dir=$(realpath "${1:-build}")
tasks=30
idle_seconds=60
# shellcheck source=common.sh source-path=SCRIPTDIR
source "$(dirname "$0")/common.sh"

for previous in none running; do
  prepare_app_dir "$build_dir"
  [ "$previous" = none ] || touch "$work/linger"
  first=$(( $(date +%s) + 6 ))
  add_tasks "$first" "$tasks"

  QT_QPA_PLATFORM=offscreen start_program 2>/dev/null
  sleep $(( first + tasks + 2 - $(date +%s) ))
  count_fires "$first" "$tasks"
  echo "previous recorder: $previous"
  echo "tasks: $tasks, fired: $fired, missed: $missed, fired twice: $doubled, left in store: $(tasks_left)"
  print_latency

  if [ "$previous" = none ]; then
    ticks_per_second=$(getconf CLK_TCK)
    before=$(cpu_ticks)
    sleep "$idle_seconds"
    after=$(cpu_ticks)
    awk -v b="$before" -v a="$after" -v t="$ticks_per_second" -v s="$idle_seconds" \
      'BEGIN { printf "CPU while waiting: %.2f %% of one core over %d s\n", 100 * (a - b) / t / s, s }'
  fi
  kill -KILL "${started[@]}" 2>/dev/null || true
  started=()
  rm -f "$work/starts.log" "$work/fired" "$work/linger" "$work"/AddSchedule.mdb*
done
