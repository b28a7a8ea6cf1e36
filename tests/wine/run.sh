#!/usr/bin/env bash
# The Windows build under Wine, in a scratch folder with its own Wine prefix
# and its own Xvfb display:
#   - the unit tests (labrena_tests.exe);
#   - the dialog program, driven by labrena-gui-driver.exe: a conversion of a
#     generated old-version folder pressed twice (the receipt stage's
#     progress on the status line), a fourth step that meets a fatal error,
#     a conversion that was cut off (the dialog undoes it, says so and
#     converts again to the same bytes),
#     and the start-up folder rules (drives A: and C:, the 99-character
#     folder line);
#   - labrena-conv.exe against the Linux labrena-conv on the same folder:
#     data folders and retired files must be byte-identical.
#
#   tests/wine/run.sh BUILD_WIN BUILD_LINUX
#
# Prints PASS or FAIL per check, then "N passed, N failed". Exits 1 when any
# check failed, also when the Windows build or Wine does not work. Leaves
# screenshots in BUILD_WIN: dialog.png (the dialog as it opens),
# dialog-receipts.png (during the receipt stage), dialog-fatal.png (the
# fatal error's box) and dialog-recovery.png (the box of a conversion that
# was cut off and undone), and the logs in BUILD_WIN/wine-logs/.
set -uo pipefail

