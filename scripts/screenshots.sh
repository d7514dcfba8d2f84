#!/usr/bin/env bash
# Pictures for the README: the real program under a private Xvfb with openbox (which draws the
# Chinese captions in the title bars), over a small sample store, and the recorder recording a
# stream from a private Icecast server. The sample holds a missed task, two that cut each other off and two
# series, so that the list shows its marks and the editor its repeat group. Writes docs/main-window.png, docs/editor-browsing.png,
# docs/editor-entry.png and docs/recorder.png.
# Usage: scripts/screenshots.sh [BUILD_DIR]   (`make screenshots` builds first)
set -euo pipefail
build_dir=$(realpath "${1:-build}")
docs_dir=$(realpath "$(dirname "$0")/..")/docs
# shellcheck source=../bench/common.sh source-path=SCRIPTDIR
source "$(dirname "$0")/../bench/common.sh"
install_missing openbox imagemagick x11-apps x11-utils xdotool pulseaudio pulseaudio-utils icecast2 ffmpeg

# frame_of WINDOW: the window manager's frame around the window, the child of the root window.
frame_of() {
  local window=$1 parent
  while parent=$(xwininfo -tree -id "$window" | awk '/Parent window id:/ { print $4 }') \
        && [ "$parent" != "$(xwininfo -root | awk '/Window id:/ { print $4 }')" ]; do
    window=$parent
  done
  echo "$window"
}

# capture WINDOW NAME [EARLIER]: the window in its frame as docs/NAME.png, once it no longer looks as in
# the capture EARLIER and two dumps a moment apart agree, so that no repaint is caught halfway.
capture() {
  local frame
  frame=$(frame_of "$1")
  for _ in $(seq 1 100); do
    xwd -silent -id "$frame" > "$work/before.xwd"
    if [ -z "${3:-}" ] || ! cmp -s "$work/before.xwd" "$work/$3.xwd"; then break; fi
    sleep 0.1
  done
  for _ in $(seq 1 50); do
    sleep 0.2
    xwd -silent -id "$frame" > "$work/after.xwd"
    cmp -s "$work/before.xwd" "$work/after.xwd" && break
    mv "$work/after.xwd" "$work/before.xwd"
  done
  mv "$work/after.xwd" "$work/$2.xwd"
  convert "xwd:$work/$2.xwd" -strip "png:$docs_dir/$2.png"
  echo "wrote $docs_dir/$2.png"
}

prepare_app_dir "$build_dir"
sqlite3 "$work/AddSchedule.mdb" "
  INSERT INTO AddSchTab VALUES
    (date('now', 'localtime', '-1 day'), '08:00:00', '昨日新闻', '/home/user/录音/昨日新闻.mp3', '900', '0 天 0 小时 15 分钟 0 秒 之后'),
    (date('now', 'localtime', '+2 day'), '21:00:00', '夜间新闻', '/home/user/录音/夜间新闻.mp3', '1800', '0 天 0 小时 30 分钟 0 秒 之后'),
    (date('now', 'localtime', '+1 day'), '07:00:00', '早间新闻', '/home/user/录音/早间新闻.mp3', '1800', '0 天 0 小时 30 分钟 0 秒 之后'),
    (date('now', 'localtime', '+1 day'), '19:30:00', '英语听力', '/home/user/录音/英语听力.mp3', '2700', '0 天 0 小时 45 分钟 0 秒 之后'),
    (date('now', 'localtime', '+2 day'), '20:00:00', '交响音乐会', '/home/user/录音/交响音乐会.wav', '7200', '0 天 2 小时 0 分钟 0 秒 之后'),
    (date('now', 'localtime', '+3 day'), '12:30:00', '评书连播', '/home/user/录音/评书连播.wma', '1800', '0 天 0 小时 30 分钟 0 秒 之后');
  INSERT INTO AddSchPlan (StartDate, StartTime, Program, Filename, Parameter, RecordLength, Rule)
    SELECT *, 'FREQ=WEEKLY;BYDAY=MO,TU,WE,TH,FR' FROM AddSchTab WHERE Program = '早间新闻';
  INSERT INTO AddSchPlan (StartDate, StartTime, Program, Filename, Parameter, RecordLength, Rule)
    SELECT *, 'FREQ=WEEKLY;COUNT=10' FROM AddSchTab WHERE Program = '交响音乐会';"

start_xvfb
openbox --sm-disable >/dev/null 2>&1 &
started+=($!)
disown
until xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'; do sleep 0.1; done

mkdir -p "$docs_dir"
QT_QPA_PLATFORM=xcb start_program 2>/dev/null
main=$(wait_for_window 'Quillsound 计划')
capture "$main" main-window
click "$main" "${main_view_rec[@]}"
editor=$(wait_for_window '编辑计划')
# The second row of the list, 早间新闻, a series: the repeat group shows its rule.
click "$editor" "${editor_second_row[@]}"
capture "$editor" editor-browsing
click "$editor" "${editor_add[@]}"
capture "$editor" editor-entry editor-browsing

# The recorder recording a station's stream, which a private Icecast server on 127.0.0.1 plays.
start_pulse
start_stream 18732 radio.mp3 "Quill 古典音乐台"
mkdir -p "$work/录音"
QT_QPA_PLATFORM=xcb "$build_dir/recorder/quillsnd.exe" "/t&1800&/o&$work/录音/交响音乐会.mp3" \
  "/s&http://127.0.0.1:18732/radio.mp3" 2>/dev/null &
started+=($!)
disown
recorder=$(wait_for_window 'Quillsound')
sleep 3
capture "$recorder" recorder
