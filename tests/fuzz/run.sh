#!/usr/bin/env bash
# Builds the seed inputs, then runs every fuzz target of BUILD_DIR for
# SECONDS (default 30) each and prints the executions it did. Exits non-zero
# when a target found a crash, a sanitizer report, a leak or a timeout; the
# input is kept in BUILD_DIR/fuzz/crashes/TARGET/.
# Usage: tests/fuzz/run.sh BUILD_DIR [SECONDS]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
seconds=${2:-30}
work="$build/fuzz"

rm -rf "$work/seeds"
"$here/make_seeds.sh" "$build" "$work/seeds" || exit 1

export UBSAN_OPTIONS=print_stacktrace=1
status=0
found=0
for target in "$build"/*_fuzz; do
  [ -x "$target" ] || continue
  found=1
  name=$(basename "$target")
  corpus="$work/corpus/$name"
  crashes="$work/crashes/$name"
  log="$work/$name.log"
  mkdir -p "$corpus" "$crashes"
  "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -dict="$here/labrena.dict" \
    -artifact_prefix="$crashes/" "$corpus" "$work/seeds/$name" \
    >"$log" 2>&1
  result=$?
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  if [ "$result" -eq 0 ]; then
    echo "$name: ${execs:-?} executions, no crash"
  else
    echo "$name: FAILED after ${execs:-?} executions (exit $result, log $log)"
    tail -n 40 "$log"
    status=1
  fi
done
if [ "$found" = 0 ]; then
  echo "no fuzz targets in $build (configure it with -DLABRENA_FUZZ=ON)" >&2
  exit 1
fi
exit "$status"
