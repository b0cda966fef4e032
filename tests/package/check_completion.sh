#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Drives the bash completion of vorna-cli and vorna-sim as a shell does on <TAB>.
#   check_completion.sh [COMPLETION_FOLDER]
# With a folder, the completion files are sourced from it (the source tree);
# without, bash-completion loads them as it does on demand (the installed
# package). vorna-cli and vorna-sim are taken from PATH.
set -uo pipefail
folder=${1:-}

# shellcheck disable=SC1091
source /usr/share/bash-completion/bash_completion || exit 1
for program in vorna-cli vorna-sim; do
  if [ -n "$folder" ]; then
    # shellcheck disable=SC1090
    source "$folder/$program"
  else
    _completion_loader "$program"
  fi
  if ! complete -p "$program" > /dev/null 2>&1; then
    echo "FAIL: no completion for $program"
    exit 1
  fi
done

# Prints, one a line and sorted, what <TAB> offers at the end of the line.
offers() {
  local line=$1 function
  COMP_LINE=$line
  COMP_POINT=${#line}
  read -ra COMP_WORDS <<< "$line"
  [[ $line == *' ' ]] && COMP_WORDS+=('')
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  function=$(complete -p "${COMP_WORDS[0]}" | sed -n 's/.* -F \([^ ]*\) .*/\1/p')
  "$function" "${COMP_WORDS[0]}" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]:-}"
  [ ${#COMPREPLY[@]} -eq 0 ] || printf '%s\n' "${COMPREPLY[@]}" | sort
}

failures=0
flat() { printf '%s' "$1" | tr '\n' ' '; }
expect() {
  local line=$1 want=$2 got
  got=$(offers "$line")
  if [ "$got" = "$want" ]; then
    printf 'ok   %-45s -> %s\n' "'$line'" "$(flat "$got")"
  else
    printf 'FAIL %-45s -> %s (wanted %s)\n' "'$line'" "$(flat "$got")" "$(flat "$want")"
    failures=$((failures + 1))
  fi
}
lines() { printf '%s\n' "$@" | sort; }

# Options: every long option that --help lists (bash-completion offers "-h, --help"
# as --help), and nothing else.
options_of() { "$1" --help | grep -oE '^ +(-[a-zA-Z], )?--[a-z][a-z-]*' | grep -oE -- '--[a-z-]+' | sort -u; }
devices=$(compgen -G '/dev/ttyUSB*'; compgen -G '/dev/ttyACM*'; compgen -G '/dev/ttyS*'
          compgen -G '/dev/serial/by-id/*')
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
touch "$scratch/site.vrp" "$scratch/notes.txt" "$scratch/pty-link"

expect 'vorna-cli --po' '--port'
expect 'vorna-cli -' "$(options_of vorna-cli)"
expect 'vorna-cli --port ' "$(lines "$devices" | sed '/^$/d')"
expect "vorna-cli --port $scratch/pty" "$scratch/pty-link"
expect 'vorna-cli --card-type ' "$(lines unique mifare4b mifare7b)"
expect 'vorna-cli --card-type=mi' "$(lines mifare4b mifare7b)"
expect 'vorna-cli --port COM2 ' "$(lines read write verify open-locker set-address scan enroll diff report)"
expect 'vorna-cli --port COM2 enroll site.vrp --slots ' "$(lines all master: obsluga: opiekun: pasek:)"
expect 'vorna-cli --port COM2 enroll site.vrp --slots p' 'pasek:'
expect 'vorna-cli --port COM2 enroll site.vrp --wait ' ''
expect "vorna-cli --port COM2 enroll $scratch/" "$scratch/site.vrp"
expect 'vorna-cli --port COM2 --address 3 op' 'open-locker'
expect 'vorna-cli --port COM2 --address ' ''
expect 'vorna-cli --port COM2 --time 50 open-locker 1' "$(lines 1 10 11 12 13 14 15 16 17 18 19)"
expect "vorna-cli --port COM2 write $scratch/" "$scratch/site.vrp"
expect "vorna-cli diff $scratch/site.vrp $scratch/" "$scratch/site.vrp"
expect "vorna-cli report $scratch/site.vrp -o $scratch/no" ''

expect 'vorna-sim -' "$(options_of vorna-sim)"
expect 'vorna-sim --card-on' '--card-on-arming'
expect 'vorna-sim --delay ' ''
expect "vorna-sim --memory $scratch/no" "$scratch/notes.txt"

if [ "$failures" -ne 0 ]; then
  echo "$failures completion checks failed"
  exit 1
fi
echo "bash completion of vorna-cli and vorna-sim: every check passed"
