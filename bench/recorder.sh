#!/usr/bin/env bash
# The real recorder against a private PulseAudio daemon without a sound card (figures, not a test).
# Usage: bench/recorder.sh [BUILD_DIR] [RUNS]   (after `make build`; RUNS defaults to 5)
# - Start delay: the real scheduler fires a WAV task in each of RUNS seconds S, and bench/recorder/tone_at
#   plays a tone heard from S + 0.5 s on. The recording starts at S + delay with 0.5 s - delay of
#   silence, so the delay is 0.5 s less the silence at the file's start.
# - CPU and memory: the recorder alone records MP3 and WMA for 8 s, RUNS times each; CPU is taken from
#   the 2nd to the 7th second, peak memory (VmHWM) at the 7th. The same for a 128 kb/s MP3 stream of a
#   private Icecast server on 127.0.0.1, copied into MP3 and converted into WAV.
set -euo pipefail
build_dir=$(realpath "${1:-build}")
runs=${2:-5}
# shellcheck source=common.sh source-path=SCRIPTDIR
source "$(dirname "$0")/common.sh"
install_missing pulseaudio pulseaudio-utils sox icecast2 ffmpeg

start_pulse
export QT_QPA_PLATFORM=offscreen

spread() { sort -n | awk '{ v[NR] = $1 } END { printf "median %.1f, min %.1f, max %.1f", (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2, v[1], v[NR] }'; }

# Start delay through the real scheduler, a task every 4 s, each recording 3 s.
prepare_app_dir "$build_dir"
cp "$build_dir/recorder/quillsnd.exe" "$build_dir/recorder/libquillsnd.so" "$work/"
first=$(( $(date +%s) + 8 ))
seconds=()
for i in $(seq 0 $((runs - 1))); do
  at=$((first + 4 * i))
  seconds+=("$at")
  sqlite3 "$work/AddSchedule.mdb" "INSERT INTO AddSchTab VALUES (date($at, 'unixepoch', 'localtime'),
    time($at, 'unixepoch', 'localtime'), 'bench', '$work/start-$at.wav', '3', '0 天 0 小时 0 分钟 3 秒 之后')"
done
"$build_dir/bench/recorder/tone_at" $(for at in "${seconds[@]}"; do echo "$at.5"; done) &
started+=($!)
start_program 2>/dev/null
sleep $(( first + 4 * runs + 2 - $(date +%s) ))
for at in "${seconds[@]}"; do
  file=$work/start-$at.wav
  [ -s "$file" ] || { echo "no recording for the task at $at" >&2; continue; }
  sox "$file" "$work/trimmed.wav" silence 1 0.002 2%
  awk -v whole="$(soxi -D "$file")" -v rest="$(soxi -D "$work/trimmed.wav")" \
    'BEGIN { printf "%.1f\n", 1000 * (0.5 - (whole - rest)) }'
done > "$work/delays"
echo "first sample after the task's second: $(spread < "$work/delays") ms over $(wc -l < "$work/delays") tasks"

# CPU and peak memory of the recorder alone.
ticks=$(getconf CLK_TCK)
start_stream 18731 bench.mp3
stream=/s\&http://127.0.0.1:18731/bench.mp3

for load in mp3 wma stream.mp3 stream.wav; do
  extension=${load#stream.}
  source=()
  [ "$load" = "$extension" ] || source=("$stream")
  : > "$work/cpu" && : > "$work/memory"
  for run in $(seq 1 "$runs"); do
    "$build_dir/recorder/quillsnd.exe" "/t&8&/o&$work/load-$run.$extension" "${source[@]}" 2>/dev/null &
    pid=$!
    sleep 2
    before=$(awk '{ print $14 + $15 }' "/proc/$pid/stat")
    sleep 5
    after=$(awk '{ print $14 + $15 }' "/proc/$pid/stat")
    awk '/VmHWM/ { printf "%.1f\n", $2 / 1024 }' "/proc/$pid/status" >> "$work/memory"
    awk -v b="$before" -v a="$after" -v t="$ticks" 'BEGIN { printf "%.2f\n", 100 * (a - b) / t / 5 }' >> "$work/cpu"
    wait "$pid"
  done
  echo "$load: CPU while recording $(spread < "$work/cpu") % of one core; peak memory $(spread < "$work/memory") MiB ($runs runs)"
done
