#!/usr/bin/env bash
# Every option each program's --help shows is in its man page, and (for quvane and quvane-sim)
# in its bash completion; every quvane command too. A new option cannot be left undocumented.
#   docs_test.sh QUVANE_UTILITY QUVANE QUVANE_SIM
set -euo pipefail
source=$(cd "$(dirname "$0")/../.." && pwd)
status=0

missing() {
  echo "docs check failed: $1" >&2
  status=1
}

# The long options a help text lists, one per line ("--" alone and "--help-all" style included).
options_of() {
  grep -oE -- '(^|[^[:alnum:]-])--[a-z][a-z-]*' <<<"$1" | sed 's/^[^-]*//' | sort -u
}

check() {
  local program=$1 help=$2 completion=${3:-}
  local page=$source/packaging/man/$program.1
  local option escaped
  [ -f "$page" ] || { missing "no man page packaging/man/$program.1"; return; }
  for option in $(options_of "$help"); do
    escaped=${option//-/\\-}
    grep -qF -- "$escaped" "$page" || missing "$program's man page lacks $option (as $escaped)"
    if [ -n "$completion" ]; then
      grep -qE -- "(^|[ \"|])$option([ \"|)]|$)" "$completion" ||
        missing "$program's bash completion lacks $option"
    fi
  done
  for section in OPTIONS ENVIRONMENT FILES "EXIT STATUS" "SERIAL PORTS" INTERRUPTING; do
    grep -qE "^\.SH \"?$section\"?$" "$page" || missing "$program's man page has no $section section"
  done
}

help=$(env -u DISPLAY -u WAYLAND_DISPLAY "$1" --help)
check quvane-utility "$help"
help=$("$2" --help)
check quvane "$help" "$source/packaging/bash-completion/quvane"
# The commands: the first word of each line of the Commands list.
commands=$(sed -n '/^Commands:/,/^$/p' <<<"$help" | grep -oE '^  [a-z][a-z-]*' | tr -d ' ')
[ -n "$commands" ] || missing "quvane --help lists no commands"
for command in $commands; do
  grep -qF -- "${command//-/\\-}" "$source/packaging/man/quvane.1" ||
    missing "quvane's man page lacks the command $command"
  grep -qE -- "(^|[ \"])$command([ \"|)]|$)" "$source/packaging/bash-completion/quvane" ||
    missing "quvane's bash completion lacks the command $command"
done
help=$("$3" --help)
check quvane-sim "$help" "$source/packaging/bash-completion/quvane-sim"

# The completions complete, where bash-completion is installed.
if [ -f /usr/share/bash-completion/bash_completion ]; then
  scratch=$(mktemp -d)
  trap 'rm -rf "$scratch"' EXIT
  completed=$(cd "$scratch" && touch setups.txt && bash -c '
    source /usr/share/bash-completion/bash_completion
    source "$1"/quvane; source "$1"/quvane-sim
    complete_line() {
      local function=$1; shift
      COMP_WORDS=("$@"); COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
      COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}; COMPREPLY=()
      "$function"
      echo "$* => ${COMPREPLY[*]}"
    }
    complete_line _quvane quvane ar
    complete_line _quvane quvane archive se
    complete_line _quvane quvane capture x --delimiter ""
    complete_line _quvane quvane measure --illuminant F1
    complete_line _quvane_sim quvane-sim --expo
  ' completion "$source/packaging/bash-completion" 2>&1)
  for expected in "quvane ar => archive" "quvane archive se => setups.txt" \
                  "--delimiter  => tab comma" "--illuminant F1 => F11" \
                  "quvane-sim --expo => --export-datalog"; do
    grep -qF -- "$expected" <<<"$completed" || missing "completion: no \"$expected\" in:"$'\n'"$completed"
  done
fi
[ $status -eq 0 ] && echo "docs checks passed: every --help option is in the man pages and completions"
exit $status
