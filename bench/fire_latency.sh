#!/usr/bin/env bash
# Fire latency and idle CPU of the real program (figures, not a test).
# Usage: bench/fire_latency.sh [BUILD_DIR]   (after `make build`)
# Runs the program offscreen with a task due in each of the next 30 seconds and a stand-in
# recorder that notes when it started, then lets it idle for 60 s.
set -euo pipefail
build_dir=$(realpath "${1:-build}")
tasks=30
idle_seconds=60

work=$(mktemp -d)
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
cp "$build_dir/app/quillscheduler" "$work/"
cp "$build_dir/bench/fire/stamp_recorder" "$work/quillsnd.exe"
"$build_dir/tools/makestore/makestore" "$work/AddSchedule.mdb" >/dev/null

first=$(( $(date +%s) + 6 ))
{
  echo "BEGIN;"
  for i in $(seq 0 $((tasks - 1))); do
    at=$((first + i))
    echo "INSERT INTO AddSchTab VALUES ('$(date -d "@$at" +%F)', '$(date -d "@$at" +%T)', 'bench', '/rec/$at.mp3', '60', 'x');"
  done
  echo "COMMIT;"
} | sqlite3 "$work/AddSchedule.mdb"

QT_QPA_PLATFORM=offscreen "$work/quillscheduler" 2>/dev/null &
pid=$!
sleep $(( first + tasks + 2 - $(date +%s) ))

cpu_ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
ticks_per_second=$(getconf CLK_TCK)
before=$(cpu_ticks)
sleep "$idle_seconds"
after=$(cpu_ticks)
remaining=$(sqlite3 "$work/AddSchedule.mdb" 'SELECT count(*) FROM AddSchTab')

idle=$(awk -v b="$before" -v a="$after" -v t="$ticks_per_second" -v s="$idle_seconds" \
  'BEGIN { printf "%.2f", 100 * (a - b) / t / s }')

# Each start's task second is in the output file name the task was given.
awk '{ second = $2; sub(/.*\//, "", second); sub(/\.mp3$/, "", second); print second, ($1 - second) * 1000 }' \
  "$work/starts.log" > "$work/fired"
fired=$(wc -l < "$work/fired")
missed=0
doubled=0
for i in $(seq 0 $((tasks - 1))); do
  count=$(awk -v s=$((first + i)) '$1 == s' "$work/fired" | wc -l)
  [ "$count" -eq 0 ] && missed=$((missed + 1))
  [ "$count" -gt 1 ] && doubled=$((doubled + count - 1))
done

echo "tasks: $tasks, fired: $fired, missed: $missed, fired twice: $doubled, left in store: $remaining"
awk '{ print $2 }' "$work/fired" | sort -n | awk '
  { latency[NR] = $1 }
  END {
    if (NR == 0) exit
    median = (NR % 2) ? latency[(NR + 1) / 2] : (latency[NR / 2] + latency[NR / 2 + 1]) / 2
    printf "fire latency after the second begins: median %.2f ms, 99th percentile %.2f ms, max %.2f ms\n",
           median, latency[int(0.99 * (NR - 1)) + 1], latency[NR]
  }'
echo "CPU while waiting: $idle % of one core over ${idle_seconds} s"
