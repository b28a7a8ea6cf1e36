# Installs the Debian packages the build needs when they are missing.
# "install_deps full" adds the Windows cross build, Wine and Xvfb, and what
# the packages and their tests need (makensis, help2man, dpkg-shlibdeps, man,
# wrestool).
install_deps() {
  local want=(cmake g++ make libgtest-dev libbenchmark-dev libcli11-dev clang-14
              libclang-rt-14-dev)
  if [ "${1:-}" = full ]; then
    want+=(g++-mingw-w64-x86-64 wine64 xvfb xdotool imagemagick
           nsis help2man dpkg-dev file man-db icoutils)
  fi
  local missing=()
  for p in "${want[@]}"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" != 0 ]; then
    echo "missing packages: ${missing[*]} (run as root to install them)" >&2
    return 1
  fi
  echo "installing: ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
    "${missing[@]}" >/dev/null
}
