#!/usr/bin/env bash
# Runs every test of a build. Tests of real X11 behaviour need an X server:
# a private Xvfb is started here and ended afterwards.
set -euo pipefail
build_dir=${1:-build}

display_number=99
while [ -e "/tmp/.X${display_number}-lock" ] || [ -e "/tmp/.X11-unix/X${display_number}" ]; do
  display_number=$((display_number + 1))
done

# -noreset: otherwise the server restarts each time its last client leaves, and a program
# that connects just then is refused.
Xvfb ":${display_number}" -screen 0 1280x800x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null || true' EXIT

for _ in $(seq 1 50); do
  [ -e "/tmp/.X11-unix/X${display_number}" ] && break
  sleep 0.1
done

export DISPLAY=":${display_number}"
ctest --test-dir "$build_dir" --output-on-failure -j2
