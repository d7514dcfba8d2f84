#!/usr/bin/env bash
# Soak of the real program (figures, not a test): a task fires in every second for MINUTES minutes,
# with a stand-in recorder; afterwards it prints the fires counted, memory, open files and CPU.
# Usage: bench/soak.sh [BUILD_DIR] [MINUTES]   (defaults: build, 10; after `make build`)
set -euo pipefail
build_dir=$(realpath "${1:-build}")
minutes=${2:-10}
tasks=$((minutes * 60))
# shellcheck source=common.sh source-path=SCRIPTDIR
source "$(dirname "$0")/common.sh"

rss_kib() { awk '$1 == "VmRSS:" { print $2 }' "/proc/$program_pid/status"; }
open_fds() { local fds=("/proc/$program_pid/fd"/*); echo "${#fds[@]}"; }
still_running() {
  [ -d "/proc/$program_pid" ] || { echo "the program ended during the soak, before $(date +%T)" >&2; exit 1; }
}

prepare_app_dir "$build_dir"
first=$(( $(date +%s) + 8 ))
add_tasks "$first" "$tasks"

QT_QPA_PLATFORM=offscreen start_program 2>/dev/null
sleep $(( first - 1 - $(date +%s) ))

ticks_per_second=$(getconf CLK_TCK)
rss_start=$(rss_kib)
fds_start=$(open_fds)
ticks_start=$(cpu_ticks)
rss_by_minute=()
fds_by_minute=()
for minute in $(seq 1 "$minutes"); do
  sleep $(( first + minute * 60 - $(date +%s) ))
  still_running
  rss_by_minute+=("$(rss_kib)")
  fds_by_minute+=("$(open_fds)")
done
sleep 2
still_running
rss_end=$(rss_kib)
fds_end=$(open_fds)
ticks_end=$(cpu_ticks)
elapsed=$(( tasks + 3 ))

count_fires "$first" "$tasks"
echo "tasks: $tasks in $minutes min, fired: $fired, missed: $missed, fired twice: $doubled, left in store: $(tasks_left)"
print_latency
echo "resident memory (VmRSS): $rss_start KiB at start, $rss_end KiB at end; by minute: ${rss_by_minute[*]}"
echo "open file descriptors: $fds_start at start, $fds_end at end; by minute: ${fds_by_minute[*]}"
awk -v b="$ticks_start" -v a="$ticks_end" -v t="$ticks_per_second" -v s="$elapsed" -v n="$tasks" 'BEGIN {
  printf "CPU: %.2f s over %d s, %.2f %% of one core, %.2f ms a fire\n", (a - b) / t, s, 100 * (a - b) / t / s, 1000 * (a - b) / t / n }'
