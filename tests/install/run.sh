#!/usr/bin/env bash
# The packages, installed as a user installs them:
#   - the .deb unpacked into a scratch root (dpkg -x): its labrena-conv, with
#     its rubric template copied into a generated old-version folder, converts
#     the folder to the bytes of BUILD_LINUX/labrena-conv, and its manual
#     page renders with man -l; the .tar.gz holds the same files;
#   - the Windows installer under Wine, in a fresh prefix on its own Xvfb
#     display: its first page, then cancelled; the silent install (/S) with
#     the programs (version resource and icon), the rubric template, the CBO
#     page where the dialog's RAIS import reads it, the Start-menu entry and
#     the uninstall entry; the installed dialog, started from its installed
#     path, converting the folder (twice, with a RAIS import from the
#     installed CBO page before) to the bytes of the Linux labrena-conv; the
#     silent uninstall, which leaves Program Files as it was and the data
#     folder alone.
#
#   tests/install/run.sh BUILD_WIN BUILD_LINUX
#
# The packages must be built first: cpack in BUILD_WIN (NSIS) and in
# BUILD_LINUX (DEB and TGZ). Prints PASS or FAIL per check, then "N passed,
# N failed"; exits 1 when any check failed. Leaves the screenshots
# installer.png and dialog-installed.png in BUILD_WIN, the logs in
# BUILD_WIN/install-logs/.
set -uo pipefail

