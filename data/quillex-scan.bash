# Bash completion for quillex-scan.

# The items of a comma-separated list before the one being completed, with
# their comma, so that a completed item keeps them.
_quillex_scan_listed() {
  [[ "$1" == *,* ]] && printf '%s,' "${1%,*}"
}

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
    -n | --min | --max | --repeat | --include | --must-contain | --pool-limit | --grep | \
      --min-length | --max-length)
      return
      ;;
    --format)
      mapfile -t COMPREPLY < <(compgen -W 'text plain jsonl csv' -- "$cur")
      return
      ;;
    --only | --exclude)
      # Group names hold spaces and quotes; only the plain words are offered.
      mapfile -t COMPREPLY < <(compgen -W 'apostrophe comma minus period underscore
        backtick tilde Space Tab A-Z a-z 0-9' -P "$(_quillex_scan_listed "$cur")" -- "${cur##*,}")
      return
      ;;
    --kind)
      mapfile -t COMPREPLY < <(compgen -W 'ansi unicode resource' \
        -P "$(_quillex_scan_listed "$cur")" -- "${cur##*,}")
      return
      ;;
    --tag)
      mapfile -t COMPREPLY < <(compgen -W 'url domain ipv4 ipv6 email windows-path unix-path
        registry guid base64 hash format user-agent pdb' \
        -P "$(_quillex_scan_listed "$cur")" -- "${cur##*,}")
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
    mapfile -t COMPREPLY < <(compgen -W '-n --min --max --repeat --include --must-contain
      --only --exclude --list-groups --grep -F --fixed-strings -i --ignore-case --kind
      --min-length --max-length --tag --list-tags --format --plain --csv-raw -o --output -q
      --quiet --timings --pool-limit -h --help --version' -- "$cur")
    return
  fi
  compopt -o filenames 2> /dev/null
  mapfile -t COMPREPLY < <(compgen -f -- "$cur")
}
complete -F _quillex_scan quillex-scan
