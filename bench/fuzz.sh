#!/usr/bin/env bash
# Fuzzes the text readers (dates, times, lengths, the due check, the recorder's argument) for a
# given time and prints libFuzzer's figures (figures, not a test).
# Usage: bench/fuzz.sh SECONDS [BUILD_DIR]   (BUILD_DIR defaults to build-fuzz; it is built if needed)
# New inputs are kept in BUILD_DIR/fuzz-work/corpus, so fuzz/corpus stays as committed and a
# second run goes on from where the first stopped. An input that breaks a rule is saved there too.
set -euo pipefail
repo_dir=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:?usage: bench/fuzz.sh SECONDS [BUILD_DIR]}
build_dir=$(realpath -m "${2:-$repo_dir/build-fuzz}")

"$repo_dir/scripts/install-deps.sh"
cmake -S "$repo_dir" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DQUILL_FUZZ=ON >/dev/null
cmake --build "$build_dir" --target fuzz_textreaders -j"$(nproc)" >/dev/null

work_dir="$build_dir/fuzz-work"
mkdir -p "$work_dir/corpus" "$work_dir/found"
log="$work_dir/fuzz.log"
seeds_before=$(find "$work_dir/corpus" -type f | wc -l)

status=0
"$build_dir/fuzz/fuzz_textreaders" -max_total_time="$seconds" -print_final_stats=1 \
  -artifact_prefix="$work_dir/found/" "$work_dir/corpus" "$repo_dir/fuzz/corpus" >"$log" 2>&1 || status=$?

last_status=$(grep -E '^#[0-9]+' "$log" | tail -n 1 || true)
field() {
  sed -n "s/.* $1: \([^ ]*\).*/\1/p" <<<"$last_status" | grep . || echo "-"
}
stat() {
  sed -n "s/^stat::$1: *//p" "$log" | tail -n 1 | grep . || echo "-"
}

echo "fuzzed for:          ${seconds} s"
echo "executions:          $(stat number_of_executed_units)"
echo "executions per s:    $(stat average_exec_per_sec)"
echo "coverage (edges):    $(field cov)"
echo "features:            $(field ft)"
echo "corpus:              $(field corp) (inputs/bytes; ${seeds_before} kept from earlier runs)"
echo "new inputs:          $(stat new_units_added)"
echo "peak memory:         $(stat peak_rss_mb) MB"

if [ "$status" -ne 0 ]; then
  echo "FOUND A FAULT (libFuzzer exit status $status):"
  grep -E -A2 '^Broken rule|ERROR: (AddressSanitizer|libFuzzer|LeakSanitizer)|runtime error' "$log" | head -n 20
  for input in "$work_dir"/found/*; do
    [ -e "$input" ] || continue
    echo "input: $input"
    echo "again: $build_dir/fuzz/fuzz_textreaders $input"
  done
  echo "full log: $log"
  exit 1
fi
echo "faults found:        0"
