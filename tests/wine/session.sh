# What the Wine test scripts share: PASS and FAIL counting, a scratch
# folder, an Xvfb display of their own and a fresh Wine prefix, all removed
# again when the script exits.
#
#   source tests/wine/session.sh LOGS NAME
#
# LOGS is made empty for the script's logs; the scratch folder is
# $TMPDIR/NAME.XXXXXX. Then start_wine starts the display and the prefix.

passed=0
failed=0
pass() {
  echo "PASS $*"
  passed=$((passed + 1))
}
fail() {
  echo "FAIL $*"
  failed=$((failed + 1))
}
check() {  # check NAME COMMAND...: passes when the command succeeds
  local name=$1
  shift
  if "$@"; then pass "$name"; else fail "$name"; fi
}

logs=$1
rm -rf "$logs"
mkdir -p "$logs"
scratch=$(mktemp -d "${TMPDIR:-/tmp}/$2.XXXXXX")
xvfb_pid=
cleanup() {
  if [ -d "$scratch/prefix" ]; then
    WINEPREFIX=$scratch/prefix timeout 30 wineserver -k >/dev/null 2>&1
    WINEPREFIX=$scratch/prefix timeout 30 wineserver -w >/dev/null 2>&1
  fi
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
  rm -rf "$scratch"
}
trap cleanup EXIT
finish() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ] && exit 0
  echo "logs: $logs"
  exit 1
}

wine_reg() {  # wine_reg ARGS...: reg.exe of the prefix
  timeout --kill-after=10 60 wine reg "$@" 2>>"$logs/wineboot.log" |
    tr -d '\r'
}
# Wine takes TEMP and TMP from the registry, not from the environment.
set_wine_temp() {
  mkdir -p "$1"
  local path
  path=$(winepath -w "$1" 2>/dev/null)
  wine_reg add 'HKCU\Environment' /v TEMP /t REG_SZ /d "$path" /f >/dev/null
  wine_reg add 'HKCU\Environment' /v TMP /t REG_SZ /d "$path" /f >/dev/null
}
winpath() { winepath -w "$1" 2>/dev/null; }
# Windows programs end their lines with CR LF.
strip_cr() { sed -i 's/\r$//' "$1"; }
# Ends when every program of the prefix has ended.
wine_idle() { timeout 120 wineserver -w; }

# Starts Xvfb on a free display and a fresh Wine prefix in the scratch
# folder; a failure ends the script.
start_wine() {
  # Xvfb picks a free display itself and writes its number once it is ready.
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp \
    3>"$scratch/display" >"$logs/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 200); do
    [ -s "$scratch/display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  if [ ! -s "$scratch/display" ]; then
    fail "Xvfb starts"
    finish
  fi
  export DISPLAY=:$(head -n 1 "$scratch/display")

  export WINEPREFIX=$scratch/prefix
  export WINEARCH=win64
  export WINEDEBUG=-all
  # No Mono or Gecko prompts; no menu entries of the host for shortcuts.
  export WINEDLLOVERRIDES="mscoree,mshtml=,winemenubuilder.exe=d"
  timeout --kill-after=10 300 wineboot --init >"$logs/wineboot.log" 2>&1
  wine_idle
  if ! timeout --kill-after=10 60 wine cmd /c echo wine-ok \
      2>>"$logs/wineboot.log" | grep -q wine-ok; then
    fail "Wine runs in a fresh prefix"
    finish
  fi
  pass "Wine runs in a fresh prefix"
  # No window manager runs on the display: Wine places the windows and
  # draws their frames and captions itself, and waits for no manager.
  wine_reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
    >/dev/null
}
