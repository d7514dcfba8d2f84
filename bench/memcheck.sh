#!/usr/bin/env bash
# valgrind's memcheck over a scripted session of the real program (figures, not a test): under a
# private Xvfb, a few tasks fire with a stand-in recorder, the task editor is opened and closed, and
# the main window is closed with a Yes to its question, so that the program ends normally.
# Usage: bench/memcheck.sh [BUILD_DIR] [LOG_FILE]   (after `make build`; LOG_FILE keeps valgrind's log)
set -euo pipefail
build_dir=$(realpath "${1:-build}")
tasks=3
# shellcheck source=common.sh source-path=SCRIPTDIR
source "$(dirname "$0")/common.sh"
install_missing valgrind xdotool

prepare_app_dir "$build_dir"
start_xvfb
# Under valgrind the start takes long; a task whose second has passed still fires late, as long as
# its recording would still be running.
first=$(( $(date +%s) + 30 ))
add_tasks "$first" "$tasks" 600

log=$work/memcheck.log
QT_QPA_PLATFORM=xcb start_program valgrind --tool=memcheck --leak-check=full --num-callers=50 --child-silent-after-fork=yes \
  --fullpath-after= --log-file="$log" 2>/dev/null

main=$(wait_for_window 'Quillsound 计划')
for _ in $(seq 1 300); do
  [ "$(wc -l < "$work/starts.log")" -ge "$tasks" ] && break
  sleep 1
done
count_fires "$first" "$tasks"

click "$main" "${main_view_rec[@]}"
editor=$(wait_for_window '编辑计划')
click "$editor" "${editor_exit[@]}"
for _ in $(seq 1 300); do
  xdotool search --onlyvisible --name '^编辑计划$' >/dev/null || break
  sleep 0.5
done

click "$main" "${main_exit[@]}"
question=$(wait_for_window 'QuillScheduler')
xdotool windowfocus --sync "$question" key Return
timeout 600 tail --pid="$program_pid" -f /dev/null
[ -z "${2:-}" ] || cp "$log" "$2"

echo "tasks: $tasks, fired: $fired, missed: $missed, fired twice: $doubled"
sed -n 's/^==[0-9]*== //; /HEAP SUMMARY:/,/total heap usage/p; /LEAK SUMMARY:/,/ERROR SUMMARY:/p' "$log"

# A report is ours when a frame of its stack lies in the project's core/, editor/ or platform/
# (app/main.cpp is left out: it is below every frame of the event loop). The first such frame is shown.
source_dir=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$build_dir/CMakeCache.txt")
awk -v ours="^($source_dir|$build_dir)/(core|editor|platform)/" '
  { sub(/^==[0-9]+== ?/, "") }
  /are definitely lost in loss record/ || /^(Invalid |Conditional jump|Use of uninitialised|Syscall param|Mismatched |Source and destination overlap)/ {
    heading = $0; kind = /definitely lost/ ? "leak" : "error"; count[kind]++; inReport = 1; frame = ""; next
  }
  inReport && $0 == "" {
    if (frame != "") { owned[kind]++; print "ours: " heading "\n  " frame }
    inReport = 0; next
  }
  inReport && frame == "" && match($0, /\(\/[^()]*:[0-9]+\)$/) {
    if (substr($0, RSTART + 1, RLENGTH - 2) ~ ours) frame = $0
  }
  END {
    printf "definitely lost loss records: %d, from the project'\''s own code: %d\n", count["leak"], owned["leak"]
    printf "other memory errors: %d, from the project'\''s own code: %d\n", count["error"], owned["error"]
  }' "$log"
