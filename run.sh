#!/usr/bin/env bash
# Builds the converter and converts DATA_DIR, or a generated sample folder.
# "./run.sh rais [--yes|--no]" imports a generated RAIS declaration instead.
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
install_deps
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)" --target labrena-conv labrena-sample >/dev/null
if [ "${1:-}" = rais ]; then
  shift
  if [ ! -d rais-sample ]; then
    build/labrena-sample --rais --out rais-sample
    echo "generated a sample RAIS declaration in rais-sample/"
  fi
  exec build/labrena-conv rais --folder rais-sample --cbo build/cod-cbo2002.htm "$@"
fi
dir="${1:-sample}"
if [ $# -eq 0 ] && [ ! -d sample ]; then
  build/labrena-sample --out sample
  echo "generated a sample data folder in sample/"
fi
status=0
build/labrena-conv convert --data "$dir" || status=$?
# At a terminal the converter shows what it did; otherwise show the report
# it keeps in its journal beside the folder.
report="${dir%/}.labrena-journal/REPORT.TXT"
if [ ! -t 2 ] && [ -f "$report" ]; then
  iconv -f CP1252 -t UTF-8 "$report" >&2 || true
fi
exit $status