if [ $# -ne 2 ]; then
  echo "usage: $0 BUILD_WIN BUILD_LINUX" >&2
  exit 2
fi
win_build=$(cd "$1" && pwd) || exit 2
linux_build=$(cd "$2" && pwd) || exit 2
source_dir=$(cd "$(dirname "$0")/../.." && pwd)

source "$(dirname "$0")/../wine/session.sh" "$win_build/install-logs" \
  labrena-install
same_tree() {  # same_tree NAME A B: byte-identical folders
  mkdir -p "$2" "$3"
  diff -r "$2" "$3" >"$logs/diff.log" 2>&1
  local status=$?
  check "$1" test "$status" -eq 0
  [ "$status" -eq 0 ] || head -n 20 "$logs/diff.log"
}

# --- What the tests need --------------------------------------------------

shopt -s nullglob
installers=("$win_build"/labrena-*-win64.exe)
debs=("$linux_build"/labrena_*_amd64.deb)
tarballs=("$linux_build"/labrena-*-Linux.tar.gz)
shopt -u nullglob
installer=${installers[0]:-}
deb=${debs[0]:-}
tarball=${tarballs[0]:-}
driver=$win_build/labrena-gui-driver.exe
missing=0
for f in "$installer" "$deb" "$tarball" "$driver" \
    "$linux_build/labrena-conv" "$linux_build/labrena-sample"; do
  [ -n "$f" ] && [ -f "$f" ] && continue
  fail "missing: ${f:-a package (run cpack in both build folders)}"
  missing=1
done
for tool in wine wineboot wineserver winepath Xvfb xdotool import identify \
    dpkg-deb man wrestool iconv; do
  command -v "$tool" >/dev/null || { fail "tool $tool missing"; missing=1; }
done
[ "$missing" -eq 0 ] || finish

# --- The old-version folder and its conversion by the Linux build ---------

# Converted twice, as the dialog test presses the button twice; 200 workers
# make the receipt stage long enough for the driver to see its progress.
sample=$scratch/sample
"$linux_build/labrena-sample" --out "$sample" --workers 200 \
  >"$logs/sample.log" 2>&1
check "sample folder generated" test $? -eq 0
expected=$scratch/expected
mkdir -p "$expected/temp"
cp -r "$sample" "$expected/data"
for _ in 1 2; do
  TMPDIR=$expected/temp "$linux_build/labrena-conv" convert \
    --data "$expected/data" </dev/null >>"$logs/expected.log" 2>&1
done

# A copy of the sample with the rubric template TEMPLATE instead of its own,
# as the user copies it in from the installation.
user_folder() {  # user_folder DIR TEMPLATE
  cp -r "$sample" "$1"
  rm -f "$1/F31R0.DA3"
  cp "$2" "$1/F31R0.DA3"
}

# --- The .deb and the .tar.gz ---------------------------------------------

root=$scratch/deb-root
dpkg-deb -x "$deb" "$root"
check "dpkg -x unpacks the .deb" test $? -eq 0
check "the .deb: package labrena, version 6.28" \
  test "$(dpkg-deb -f "$deb" Package Version | tr '\n' ' ')" = \
  "Package: labrena Version: 6.28 "
check "the .deb: dependencies of the program" \
  grep -q libstdc++ <(dpkg-deb -f "$deb" Depends)
deb_conv=$root/usr/bin/labrena-conv
check "the .deb's labrena-conv --version" \
  test "$("$deb_conv" --version 2>&1)" = "labrena-conv 6.28"

deb_run=$scratch/deb-run
mkdir -p "$deb_run/temp"
user_folder "$deb_run/data" "$root/usr/share/labrena/F31R0.DA3"
for _ in 1 2; do
  TMPDIR=$deb_run/temp "$deb_conv" convert --data "$deb_run/data" \
    </dev/null >>"$logs/deb-convert.log" 2>&1
done
same_tree "the .deb's labrena-conv and template: data folder byte-identical" \
  "$expected/data" "$deb_run/data"
same_tree "the .deb's labrena-conv and template: retired files byte-identical" \
  "$expected/temp/Nelk/Labrena" "$deb_run/temp/Nelk/Labrena"
check "the .deb's CBO page is the shipped one" \
  cmp -s "$root/usr/share/labrena/cod-cbo2002.htm" \
  "$source_dir/resources/cod-cbo2002.htm"

page=$root/usr/share/man/man1/labrena-conv.1.gz
MANWIDTH=80 LANG=C.UTF-8 man -l "$page" >"$logs/man.txt" 2>"$logs/man.err"
man_status=$?
check "man -l renders the manual page without warnings" \
  test "$man_status" -eq 0 -a ! -s "$logs/man.err"
check "the manual page names the program in Portuguese" \
  grep -q -F 'labrena-conv - converte os dados do Labrena das versões' \
  "$logs/man.txt"
check "the manual page tells the options of --help" \
  grep -q -e '--data PASTA' "$logs/man.txt"

tar_root=$scratch/tar-root
mkdir -p "$tar_root"
tar -xzf "$tarball" -C "$tar_root"
tar_top=$tar_root/$(basename "$tarball" .tar.gz)
check "the .tar.gz holds the .deb's program, data files and manual page" \
  diff -r "$root/usr" "$tar_top"

# --- Xvfb and a fresh Wine prefix -----------------------------------------

start_wine

drive_c=$WINEPREFIX/drive_c
program_files=$drive_c/Program\ Files
install_dir=$program_files/Labrena\ 6.28
install_win='C:\Program Files\Labrena 6.28'
shortcut="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Labrena 6.28 - Conversão de versões.lnk"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Labrena 6.28'
cbo_folder=$drive_c/Nelk/Site/finan
(cd "$program_files" && find . | sort) >"$scratch/program-files-before"

# --- The installer's first page, then Escape and Enter (yes, quit) --------

rm -f "$win_build/installer.png" "$win_build/dialog-installed.png"
installer_title=
timeout --kill-after=10 300 wine "$installer" >"$logs/installer-page.log" 2>&1 &
installer_pid=$!
for _ in $(seq 600); do
  window=$(xdotool search --onlyvisible --name 'Labrena 6\.28' 2>/dev/null |
    head -n 1)
  [ -n "$window" ] && break
  sleep 0.1
done
if [ -n "$window" ]; then
  installer_title=$(xdotool getwindowname "$window")
  # Time to paint the page's bitmap and texts.
  sleep 3
  timeout 60 import -window root "$win_build/installer.png" \
    2>>"$logs/import.log"
  xdotool key Escape
  sleep 2
  xdotool key Return
else
  timeout 30 wineserver -k
fi
check "the installer's first page opens: \"$installer_title\"" \
  test -n "$installer_title"
colours=$(identify -format '%k' "$win_build/installer.png" 2>/dev/null)
check "screenshot $win_build/installer.png shows the page" \
  test "${colours:-0}" -gt 4
wait "$installer_pid"
cancel_status=$?
# NSIS exits with 1 when the user cancels.
check "the installer ends when cancelled: exit status $cancel_status" \
  test "$cancel_status" -eq 1
wine_idle
check "a cancelled installer leaves Program Files as it was" \
  test ! -e "$install_dir"

# --- The silent install ---------------------------------------------------

timeout --kill-after=10 300 wine "$installer" /S >"$logs/install.log" 2>&1
status=$?
wine_idle
check "the installer /S: exit status 0" test "$status" -eq 0
for f in labrena-conv-gui.exe labrena-conv.exe F31R0.DA3 cod-cbo2002.htm \
    Desinstalar.exe; do
  check "installed: $install_win\\$f" test -f "$install_dir/$f"
done
check "the installed F31R0.DA3 is the native build's" \
  cmp -s "$install_dir/F31R0.DA3" "$linux_build/F31R0.DA3"
check "the CBO page installed where the RAIS import reads it" \
  cmp -s "$cbo_folder/cod-cbo2002.htm" "$source_dir/resources/cod-cbo2002.htm"
check "Start-menu entry \"Labrena 6.28 - Conversão de versões\" opens the dialog" \
  grep -q -a -F 'labrena-conv-gui.exe' "$shortcut"
wine_reg query "$uninstall_key" >"$logs/uninstall-key.log"
check "uninstall entry: version 6.28" \
  grep -q -E 'DisplayVersion +REG_SZ +6\.28$' "$logs/uninstall-key.log"
check "uninstall entry: the silent uninstaller" \
  grep -q -F 'Labrena 6.28\Desinstalar.exe" /S' "$logs/uninstall-key.log"

# The version resource's strings, read as UTF-8 lines.
version_strings() {  # version_strings EXE
  wrestool -x --raw -t 16 "$1" 2>/dev/null | iconv -c -f UTF-16LE -t UTF-8 |
    tr '\0' '\n'
}
for exe in labrena-conv-gui labrena-conv; do
  wrestool -l "$install_dir/$exe.exe" >"$logs/$exe-resources.log" 2>&1
  check "$exe.exe has an icon" grep -q -- '--type=14' "$logs/$exe-resources.log"
  version_strings "$install_dir/$exe.exe" >"$logs/$exe-version.log"
  description="Labrena 6.28 - Conversão de versões"
  [ "$exe" = labrena-conv ] && description+=" pela linha de comando"
  check "$exe.exe: version resource of product Labrena 6.28, \"$description\"" \
    test "$(grep -c -x -F -e Labrena -e 6.28 -e "$description" -e "$exe.exe" \
    "$logs/$exe-version.log")" -eq 5
done

# --- The installed dialog -------------------------------------------------

# The user copies the installed template into the data folder; the RAIS
# import finds the CBO page that the installer put in place.
data=$drive_c/Nelk/Labrena
user_folder "$data" "$install_dir/F31R0.DA3"
rais_dir=$drive_c/Nelk3/Temp/Nelk/Labrena
"$linux_build/labrena-sample" --rais --out "$rais_dir" \
  >"$logs/rais-sample.log" 2>&1
rm -f "$rais_dir/cod-cbo2002.htm"
set_wine_temp "$scratch/gui-temp"
shots=$scratch/shots
mkdir -p "$shots"
timeout --kill-after=10 1200 wine "$driver" convert \
  "$install_win\\labrena-conv-gui.exe" 'C:\Nelk\Labrena' \
  "$(winepath -w "$shots" 2>/dev/null)" </dev/null >"$logs/gui.log" 2>&1 &
driver_pid=$!
# The driver asks for a screenshot NAME with NAME.ready and waits for
# NAME.taken.
while kill -0 "$driver_pid" 2>/dev/null; do
  for ready in "$shots"/*.ready; do
    [ -e "$ready" ] || continue
    name=$(basename "$ready" .ready)
    [ -e "$shots/$name.taken" ] && continue
    timeout 60 import -window root "$shots/$name.png" 2>>"$logs/import.log"
    touch "$shots/$name.taken"
  done
  sleep 0.1
done
wait "$driver_pid"
driver_status=$?
sed -i 's/\r$//' "$logs/gui.log"
grep -E '^(PASS|FAIL|note:) ' "$logs/gui.log" | sed 's/^/installed dialog: /'
passed=$((passed + $(grep -c '^PASS ' "$logs/gui.log")))
failed=$((failed + $(grep -c '^FAIL ' "$logs/gui.log")))
check "installed dialog: driver exit status 0" test "$driver_status" -eq 0
cp "$shots/dialog.png" "$win_build/dialog-installed.png" 2>/dev/null
colours=$(identify -format '%k' "$win_build/dialog-installed.png" 2>/dev/null)
check "screenshot $win_build/dialog-installed.png shows the dialog" \
  test "${colours:-0}" -gt 4
same_tree "installed dialog and Linux labrena-conv: data folders byte-identical" \
  "$expected/data" "$data"
same_tree "installed dialog and Linux labrena-conv: retired files byte-identical" \
  "$expected/temp/Nelk/Labrena" "$scratch/gui-temp/Nelk/Labrena"

# --- The silent uninstall -------------------------------------------------

# The uninstaller runs from a copy in the temporary folder: wait for it.
timeout --kill-after=10 300 wine "$install_dir/Desinstalar.exe" /S \
  >"$logs/uninstall.log" 2>&1
status=$?
wine_idle
check "the uninstaller /S: exit status 0" test "$status" -eq 0
(cd "$program_files" && find . | sort) >"$scratch/program-files-after"
check "Program Files after the uninstall as before the install" \
  diff "$scratch/program-files-before" "$scratch/program-files-after"
check "Start-menu entry removed" test ! -e "$shortcut"
check "CBO page and its empty folders removed" test ! -e "$drive_c/Nelk/Site"
wine_reg query "$uninstall_key" >"$logs/uninstall-key-after.log"
check "uninstall entry removed" test $? -ne 0
same_tree "the data folder stays after the uninstall" "$expected/data" "$data"

finish
