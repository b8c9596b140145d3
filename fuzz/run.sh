#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each for a bounded time.
#   fuzz/run.sh [SECONDS_PER_TARGET]   (default 60)
# New inputs that grow coverage are kept in build/fuzz/corpus/<target>; a
# crash leaves its input in build/fuzz/ and ends the script with status 1.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

status=0
for target in conversions key_engine command_line; do
  work=build/fuzz/corpus/$target
  mkdir -p "$work"
  log=build/fuzz/$target.log
  if build/fuzz/fuzz/fuzz_$target -max_total_time="$seconds" -max_len=512 -artifact_prefix=build/fuzz/ \
      "$work" "fuzz/corpus/$target" >"$log" 2>&1; then
    echo "fuzz_$target: $(grep -E '^Done' "$log")"
  else
    echo "fuzz_$target: FAILED, see $log"
    tail -n 30 "$log"
    status=1
  fi
done
exit $status
