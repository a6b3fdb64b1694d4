#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang (build-fuzz, option
# NXA_FUZZ) and runs each of them for SECONDS (default 60) on its seed corpus,
# then prints the executions and findings of every target. A finding (crash,
# sanitizer report, broken invariant, time-out) is kept in
# build-fuzz/findings/<target>/; add it to tests/fuzz/corpus/<target>/ once
# fixed, so that ./test.sh replays it from then on. Exit code 1 when any
# target found something.
#
#   scripts/fuzz.sh [SECONDS [TARGET...]]
#
# Without TARGETs every target runs, one after the other.
#
# A target's own libFuzzer flags, if any, stand in tests/fuzz/<target>.options
# (one flag per line; lines starting with # say why).
#
# NXA_FUZZ_JOBS limits the build jobs (default: the number of processors).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
build=build-fuzz
targets=(datalogger_merge text_import configuration preferences workbook)
if [ $# -gt 1 ]; then
  targets=("${@:2}")
fi

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DNXA_FUZZ=ON -DNXA_SANITIZE=OFF -DNXA_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j "${NXA_FUZZ_JOBS:-$(nproc)}" --target "${targets[@]/#/fuzz_}"

export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
total=0
found=0
report=()
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  findings="$build/findings/$target"
  log="$build/fuzz-$target.log"
  mkdir -p "$corpus" "$findings"
  own=()
  if [ -f "tests/fuzz/$target.options" ]; then
    mapfile -t own < <(grep -v '^[[:space:]]*\(#\|$\)' "tests/fuzz/$target.options")
  fi
  # New inputs go to the working corpus; the seeds in the tree stay as they are.
  "$build/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 \
    -print_final_stats=1 -artifact_prefix="$findings/" "${own[@]}" \
    "$corpus" "tests/fuzz/corpus/$target" >"$log" 2>&1 || true
  executions=$(awk '/stat::number_of_executed_units/ {print $2}' "$log" | tail -n 1)
  executions=${executions:-0}
  count=$(find "$findings" -type f | wc -l)
  total=$((total + executions))
  found=$((found + count))
  rate=$(awk '/stat::average_exec_per_sec/ {print $2}' "$log" | tail -n 1)
  report+=("$(printf '%-18s %12d executions %4d findings %6s exec/s' "$target" "$executions" "$count" "${rate:-0}")")
done

printf '%s\n' "${report[@]}"
printf '%-18s %12d executions %4d findings\n' "all targets" "$total" "$found"
[ "$found" -eq 0 ]
