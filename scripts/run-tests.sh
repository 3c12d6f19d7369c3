#!/usr/bin/env bash
# Runs every suite and closes with one line "N passed, N failed".
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
logdir="$build/test-logs"; mkdir -p "$logdir"
source scripts/wine-env.sh "$build"
# 32-bit Wine for the Windows suites (natively, or through qemu-i386).
rig_enter scripts/run-tests.sh "$@"
source scripts/pe-checks.sh

total_pass=0
total_fail=0

record() {  # suite pass fail
  printf '== %-14s %d passed, %d failed\n' "$1" "$2" "$3"
  total_pass=$((total_pass + $2)); total_fail=$((total_fail + $3))
}

# Counters read off a suite's log; each prints "PASS FAIL".
# gtest: "[  PASSED  ] N test(s)." and "[  FAILED  ] N test(s), listed below:".
count_gtest() {
  echo "$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\{0,1\}\..*/\1/p' "$1" | tail -n1)" \
       "$(sed -n 's/^\[  FAILED  \] \([0-9]*\) tests\{0,1\}, listed below:.*/\1/p' "$1" | tail -n1)"
}
# node's TAP reporter: "# pass N" and "# fail N".
count_tap() {
  echo "$(sed -n 's/^# pass \([0-9]*\)$/\1/p' "$1" | tail -n1)" \
       "$(sed -n 's/^# fail \([0-9]*\)$/\1/p' "$1" | tail -n1)"
}
# Our own scripts: "N passed, N failed".
count_plain() {
  sed -n 's/^\([0-9]*\) passed, \([0-9]*\) failed$/\1 \2/p' "$1" | tail -n1
}

run_suite() {  # suite counter timeout-seconds command...
  local suite=$1 counter=$2 limit=$3; shift 3
  local log="$logdir/$suite.log" rc pass fail sign attempt
  for attempt in 1 2; do
    echo "== $suite: $*"
    timeout "$limit" "$@" 2>&1 | tee "$log"; rc=${PIPESTATUS[0]}
    read -r pass fail < <("$counter" "$log")
    pass=${pass:-0}; fail=${fail:-0}
    # A crash or hang before the summary still counts as a failure.
    if [ "$rc" -ne 0 ] && [ "$fail" -eq 0 ]; then fail=1; echo "$suite: exit status $rc"; fi
    # Under qemu, a run in which the emulator failed a process of Wine's says
    # nothing of the product: it is run once more. A fault of the product
    # fails both runs, with no such line.
    [ "$fail" -gt 0 ] && sign=$(rig_emulator_failed "$log") || break
    if [ "$attempt" -eq 1 ]; then
      cp "$log" "$log.emulator-failed"
      echo "== $suite: qemu-i386 failed a process of Wine's ($sign); the suite runs once more (first log: $log.emulator-failed)"
    else
      echo "== $suite: failed again with qemu-i386 failing a process of Wine's ($sign): an emulator failure on this host, counted as failed"
    fi
  done
  record "$suite" "$pass" "$fail"
}

# The log says what each Windows suite runs: the program and its machine, the
# libcef.dll beside it, and what runs 32-bit Wine.
says_what_runs() {  # suite exe
  local dll engine
  dll="$(dirname "$2")/libcef.dll"
  if [ ! -f "$dll" ]; then engine="missing"
  elif is_standin_engine "$dll"; then engine="the stand-in engine"
  else engine="not the stand-in: CEF's own"; fi
  echo "== $1 runs $2 ($(file -b "$2" | cut -d, -f1)) on $dll ($engine${dll:+, sha256 $(sha256sum "$dll" 2>/dev/null | cut -c1-16)}), 32-bit Wine: $(rig_emulator)"
}

need() {  # suite file: a suite that was not built is a failure, not a silent skip
  [ -e "$2" ] && return 0
  echo "$1: $2 was not built"; record "$1" 0 1; return 1
}

run_suite binaries count_plain 300 scripts/check-binaries.sh "$build"
run_suite cef2623 count_plain 1200 scripts/check-cef2623.sh "$build"
run_suite siteurl count_plain 300 tests/config/site_url_configure_test.sh

need native "$build/native/tests/native/native_tests" &&
  run_suite native count_gtest 900 "$build/native/tests/native/native_tests"

rig_start_xvfb || { record xvfb 0 1; echo "$total_pass passed, $total_fail failed"; exit 1; }
rig_start_wineserver || { record wine 0 1; echo "$total_pass passed, $total_fail failed"; exit 1; }

# Every Windows suite runs the product's tree: the 32-bit build on the
# stand-in's 32-bit libcef.dll.
wt="$build/win"
says_what_runs win "$wt/tests/win/win_tests.exe"
need win "$wt/tests/win/win_tests.exe" &&
  run_suite win count_gtest 1500 "$rig_wine" "$wt/tests/win/win_tests.exe"
echo "== standin runs $wt/cef_standin/standin_tests.exe (the engine in-process, with the SDK's message router)"
says_what_runs standin "$wt/cef_standin/standin_sample.exe"
need standin "$wt/cef_standin/standin_tests.exe" &&
  run_suite standin count_gtest 1500 "$rig_wine" "$wt/cef_standin/standin_tests.exe"
says_what_runs e2e "$wt/ZelmoraLauncher.exe"
need e2e "$wt/tests/e2e/e2e_tests.exe" &&
  run_suite e2e count_gtest 1500 "$rig_wine" "$wt/tests/e2e/e2e_tests.exe"
says_what_runs xkeys "$wt/ZelmoraLauncher.exe"
need xkeys "$wt/ZelmoraLauncher.exe" &&
  run_suite xkeys count_plain 300 tests/e2e/real_keys.sh "$wt/ZelmoraLauncher.exe" "$rig_wine"
says_what_runs demo "$wt/ZelmoraLauncher.exe"
need demo "$wt/tests/e2e/channel_client.exe" &&
  run_suite demo count_plain 300 tests/e2e/demo_page.sh "$wt" "$rig_wine"
says_what_runs installer "$wt/ZelmoraLauncher.exe"
run_suite installer count_plain 900 tests/dist/installer_test.sh "$build"

rig_stop
need js tests/js/package.json && run_suite js count_tap 900 npm --prefix tests/js test --silent

echo "$total_pass passed, $total_fail failed"
[ "$total_fail" -eq 0 ]
