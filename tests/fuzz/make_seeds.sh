#!/usr/bin/env bash
# Writes seed inputs for every fuzz target from generated sample data
# folders: the old files each target reads, one after the other, cut apart
# by the separator of fuzz_folder.h. Files that a target reads but an earlier
# step writes (F303.DAT for step 2, F16.DAT for step 3) come from converting
# a copy of the sample with the steps before it.
# Usage: tests/fuzz/make_seeds.sh BUILD_DIR OUT_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
out=$2
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
# The conversions below retire their old files here.
export TMPDIR="$work/tmp"
mkdir -p "$TMPDIR"

# join FILE...: the files to stdout, separated; "-" stands for an empty one.
join() {
  local first=1 file
  for file in "$@"; do
    [ "$first" = 1 ] || printf '\0FILE\0'
    first=0
    if [ "$file" != - ]; then cat "$file"; fi
  done
}

# pick N PATTERN: the Nth file (from 1) that the pattern names, or "-".
pick() {
  local files=() n=$1
  shift
  for f in "$@"; do [ -f "$f" ] && files+=("$f"); done
  if [ "${#files[@]}" -ge "$n" ]; then echo "${files[$((n - 1))]}"; else echo -; fi
}

# convert FROM TO STEP: TO is a copy of FROM after that step.
convert() {
  cp -r "$1" "$2"
  # Exit status 1 only tells that a message box was shown.
  "$build/labrena-conv" convert --data "$2" --step "$3" --yes \
    >/dev/null 2>&1 || [ $? -eq 1 ]
}

for target in step1_fuzz step2_fuzz step36_fuzz step4_fuzz step5_fuzz run_fuzz \
    journal_fuzz; do
  mkdir -p "$out/$target"
done

for seed in 1 2; do
  old="$work/old$seed"
  "$build/labrena-sample" --out "$old" --seed "$seed" --workers 3 \
    --employers 1 --receipts 2 --years 1 >/dev/null
  convert "$old" "$work/one$seed" 1
  convert "$work/one$seed" "$work/two$seed" 2
  convert "$work/two$seed" "$work/three$seed" 3
  convert "$work/three$seed" "$work/four$seed" 4
  one="$work/one$seed" two="$work/two$seed" three="$work/three$seed"
  four="$work/four$seed"

  join "$old/FX0.DAT" "$old/FW0.DAT" "$old/FY0.DAT" \
    >"$out/step1_fuzz/sample$seed"

  join "$one/F303.DAT" "$one/F310.DAT" \
    "$(pick 1 "$one"/REG/R[0-9]*.DAT)" "$(pick 2 "$one"/REG/R[0-9]*.DAT)" \
    "$(pick 1 "$one"/R01/*.DAT)" "$one/F306.DAT" "$one/F307.DAT" \
    "$one/F305.DAT" "$one/F302.DAT" "$one/CONFIGA.DAT" \
    >"$out/step2_fuzz/sample$seed"

  # The first byte: no registers given, then both given.
  old_folders=("$(pick 1 "$two"/REG/*.tmp)" "$(pick 1 "$two"/Temp/*)")
  { printf '\0'; join "$two/F16.DAT" - - "${old_folders[@]}"; } \
    >"$out/step36_fuzz/sample$seed"
  { printf '\3'; join "$two/F16.DAT" "$three/F35.DAT" "$three/F36.DAT" \
      "${old_folders[@]}"; } >"$out/step36_fuzz/registers$seed"

  # The fourth step's inputs as the third step leaves them: old registers,
  # the rubric table, then receipts and guides (the worker register old).
  join "$three/F00.DAT" "$three/F16.DAT" "$three/F13.DAT" "$three/F31.DAT" \
    - "$(pick 1 "$three"/R61/0*.DAT)" "$(pick 1 "$three"/R62/*.DAT)" \
    "$(pick 1 "$three"/R27/*.DAT)" >"$out/step4_fuzz/sample$seed"

  # The fifth step's inputs as the fourth step leaves them.
  join "$four/F07.DAT" "$four/F02R1.DAT" "$four/F16R0.DAT" \
    "$four/F07R0.DAT" "$four/F35.DAT" "$four/F36.DAT" "$four/F00R0.DAT" \
    "$four/F01R0.DAT" "$four/F40.DAT" "$four/F34.DAT" "$four/F04R0.DAT" \
    "$four/F21R0.DAT" "$(pick 1 "$four"/R62/*.DAT)" \
    "$(pick 1 "$four"/R63/*.DAT)" - >"$out/step5_fuzz/sample$seed"

  join "$old/FX0.DAT" "$old/FW0.DAT" "$old/FY0.DAT" "$old/FZ0.DAT" \
    "$old/RESP.DAT" "$old/REG/REGFE.DAT" "$old/REG/REGRE.DAT" \
    "$(pick 1 "$old"/REG/R[0-9]*.DAT)" "$(pick 2 "$old"/REG/R[0-9]*.DAT)" \
    "$(pick 1 "$old"/R01/*.DAT)" "$(pick 1 "$old"/R02/*.DAT)" \
    "$(pick 1 "$old"/R03/*.DAT)" "$old/F306.DAT" "$old/F307.DAT" \
    "$old/F308.DAT" "$old/F309.DAT" "$old/C04B.DAT" \
    "$(pick 1 "$old"/Temp/*.TMP)" "$old/CONFIGA.DAT" "$old/sind.dat" \
    >"$out/run_fuzz/sample$seed"

  # The journals the conversions above kept beside their folders.
  for step in one two three four; do
    cp "$work/$step$seed.labrena-journal/JOURNAL.LOG" \
      "$out/journal_fuzz/$step$seed"
  done
done
