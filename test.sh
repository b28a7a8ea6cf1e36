#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the unit and
# end-to-end tests, again under the address and undefined-behaviour
# sanitizers, a short run of each fuzz target, the Windows build under Wine,
# then the packages, installed as users install them.
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
install_deps full

jobs=$(nproc)
echo "== Linux build and tests"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs")

echo "== Sanitizer build and tests"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DLABRENA_SANITIZE=ON >/dev/null
cmake --build build-asan -j "$jobs"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --output-on-failure -j "$jobs")

echo "== Fuzz targets, a short run of each"
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++-14 -DLABRENA_FUZZ=ON -DLABRENA_TESTS=OFF >/dev/null
cmake --build build-fuzz -j "$jobs"
tests/fuzz/run.sh build-fuzz "${FUZZ_SECONDS:-30}"

echo "== Windows build and tests under Wine"
cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DLABRENA_RUBRIC_TEMPLATE="$PWD/build/F31R0.DA3" \
  >/dev/null
cmake --build build-win -j "$jobs"
tests/wine/run.sh build-win build

echo "== Packages, installed as users install them"
(cd build && cpack)
(cd build-win && cpack)
tests/install/run.sh build-win build
