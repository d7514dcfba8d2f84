#!/bin/sh
# Times start-up, the monitor's tick and the task editor over stores of 1,000, 10,000 and 100,000 tasks,
# then 100,000 tasks of which 10,000 are series, with the claim that stores a series' next occurrence;
# each in a process of its own.
# usage: bench/editor_timing.sh [BUILD_DIR]   (default: build)
set -eu
build=${1:-build}
exe=$build/bench/editor/editor_timing
if [ ! -x "$exe" ]; then
  echo "no $exe: build the target editor_timing first" >&2
  exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "Times in ms, medians of 5 rounds; peak memory is the process's VmHWM."
printf '%8s %10s %9s %9s %13s %8s %8s %13s\n' tasks start-up tick tick-max load+show save close "peak MiB"
for count in 1000 10000 100000; do
  mkdir "$work/$count"
  "$exe" fill "$work/$count" "$count"
  QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$exe" measure "$work/$count"
done
mkdir "$work/series"
"$exe" fill "$work/series" 100000 10000
printf '%s\n' "100,000 tasks, 10,000 of them series:"
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$exe" measure "$work/series"
"$exe" claims "$work/series"
