#!/usr/bin/env bash
# Builds the converter and converts DATA_DIR, or a generated sample folder.
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
install_deps
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)" --target labrena-conv labrena-sample >/dev/null
dir="${1:-sample}"
if [ $# -eq 0 ] && [ ! -d sample ]; then
  build/labrena-sample --out sample
  echo "generated a sample data folder in sample/"
fi
tools/summary.sh before "$dir"
status=0
build/labrena-conv convert --data "$dir" || status=$?
tools/summary.sh after "$dir"
exit $status
