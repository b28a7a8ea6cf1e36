#!/usr/bin/env bash
# The command line's contract: exit statuses, the final message on stdout,
# message boxes on stderr, retired files below $TMPDIR.
# Usage: cli_test.sh PATH_TO_LABRENA_CONV
set -u
conv="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
scratch=$(mktemp -d)
trap 'chmod -R u+w "$scratch"; rm -rf "$scratch"' EXIT
passed=0
failed=0

check() {  # check NAME EXPECTED ACTUAL
  if [ "$2" = "$3" ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    printf 'FAIL %s\n  expected: %q\n  actual:   %q\n' "$1" "$2" "$3"
  fi
}

run() {  # run ARGS...: sets out, err, status
  out=$("$conv" "$@" 2>"$scratch/err") && status=0 || status=$?
  err=$(cat "$scratch/err")
}

run
check "no arguments is bad usage" 2 "$status"
run --version
check "--version" "0 labrena-conv 6.28" "$status $out"
run --help
check "--help exits 0" 0 "$status"
run convert --data "$scratch/none"
check "missing data folder" 2 "$status"
run convert --step 7 --data "$scratch"
check "step out of range" 2 "$status"
run convert --frobnicate
check "unknown option" 2 "$status"

mkdir -p "$scratch/data" "$scratch/tmp"
export TMPDIR="$scratch/tmp"
run convert --data "$scratch/data"
check "empty folder converts" "0" "$status"
check "final message on stdout" "A conversão foi realizada." "$out"
check "nothing on stderr" "" "$err"

# An old register is converted and retired below $TMPDIR.
: > "$scratch/data/FX0.DAT"
run convert --data "$scratch/data" --step 1
check "step 1 exit" 0 "$status"
check "FX0.DAT retired" yes "$([ -f "$TMPDIR/Nelk/Labrena/FX0.DAT" ] && echo yes)"
check "F301.DAT written" yes "$([ -f "$scratch/data/F301.DAT" ] && echo yes)"

# A failure shown in a message box gives exit status 1 and Title: text, and
# the run still ends with the final message. The counters file is a folder,
# so the job counter cannot be written; the current folder is the default.
mkdir -p "$scratch/data2/F34.DAT"
printf '%-426s%-1529s' "0000000001" "MOTORISTA" > "$scratch/data2/F16.DAT"
cd "$scratch/data2"
run convert --step 3
cd - >/dev/null
check "error box gives exit 1" 1 "$status"
check "error box on stderr" "FOpen2: Erro ao abrir o arquivo." "$(head -1 <<<"$err")"
check "final message after an error" "A conversão foi realizada." "$out"
check "step 3 ran in the current folder and undid its work" \
  "Conversão: Erro na conversão de F16.DAT para F35.DAT." \
  "$(grep -m1 '^Conversão:' <<<"$err")"
check "no register left behind" no \
  "$([ -f "$scratch/data2/F35.DAT" ] && echo yes || echo no)"

# A fatal error of the fourth step: its message, exit status 1, the final
# message all the same, and the rubric table left for the next run.
mkdir -p "$scratch/data3/R61"
printf '%-300s' "001 SALARIO" > "$scratch/data3/F31R0.DA3"
for code in $(seq 1000 1200); do printf '%-4s%-75s ' "$code" "RUBRICA"; done \
  > "$scratch/data3/F31.DAT"
run convert --data "$scratch/data3" --step 4
check "fatal error gives exit 1" 1 "$status"
check "fatal error on stderr" \
  "Conversão: A tabela de vencimentos e descontos do usuário ultrapassou os limites." \
  "$(head -1 <<<"$err")"
check "final message after a fatal error" "A conversão foi realizada." "$out"
check "old rubric table kept" yes \
  "$([ -f "$scratch/data3/F31.DAT" ] && [ -f "$scratch/data3/F31R0.TAB" ] && echo yes)"

# The RAIS import: one employer in a folder given by --folder, the page by
# --cbo; its final message is a box on stderr.
mkdir -p "$scratch/rais" "$scratch/cbo"
printf '%-6s%-14s%-2s1%-528s\r\n' "" "11222333000181" "" "EMPRESA" \
  > "$scratch/rais/Rais.txt"
printf '<tr bgcolor="#FFFFFF"><td>411010</td><td>Assistente</td></tr>\n' \
  > "$scratch/cbo/cbo.htm"
run rais --folder "$scratch/rais" --cbo "$scratch/cbo/cbo.htm"
check "rais exit" 0 "$status"
check "rais final message" \
  "Rais: Foram convertidos 1 empregadores e 0 trabalhadores." "$err"
check "rais employer register" 1000 "$(wc -c < "$scratch/rais/F00R0.DAT")"
run rais --folder "$scratch/none"
check "rais missing folder" 2 "$status"
run rais --folder "$scratch/rais" --cbo "$scratch/cbo/none.htm"
check "rais without the page gives exit 1" 1 "$status"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
