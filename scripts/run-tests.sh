#!/usr/bin/env bash
# Runs every test of one or more builds, each build's with an X server of its own (a private Xvfb,
# for the tests of real X11 behaviour). Where this user may make process namespaces (root), each
# test that starts or ends recorders runs in one of its own (see tests/CMakeLists.txt), so the
# builds' suites run side by side. Otherwise they run one after another, stopping at the first
# build whose tests fail.
# A build configured with QUILL_SANITIZE runs with the sanitizers' options below, and any report of
# theirs fails the run: AddressSanitizer's and LeakSanitizer's are written to files, so that one from
# a program that a test started is not lost; UndefinedBehaviorSanitizer's (which GCC's runtime
# always writes to standard error) are looked for in CTest's log, and stop the process at once.
set -euo pipefail
repo_dir=$(cd "$(dirname "$0")/.." && pwd)
[ $# -gt 0 ] || set -- build

cache_value() {
  sed -n "s/^$2:[A-Z]*=//p" "$1/CMakeCache.txt"
}

run_sanitized() {
  local build_dir=$1 status=0 reported=0
  local ctest_log="${build_dir}/Testing/Temporary/LastTest.log"
  rm -f "$ctest_log"
  # intercept_tls_get_addr=0: GCC 12's runtime may take a thread-local block of a library loaded with
  # dlopen (the recorder's Qt) for one with an old glibc header, and LeakSanitizer then crashes at exit.
  ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:check_initialization_order=1:intercept_tls_get_addr=0:suppressions=${repo_dir}/tests/asan.supp:log_path=${report_dir}/asan" \
  LSAN_OPTIONS="suppressions=${repo_dir}/tests/lsan.supp:print_suppressions=0" \
  UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1" \
    ctest --test-dir "$build_dir" --output-on-failure -j2 || status=$?
  for report in "$report_dir"/*; do
    [ -e "$report" ] || continue
    echo "== Sanitizer report ${report##*/} (process ${report##*.})"
    head -n 80 "$report"
    reported=1
  done
  if [ -e "$ctest_log" ] && grep -q 'runtime error:' "$ctest_log"; then
    echo "== UndefinedBehaviorSanitizer reports in ${ctest_log}"
    grep -A 12 'runtime error:' "$ctest_log" | head -n 80 || true
    reported=1
  fi
  if [ "$reported" -ne 0 ]; then
    echo "The sanitizers reported errors in ${build_dir}." >&2
    return 1
  fi
  return "$status"
}

# One build's tests, with an X server of its own. Xvfb picks a free display itself and writes its
# number once it takes connections. Without -noreset it would reset whenever its last client left,
# and a program starting just then fails.
run_build() {
  local build_dir=$1
  report_dir=$(mktemp -d)
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"${report_dir}/display" >/dev/null 2>&1 &
  xvfb_pid=$!
  trap 'kill "$xvfb_pid" 2>/dev/null || true; rm -rf "$report_dir"' EXIT
  for _ in $(seq 1 100); do
    [ -s "${report_dir}/display" ] && break
    sleep 0.1
  done
  if [ ! -s "${report_dir}/display" ]; then
    echo "Xvfb did not start." >&2
    return 1
  fi
  export DISPLAY=":$(cat "${report_dir}/display")"
  rm "${report_dir}/display"
  if [ "$(cache_value "$build_dir" QUILL_SANITIZE)" = ON ]; then
    echo "== Tests of ${build_dir}, built with AddressSanitizer and UndefinedBehaviorSanitizer"
    run_sanitized "$build_dir"
  else
    echo "== Tests of ${build_dir}"
    ctest --test-dir "$build_dir" --output-on-failure -j2
  fi
}

if ! unshare --pid --kill-child --mount-proc true 2>/dev/null; then
  for build_dir in "$@"; do
    (run_build "$build_dir")
  done
  exit 0
fi

# Side by side; each build's output is shown whole, in the order given, once it is done.
log_dir=$(mktemp -d)
trap 'rm -rf "$log_dir"' EXIT
runs=()
for build_dir in "$@"; do
  (run_build "$build_dir") >"${log_dir}/${#runs[@]}.log" 2>&1 &
  runs+=($!)
done
status=0
for i in "${!runs[@]}"; do
  wait "${runs[$i]}" || status=1
  cat "${log_dir}/${i}.log"
done
exit "$status"
