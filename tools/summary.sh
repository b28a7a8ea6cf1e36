#!/usr/bin/env bash
# What a conversion did to a data folder.
#
#   tools/summary.sh before DIR   snapshots DIR and the retirement folder
#   tools/summary.sh after DIR    prints the files created, rewritten,
#                                 renamed, retired and deleted since
#
# The snapshot (paths and checksums) is kept in $TMPDIR (else /tmp), never
# inside DIR. The retirement folder is $TMPDIR/Nelk/Labrena, as the
# converter uses it. A file that left DIR counts as renamed when a new file
# of DIR has its checksum, as retired when a new file of the retirement
# folder has it, else as deleted.
set -euo pipefail

usage() {
  echo "usage: $0 before|after DIR" >&2
  exit 2
}

[ $# -eq 2 ] || usage
mode=$1
dir=$2
[ "$mode" = before ] || [ "$mode" = after ] || usage
if [ ! -d "$dir" ]; then
  echo "$0: no folder $dir" >&2
  exit 2
fi

tmp=${TMPDIR:-/tmp}
tmp=${tmp%/}
retired="$tmp/Nelk/Labrena"
abs=$(cd "$dir" && pwd -P)
snapshot="$tmp/labrena-summary-$(printf '%s' "$abs" | cksum | cut -d' ' -f1)"

# "checksum<TAB>path" for every file below a folder, paths relative to it.
list() {
  [ -d "$1" ] || return 0
  (cd "$1" && find . -type f -print0 | LC_ALL=C sort -z |
    xargs -0 -r md5sum | sed 's|^\([0-9a-f]*\)  \./|\1\t|')
}

if [ "$mode" = before ]; then
  list "$abs" >"$snapshot.data"
  list "$retired" >"$snapshot.retired"
  echo "$dir: $(wc -l <"$snapshot.data") files before the conversion"
  exit 0
fi

if [ ! -f "$snapshot.data" ]; then
  echo "$0: no snapshot of $dir; run '$0 before $dir' first" >&2
  exit 2
fi
now_data=$(mktemp)
now_retired=$(mktemp)
trap 'rm -f "$now_data" "$now_retired"' EXIT
list "$abs" >"$now_data"
list "$retired" >"$now_retired"

awk -F'\t' -v shown=6 -v dir="$dir" '
  part == 1 { before[$2] = $1; order_before[++n_before] = $2; next }
  part == 2 { old_retired[$2] = $1; next }
  part == 3 {
    after[$2] = $1; order_after[++n_after] = $2
    if (!($2 in before)) fresh[$1, ++n_fresh[$1]] = $2
    next
  }
  part == 4 {
    if (!($2 in old_retired) || old_retired[$2] != $1) {
      retired[$1, ++n_retired[$1]] = $2
    }
  }
  function note(kind, text) {
    count[kind]++
    if (count[kind] <= shown) names[kind] = names[kind] (count[kind] > 1 ? ", " : "") text
  }
  END {
    for (i = 1; i <= n_before; i++) {
      p = order_before[i]
      if (p in after && before[p] != after[p]) note("rewritten", p)
    }
    # Each file that left the folder takes the first unclaimed new file of
    # its checksum: in the folder (renamed), else in the retirement folder.
    for (i = 1; i <= n_before; i++) {
      p = order_before[i]
      if (p in after) continue
      sum = before[p]
      if (taken_fresh[sum] < n_fresh[sum]) {
        q = fresh[sum, ++taken_fresh[sum]]
        claimed[q] = 1
        note("renamed", p " -> " q)
      } else if (taken_retired[sum] < n_retired[sum]) {
        ++taken_retired[sum]
        note("retired", p)
      } else {
        note("deleted", p)
      }
    }
    for (i = 1; i <= n_after; i++) {
      p = order_after[i]
      if (!(p in before) && !(p in claimed)) note("created", p)
    }
    printf "%s: %d files before, %d after\n", dir, n_before, n_after
    split("created rewritten renamed retired deleted", kinds, " ")
    for (i = 1; i <= 5; i++) {
      k = kinds[i]
      c = count[k] + 0
      more = c > shown ? sprintf(" (and %d more)", c - shown) : ""
      printf "  %-9s %5d%s%s%s\n", k, c, c ? ": " : "", names[k], more
    }
  }
' part=1 "$snapshot.data" part=2 "$snapshot.retired" part=3 "$now_data" \
  part=4 "$now_retired"
