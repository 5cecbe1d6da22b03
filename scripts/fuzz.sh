#!/usr/bin/env bash
# ./test --fuzz [SECONDS]: builds every fuzz target of tests/fuzz with clang,
# libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer in build-fuzz/,
# then runs each for SECONDS (default 60), one after the other. It stops at
# the first crash, leak, undefined behaviour or time-out and prints the path
# of the input that caused it; copy that input into tests/fuzz/corpus/TARGET/
# once the fault is fixed, so that ./test replays it from then on.
#
#   FUZZ_TARGETS="gif avi"   runs only these targets
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -eq 0 ] || [ $# -gt 1 ]; then
  echo "usage: ./test --fuzz [SECONDS]" >&2
  exit 2
fi

all_targets=(level_text bitmap gif avi cutsheet wave midi settings resources)
read -r -a targets <<<"${FUZZ_TARGETS:-${all_targets[*]}}"

fuzz_packages="clang libclang-rt-14-dev"
build_targets=""
for t in "${targets[@]}"; do build_targets+="fuzz_$t "; done
VARNO_EXTRA_PACKAGES="$fuzz_packages" VARNO_BUILD_TARGETS="$build_targets" \
  scripts/setup.sh build-fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DVARNO_SANITIZE=ON -DVARNO_FUZZ=ON

export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export ASAN_OPTIONS="fast_unwind_on_malloc=0:allocator_may_return_null=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export XDG_CONFIG_HOME="$PWD/build-fuzz/config"
# Targets that go through files write them to memory where it can.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
mkdir -p build-fuzz/crashes build-fuzz/logs "$XDG_CONFIG_HOME"

for t in "${targets[@]}"; do
  work="build-fuzz/corpus/$t"
  mkdir -p "$work"
  log="build-fuzz/logs/$t.log"
  echo "fuzz: $t for $seconds s"
  before=$(date +%s)
  # New inputs go to the working corpus in build-fuzz/; the seeds are read.
  # The readers' own warnings on standard error are left out (they slow the
  # run down); the fuzzer's and the sanitizers' reports still come through.
  set +e
  # An input counts as hung after 30 s: under the sanitizers a GIF frame of
  # millions of pixels (within the readers' limits) takes a few seconds to
  # decode, longer on a busy machine.
  "build-fuzz/bin/fuzz_$t" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 -max_len=65536 -close_fd_mask=2 \
    -print_final_stats=1 -artifact_prefix="build-fuzz/crashes/$t-" \
    "$work" "tests/fuzz/corpus/$t" >"$log" 2>&1
  status=$?
  set -e
  if [ "$status" -ne 0 ]; then
    grep -E 'ERROR:|runtime error|check failed|SUMMARY' "$log" | head -5 >&2 || true
    input=$(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$log" | tail -1)
    echo "fuzz: $t failed (exit $status); input: ${input:-see $log}" >&2
    echo "fuzz: the whole report is in $log" >&2
    exit 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  cov=$(grep -oE 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -1)
  echo "fuzz: $t ok: ${runs:-?} runs in $(( $(date +%s) - before )) s, $cov"
done
