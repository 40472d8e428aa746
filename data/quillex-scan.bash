# Bash completion for quillex-scan.

_quillex_scan() {
  local cur prev
  cur="${COMP_WORDS[COMP_CWORD]}"
  prev="${COMP_WORDS[COMP_CWORD - 1]}"

  # The word after an option that takes a value.
  case "$prev" in
    -o | --output)
      compopt -o filenames 2> /dev/null
      mapfile -t COMPREPLY < <(compgen -f -- "$cur")
      return
      ;;
    --min | --max | --repeat | --include | --must-contain | --pool-limit)
      return
      ;;
  esac

  # After "--" every word is the file.
  local i
  for ((i = 1; i < COMP_CWORD; i++)); do
    if [[ "${COMP_WORDS[i]}" == "--" ]]; then
      compopt -o filenames 2> /dev/null
      mapfile -t COMPREPLY < <(compgen -f -- "$cur")
      return
    fi
  done

  if [[ "$cur" == -* ]]; then
    mapfile -t COMPREPLY < <(compgen -W '--min --max --repeat --include --must-contain
      --plain -o --output -q --quiet --timings --pool-limit -h --help --version' -- "$cur")
    return
  fi
  compopt -o filenames 2> /dev/null
  mapfile -t COMPREPLY < <(compgen -f -- "$cur")
}
complete -F _quillex_scan quillex-scan
