#!/usr/bin/env bash
# Runs every fuzz target of a build folder for SECONDS each, two at a time (one per
# core; FUZZ_JOBS changes that), starting from the committed seeds (fuzz/corpus/NAME,
# read only) and keeping new inputs in BUILD/corpus/NAME. Every target runs; the script
# exits non-zero when any reported a finding (its input is saved as
# BUILD/findings/NAME-*, its log as BUILD/findings/NAME.log). The mutations follow a
# fixed seed (FUZZ_SEED, default 1), so a run repeats what a shorter one tried.
#   fuzz/run.sh BUILD [SECONDS] [NAME ...]
set -euo pipefail
build=$1
seconds=${2:-20}
shift $(($# < 2 ? $# : 2))
here=$(cd "$(dirname "$0")" && pwd)
names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  names=(params results model alphabet keyset line arrangement registered image manifest arrange char)
fi
jobs=${FUZZ_JOBS:-2}
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
mkdir -p "$build/findings"

# One target; its exit status says whether it found something.
fuzz_one() {
  local name=$1
  mkdir -p "$build/corpus/$name"
  # -timeout: one input running longer is a finding (e.g. exponential loading).
  "$build/fuzz/oc_fuzz_$name" "$build/corpus/$name" "$here/corpus/$name" \
    -max_total_time="$seconds" -seed="${FUZZ_SEED:-1}" -timeout=10 -rss_limit_mb=2048 -max_len=8192 \
    -artifact_prefix="$build/findings/$name-" -print_final_stats=1 \
    >"$build/findings/$name.log" 2>&1
}

declare -A pids
for name in "${names[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do
    wait -n || true
  done
  echo "+ fuzz $name for ${seconds}s"
  fuzz_one "$name" &
  pids[$name]=$!
done

failed=()
for name in "${names[@]}"; do
  log="$build/findings/$name.log"
  if wait "${pids[$name]}"; then
    echo "$name: $(grep -E '^stat::(number_of_executed_units|average_exec_per_sec)' "$log" | tr '\n' ' ')"
  else
    tail -n 60 "$log" >&2
    echo "fuzz target $name found a fault; the input is in $build/findings/" >&2
    failed+=("$name")
  fi
done
if [ ${#failed[@]} -ne 0 ]; then
  echo "fuzz: findings in ${failed[*]}" >&2
  exit 1
fi
echo "fuzz: ${#names[@]} targets ran ${seconds}s each without a finding"
