#!/usr/bin/env bash
# Builds the libFuzzer targets in build/fuzz and runs each in turn for a bounded number
# of executions, on a copy of its seed corpus in the build folder (the tree is never
# written). Fails when a target finds a crash, leak, overflow or undefined behaviour;
# the input that did it is kept and its path printed.
#
#   scripts/fuzz.sh [--smoke] [RUNS] [TARGET...]
#
# RUNS (or FUZZ_RUNS) is the executions per target, a million by default; FUZZ_SECONDS
# bounds the time of one target (slow ones stop there), 120 s by default. --smoke is
# the short run of the test command: 2000 executions, 10 s at most per target.
# TARGET is a name such as base64 or fuzz_base64; without one every target runs.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

runs="${FUZZ_RUNS:-1000000}"
seconds="${FUZZ_SECONDS:-120}"
chosen=()
for argument in "$@"; do
  case "$argument" in
    --smoke) runs="${FUZZ_RUNS:-2000}"; seconds="${FUZZ_SECONDS:-10}" ;;
    ''|*[!0-9]*) chosen+=("fuzz_${argument#fuzz_}") ;;
    *) runs="$argument" ;;
  esac
done

build="$root/build/fuzz"
cmake -S . -B "$build" -G Ninja -DDEXTREL_FUZZ=ON -DDEXTREL_WERROR=ON -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_C_COMPILER=clang >/dev/null
# Quiet when it builds; a failed build shows its errors instead of ending without a word.
if ! ninja -C "$build" -j "${JOBS:-2}" >"$build/build.log" 2>&1; then
  echo "fuzz: the build failed:" >&2
  grep -E -A8 '^FAILED|error' "$build/build.log" | head -n 40 >&2
  exit 1
fi

if [ ${#chosen[@]} -eq 0 ]; then
  for source in fuzz/fuzz_*.cpp; do chosen+=("$(basename "$source" .cpp)"); done
fi

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

failed=0
total_started=$(date +%s)
for target in "${chosen[@]}"; do
  what="${target#fuzz_}"
  program="$build/$target"
  if [ ! -x "$program" ]; then
    echo "fuzz: no target $target" >&2
    failed=1
    continue
  fi
  # A fresh copy of the seeds each time; what the fuzzer adds stays in the build folder.
  work="$build/run/$what"
  rm -rf "$work"
  mkdir -p "$work/corpus" "$work/artifacts"
  cp -R "fuzz/corpus/$what/." "$work/corpus/" 2>/dev/null || true
  options=(-runs="$runs" -max_total_time="$seconds" -max_len=4096 -timeout=10 -print_final_stats=1
           -artifact_prefix="$work/artifacts/")
  [ -f "fuzz/$what.dict" ] && options+=(-dict="$root/fuzz/$what.dict")

  status=0
  (cd "$work" && "$program" "${options[@]}" corpus) >"$work/log" 2>&1 || status=$?
  done_runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log" | tail -n 1)
  # A run that stopped at a finding prints no final figures: its last status line counts.
  [ -n "$done_runs" ] || done_runs=$(grep -o '^#[0-9]*' "$work/log" | tail -n 1 | tr -d '#')
  elapsed=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$work/log" | tail -n 1)
  artifact=$(find "$work/artifacts" -type f | head -n 1)
  if [ "$status" -eq 0 ] && [ -z "$artifact" ]; then
    printf 'fuzz %-20s %10s executions in %4s s: ok\n' "$what" "${done_runs:-?}" "${elapsed:-?}"
  else
    failed=1
    printf 'fuzz %-20s %10s executions: FAILED (exit %s)\n' "$what" "${done_runs:-?}" "$status"
    grep -E '^(==[0-9]+==ERROR|SUMMARY|.*runtime error)' "$work/log" | head -n 5 | sed "s/^/    /" || true
    echo "    input kept at: ${artifact:-none (see the log)}"
    echo "    log: $work/log"
  fi
done
echo "fuzz: ${#chosen[@]} targets in $(( $(date +%s) - total_started )) s"
exit "$failed"
