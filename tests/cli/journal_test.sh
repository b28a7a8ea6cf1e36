#!/usr/bin/env bash
# The journal from the command line:
#   - `convert --dry-run` changes neither the data folder nor the
#     retirement folder, and lists the changes the real run then makes;
#   - the converter killed with SIGKILL at random moments of a conversion:
#     the next conversion undoes what the killed one did, says so, and leaves
#     the data folder and the retirement folder byte for byte as one
#     uninterrupted conversion does;
#   - `undo` after a finished conversion gives back the folder as it was
#     before it; `status` tells a folder to convert from a converted one.
# Usage: journal_test.sh LABRENA_CONV LABRENA_SAMPLE [WORKERS]
set -u
conv="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
sample="$(cd "$(dirname "$2")" && pwd)/$(basename "$2")"
workers=${3:-1000}
scratch=$(mktemp -d)
trap 'chmod -R u+w "$scratch"; rm -rf "$scratch"' EXIT
passed=0
failed=0

check() {  # check NAME COMMAND...: passes when the command succeeds
  local name=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAIL $name"
  fi
}

same() {  # same A B: the two folders hold the same names and bytes
  diff -r --no-dereference "$1" "$2" >"$scratch/diff" 2>&1 ||
    { head -5 "$scratch/diff"; return 1; }
}

"$sample" --out "$scratch/orig" --workers "$workers" >/dev/null || exit 1

hashes() {  # every file below the folders with its checksum
  find "$@" -type f -print0 | LC_ALL=C sort -z | xargs -0 -r md5sum
}

# The changes of a JSON report, one a line.
changes() {
  grep -o '"change":"[a-z]*","name":"[^"]*"' "$1" | LC_ALL=C sort
}

mkdir -p "$scratch/ref/tmp"
cp -r "$scratch/orig" "$scratch/ref/data"
export TMPDIR="$scratch/ref/tmp"
"$conv" status --data "$scratch/ref/data" >"$scratch/status"
check "status of an old folder" grep -q "precisa de convers" "$scratch/status"
hashes "$scratch/ref" >"$scratch/before"
"$conv" convert --data "$scratch/ref/data" --dry-run --yes \
  --report "$scratch/dry.json" >"$scratch/dry.txt" 2>/dev/null
check "dry run exits 0" test $? -eq 0
hashes "$scratch/ref" >"$scratch/after"
check "dry run changes nothing" cmp -s "$scratch/before" "$scratch/after"
check "dry run lists retired files" grep -q "retirados" "$scratch/dry.txt"

# One uninterrupted conversion, timed, to spread the kills over it.
start=$(date +%s%N)
"$conv" convert --data "$scratch/ref/data" --yes \
  --report "$scratch/real.json" >/dev/null 2>&1
took_ms=$(( ($(date +%s%N) - start) / 1000000 ))
check "the dry run listed what the run did" \
  cmp -s <(changes "$scratch/dry.json") <(changes "$scratch/real.json")
"$conv" status --data "$scratch/ref/data" >"$scratch/status"
check "status of a converted folder" grep -q "convertida" "$scratch/status"
unset TMPDIR
echo "an uninterrupted conversion takes ${took_ms} ms"

seed=${KILL_SEED:-$(date +%s)}
RANDOM=$seed
echo "kill moments from seed $seed (KILL_SEED=$seed repeats them)"
for attempt in 1 2 3 4 5; do
  at_ms=$(( RANDOM % (took_ms > 4 ? took_ms * 3 / 4 : 1) ))
  run="$scratch/run$attempt"
  mkdir -p "$run/tmp"
  cp -r "$scratch/orig" "$run/data"
  TMPDIR="$run/tmp" "$conv" convert --data "$run/data" --yes \
    >/dev/null 2>&1 &
  pid=$!
  sleep "$(awk "BEGIN { print $at_ms / 1000 }")"
  kill -9 "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  TMPDIR="$run/tmp" "$conv" convert --data "$run/data" --yes \
    >/dev/null 2>"$run/err"
  echo "killed after ${at_ms} ms; the next conversion ended with $?:" \
    "$(grep -c interrompida "$run/err") recovery message(s)"
  check "data folder after a kill at ${at_ms} ms" \
    same "$run/data" "$scratch/ref/data"
  check "retirement folder after a kill at ${at_ms} ms" \
    same "$run/tmp" "$scratch/ref/tmp"
done

# Undo of the finished conversion.
TMPDIR="$scratch/ref/tmp" "$conv" undo --data "$scratch/ref/data" >/dev/null
check "undo exits 0" test $? -eq 0
check "undo gives back the folder" same "$scratch/ref/data" "$scratch/orig"
check "undo takes back the retired files" \
  test -z "$(find "$scratch/ref/tmp" -type f)"
check "undo removes the journal" \
  test ! -e "$scratch/ref/data.labrena-journal"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
