#!/usr/bin/env bash
# The installed bash completion for tvl, driven as bash drives it: commands, options of the
# command being typed, language names asked from tvl itself, project files.
#   completion.sh BUILD_DIR
source "$(dirname "$0")/common.sh"
export LC_ALL=C
prefix=$(install_moved "$1")
framework=/usr/share/bash-completion/bash_completion
if [ ! -r "$framework" ]; then
  echo "bash-completion is not installed: nothing to check"
  exit 0
fi
mkdir "$scratch/work" && cd "$scratch/work"
mkdir folder
touch One.tvl Two.tvl notes.txt

# The words typed, the last being completed: prints the candidates sorted, one a line.
complete_words() {
  PATH="$prefix/bin:$PATH" bash -c '
    source "$1" && source "$2"
    shift 2
    COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
    COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
    _tvl tvl "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    printf "%s\n" "${COMPREPLY[@]}" | sort' _ "$framework" "$prefix/share/bash-completion/completions/tvl" "$@"
}

expect() {
  local want=$1
  shift
  local got
  got=$(complete_words "$@" | tr '\n' ' ')
  [ "$got" = "$want" ] || fail "completing '$*': got '$got', want '$want'"
}

expect "import import-exe insert " tvl i
expect "--dry-run --help --jobs --lang --module --output --source " tvl build One.tvl --
expect "json junit sarif text " tvl check One.tvl --format ""
expect "json po xliff xliff2 " tvl export One.tvl --format ""
expect "--force " tvl new One.tvl --f
expect "One.tvl Two.tvl folder " tvl build ""
expect "One.tvl Two.tvl folder notes.txt " tvl insert One.tvl ""
expect "todo " tvl export One.tvl --only t
expect "add export import lookup " tvl tm ""
expect "--memory --min-match " tvl pretranslate One.tvl --m
expect "FRA FRB FRC FRD FRE FRF FRH FRI FRL FRM FRN FRO FRR FRS " tvl build One.tvl --lang FR
expect "de-AT de-CH de-DE de-LI de-LU " tvl insert One.tvl x.exe --lang de-
# Language names come from the installed tvl: every one it lists is offered.
listed=$("$prefix/bin/tvl" --list-languages | sort -u | wc -l)
offered=$(complete_words tvl new One.tvl --source-lang "" | sort -u | wc -l)
[ "$listed" -gt 100 ] && [ "$listed" = "$offered" ] || fail "tvl lists $listed languages, completion offers $offered"
echo "completion OK"