if [ $# -ne 2 ]; then
  echo "usage: $0 BUILD_WIN BUILD_LINUX" >&2
  exit 2
fi
win_build=$(cd "$1" && pwd) || exit 2
linux_build=$(cd "$2" && pwd) || exit 2

source "$(dirname "$0")/session.sh" "$win_build/wine-logs" labrena-wine

# --- What the tests need --------------------------------------------------

gui=$win_build/labrena-conv-gui.exe
driver=$win_build/labrena-gui-driver.exe
tests=$win_build/labrena_tests.exe
cli=$win_build/labrena-conv.exe
missing=0
for f in "$gui" "$driver" "$tests" "$cli"; do
  [ -f "$f" ] || { fail "Windows build: $f missing"; missing=1; }
done
for tool in wine wineboot wineserver winepath Xvfb import identify; do
  command -v "$tool" >/dev/null || { fail "tool $tool missing"; missing=1; }
done
[ "$missing" -eq 0 ] || finish

start_wine

# --- Unit tests -----------------------------------------------------------

set_wine_temp "$scratch/unit-temp"
(cd "$scratch" && timeout --kill-after=10 1200 wine "$tests" --gtest_color=no) \
  </dev/null >"$logs/unit.log" 2>&1
status=$?
strip_cr "$logs/unit.log"
failures=$(grep -E '^\[  FAILED  \] [^ ]+ \([0-9]+ ms\)$' "$logs/unit.log" |
  sed -E 's/^\[  FAILED  \] ([^ ]+).*/\1/')
count=$(grep -E '^\[  PASSED  \] [0-9]+ test' "$logs/unit.log" |
  sed -E 's/^\[  PASSED  \] ([0-9]+).*/\1/')
for t in $failures; do fail "unit test $t under Wine"; done
if [ "$status" -eq 0 ]; then
  pass "unit tests under Wine (${count:-0} passed)"
elif [ -z "$failures" ]; then
  fail "unit tests under Wine: exit status $status (see unit.log)"
fi

# --- A generated old-version data folder ----------------------------------

sample=$scratch/sample
if [ -x "$linux_build/labrena-sample" ]; then
  # 200 workers: the dialog's receipt stage lasts long enough (some tenths
  # of a second under Wine) for the driver to read its progress.
  timeout 300 "$linux_build/labrena-sample" --out "$sample" --workers 200 \
    >"$logs/sample.log" 2>&1
  check "sample folder generated" test $? -eq 0
else
  echo "note: $linux_build/labrena-sample is not built; an empty folder is" \
    "converted instead"
fi
mkdir -p "$sample"

# --- The dialog -----------------------------------------------------------

# Echoes the PASS and FAIL lines of a driver's log and counts them.
tally() {  # tally LOG STATUS
  strip_cr "$1"
  grep -E '^(PASS|FAIL|note:) ' "$1"
  local p f
  p=$(grep -c '^PASS ' "$1")
  f=$(grep -c '^FAIL ' "$1")
  passed=$((passed + p))
  failed=$((failed + f))
  if [ "$2" -ne 0 ] && [ "$f" -eq 0 ]; then
    fail "driver: exit status $2 (see $(basename "$1"))"
  fi
}
run_driver() {  # run_driver LOG ARGS...
  local log=$1
  shift
  timeout --kill-after=10 600 wine "$driver" "$@" </dev/null >"$log" 2>&1
  tally "$log" $?
}

# Takes BUILD_WIN/NAME.png for every NAME.ready that the driver creates in
# SHOTS, then creates NAME.taken; returns when the driver has ended.
screenshots() {  # screenshots SHOTS DRIVER_PID
  local ready name
  while kill -0 "$2" 2>/dev/null; do
    for ready in "$1"/*.ready; do
      [ -e "$ready" ] || continue
      name=$(basename "$ready" .ready)
      [ -e "$1/$name.taken" ] && continue
      timeout 60 import -window root "$win_build/$name.png" \
        2>>"$logs/import.log"
      touch "$1/$name.taken"
    done
    sleep 0.1
  done
}
# A driver that asks for screenshots.
run_driver_shots() {  # run_driver_shots LOG SHOTS ARGS...
  local log=$1 shots=$2
  shift 2
  mkdir -p "$shots"
  timeout --kill-after=10 1800 wine "$driver" "$@" "$(winpath "$shots")" \
    </dev/null >"$log" 2>&1 &
  local pid=$!
  screenshots "$shots" "$pid"
  wait "$pid"
  tally "$log" $?
}
check_screenshot() {  # check_screenshot NAME WHAT
  local colours
  colours=$(identify -format '%k' "$win_build/$1.png" 2>/dev/null)
  check "screenshot $win_build/$1.png shows $2" test "${colours:-0}" -gt 4
}

# The sample converted twice; the driver watches the receipt stage. Before
# that, it sends command 302, which imports a sample RAIS file from the
# product's fixed import folder with the CBO page at its fixed place.
rais_dir=$WINEPREFIX/drive_c/Nelk3/Temp/Nelk/Labrena
mkdir -p "$WINEPREFIX/drive_c/Nelk/Site/finan"
if [ -x "$linux_build/labrena-sample" ]; then
  "$linux_build/labrena-sample" --rais --out "$rais_dir" \
    >"$logs/rais-sample.log" 2>&1
  cp "$rais_dir/cod-cbo2002.htm" "$WINEPREFIX/drive_c/Nelk/Site/finan/"
fi
gui_dir=$scratch/gui
mkdir -p "$gui_dir"
cp -r "$sample" "$gui_dir/data"
set_wine_temp "$gui_dir/temp"
rm -f "$win_build"/dialog*.png
run_driver_shots "$logs/gui-convert.log" "$gui_dir/shots" convert \
  "$(winpath "$gui")" "$(winpath "$gui_dir/data")"
check_screenshot dialog "the dialog"
check_screenshot dialog-receipts "the receipt stage"
check "command 302 wrote the employer register" test -s "$rais_dir/F00R0.DAT"

# A fourth step that stops on its fatal error: more than 200 user rubrics
# (codes 1000 to 1200) in F31.DAT, with the template and a receipt folder.
fatal_dir=$scratch/fatal
mkdir -p "$fatal_dir/data/R61"
set_wine_temp "$fatal_dir/temp"
for code in $(seq 1000 1200); do
  printf '%-4s%-30s+%44s ' "$code" "RUBRICA $code" ""
done >"$fatal_dir/data/F31.DAT"
if [ -f "$linux_build/F31R0.DA3" ]; then
  cp "$linux_build/F31R0.DA3" "$fatal_dir/data/"
  run_driver_shots "$logs/gui-fatal.log" "$fatal_dir/shots" fatal \
    "$(winpath "$gui")" "$(winpath "$fatal_dir/data")"
  check_screenshot dialog-fatal "the fatal error's box"
else
  fail "Linux build: $linux_build/F31R0.DA3 missing"
fi

# The start-up folder rules.
mkdir -p "$WINEPREFIX/drive_c/start"
run_driver "$logs/gui-folder-c.log" folder "C: without C:\\Nelk\\Labrena" \
  "$(winpath "$gui")" 'C:\start' 'C:\start'
mkdir -p "$WINEPREFIX/drive_c/Nelk/Labrena"
run_driver "$logs/gui-folder-nelk.log" folder "C: with C:\\Nelk\\Labrena" \
  "$(winpath "$gui")" 'C:\start' 'C:\Nelk\Labrena'
mkdir -p "$scratch/floppy"
ln -sfn "$scratch/floppy" "$WINEPREFIX/dosdevices/a:"
run_driver "$logs/gui-folder-a.log" folder "A: moves to C:" \
  "$(winpath "$gui")" 'A:\' 'C:\Nelk\Labrena'
# Folders of 99 and 100 characters on drive Z:.
long_base=$scratch/long
mkdir -p "$long_base"
base_length=$(winpath "$long_base" | tr -d '\n' | wc -c)
for length in 99 100; do
  name_length=$((length - base_length - 1))
  name=$(printf '%*s' "$name_length" '' | tr ' ' 'x')
  mkdir -p "$long_base/$name"
  folder=$(winpath "$long_base/$name")
  expected=$folder
  [ "$length" -gt 99 ] && expected=-
  run_driver "$logs/gui-folder-$length.log" folder \
    "folder of $length characters" \
    "$(winpath "$gui")" "$folder" "$expected"
done

# --- The command line on Linux and under Wine -----------------------------

cli_dir=$scratch/cli
mkdir -p "$cli_dir/linux/temp" "$cli_dir/wine"
cp -r "$sample" "$cli_dir/linux/data"
cp -r "$sample" "$cli_dir/wine/data"
linux_cli=$linux_build/labrena-conv
same_tree() {  # same_tree NAME A B: byte-identical folders
  mkdir -p "$2" "$3"
  diff -r "$2" "$3" >"$logs/diff.log" 2>&1
  local status=$?
  check "$1" test "$status" -eq 0
  [ "$status" -eq 0 ] || head -n 20 "$logs/diff.log"
}
if [ -x "$linux_cli" ]; then
  TMPDIR=$cli_dir/linux/temp timeout 600 "$linux_cli" convert \
    --data "$cli_dir/linux/data" </dev/null >"$logs/cli-linux.log" 2>&1
  linux_status=$?
  set_wine_temp "$cli_dir/wine/temp"
  timeout --kill-after=10 600 wine "$cli" convert \
    --data "$(winpath "$cli_dir/wine/data")" </dev/null \
    >"$logs/cli-wine.log" 2>&1
  wine_status=$?
  strip_cr "$logs/cli-wine.log"
  check "labrena-conv convert: exit status $linux_status on Linux, $wine_status under Wine" \
    test "$linux_status" -eq "$wine_status"
  same_tree "labrena-conv convert: data folders byte-identical" \
    "$cli_dir/linux/data" "$cli_dir/wine/data"
  same_tree "labrena-conv convert: retired files byte-identical" \
    "$cli_dir/linux/temp/Nelk/Labrena" "$cli_dir/wine/temp/Nelk/Labrena"

  # The dialog, pressed twice, against the Linux command line run twice.
  mkdir -p "$cli_dir/twice/temp"
  cp -r "$sample" "$cli_dir/twice/data"
  for _ in 1 2; do
    TMPDIR=$cli_dir/twice/temp timeout 600 "$linux_cli" convert \
      --data "$cli_dir/twice/data" </dev/null >>"$logs/cli-linux.log" 2>&1
  done
  same_tree "dialog and command line: data folders byte-identical" \
    "$cli_dir/twice/data" "$gui_dir/data"
  same_tree "dialog and command line: retired files byte-identical" \
    "$cli_dir/twice/temp/Nelk/Labrena" "$gui_dir/temp/Nelk/Labrena"

  # The Windows command line's conversion made to look cut off (its journal
  # without the finish mark): the dialog undoes it, says so, and converts
  # again to the same bytes.
  sed -i '/^END /d' "$cli_dir/wine/data.labrena-journal/JOURNAL.LOG"
  set_wine_temp "$cli_dir/wine/temp"
  run_driver_shots "$logs/gui-recover.log" "$cli_dir/shots" recover \
    "$(winpath "$gui")" "$(winpath "$cli_dir/wine/data")"
  check_screenshot dialog-recovery "the box of the undone conversion"
  same_tree "dialog after a cut-off conversion: data folder as one run's" \
    "$cli_dir/linux/data" "$cli_dir/wine/data"
  same_tree "dialog after a cut-off conversion: retired files as one run's" \
    "$cli_dir/linux/temp/Nelk/Labrena" "$cli_dir/wine/temp/Nelk/Labrena"
else
  fail "Linux build: $linux_cli missing"
fi

finish
