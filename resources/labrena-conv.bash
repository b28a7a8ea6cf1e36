# bash completion for labrena-conv
_labrena_conv() {
  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
  case $prev in
    --data|--folder) COMPREPLY=($(compgen -d -- "$cur")); return ;;
    --cbo|--report) COMPREPLY=($(compgen -f -- "$cur")); return ;;
    --step) COMPREPLY=($(compgen -W "1 2 3 4 5 6" -- "$cur")); return ;;
  esac
  if [ "$COMP_CWORD" -eq 1 ]; then
    COMPREPLY=($(compgen -W "convert undo status rais --help --version" -- "$cur"))
    return
  fi
  local options
  case ${COMP_WORDS[1]} in
    convert) options="--data --step --yes --no --no-journal --dry-run --report" ;;
    undo|status) options="--data" ;;
    rais) options="--folder --cbo --yes --no" ;;
  esac
  COMPREPLY=($(compgen -W "$options" -- "$cur"))
}
complete -F _labrena_conv labrena-conv
