# bash completion for quillet, Quillet Maker's command-line converter.   -*- shell-script -*-
# Installed as share/bash-completion/completions/quillet. Uses bash alone (no helpers from
# the bash-completion package), so it also works when sourced by hand.
#
# One function per command, _quillet_COMMAND, lists every option of 'quillet COMMAND
# --help' (tests/docs/ checks that against the built program).

# __quillet_files CUR ENDING...: files whose ending (in any case) is one of ENDINGs, and
# folders to go into. No ENDING: every file.
__quillet_files() {
  local cur=$1 path ending IFS=$'\n'
  shift
  compopt -o filenames 2>/dev/null
  for path in $(compgen -f -- "$cur"); do
    if [[ -d $path || $# -eq 0 ]]; then
      COMPREPLY+=("$path")
      continue
    fi
    [[ $path == *.* ]] || continue
    ending=${path##*.}
    ending=${ending,,}
    for want; do
      if [[ $ending == "$want" ]]; then
        COMPREPLY+=("$path")
        break
      fi
    done
  done
}

# __quillet_words CUR WORD...: the WORDs that start with CUR.
__quillet_words() {
  local cur=$1 IFS=$'\n'
  shift
  COMPREPLY+=($(compgen -W "$*" -- "$cur"))
}

_quillet_build() {
  case $2 in
    -t | --type) __quillet_words "$1" text html doc blank; return ;;
    -o | --output) __quillet_files "$1" pdb; return ;;
    -n | --name | -j | --jobs | --bookmark | --bookmark-levels) return ;;
    --charset) __quillet_words "$1" utf-8 utf-16 utf-16le utf-16be windows-1252 iso-8859-1; return ;;
  esac
  case $1 in
    -*) __quillet_words "$1" -t --type -o --output -n --name -s --strip --public --salvage \
          --no-verify -j --jobs --bookmarks --bookmark --bookmark-levels --no-bookmarks \
          --classic --charset --strict -q --quiet -v --verbose -h --help ;;
    *) __quillet_files "$1" txt text htm html pdb prc ;;
  esac
}

_quillet_import() {
  case $2 in
    -o | --output | --bookmarks-file) __quillet_files "$1"; return ;;
    --to) __quillet_words "$1" utf-8 windows-1252; return ;;
  esac
  case $1 in
    -*) __quillet_words "$1" -o --output --salvage --bookmarks --bookmarks-file --to -q \
          --quiet -v --verbose -h --help ;;
    *) __quillet_files "$1" pdb prc ;;
  esac
}

_quillet_html() {
  case $2 in
    -o | --output) __quillet_files "$1"; return ;;
    --charset) __quillet_words "$1" utf-8 utf-16 utf-16le utf-16be windows-1252 iso-8859-1; return ;;
  esac
  case $1 in
    -*) __quillet_words "$1" -o --output --public --no-title --classic --charset --strict -q \
          --quiet -v --verbose -h --help ;;
    *) __quillet_files "$1" htm html ;;
  esac
}

_quillet_info() {
  case $2 in
    -o | --output) __quillet_files "$1"; return ;;
  esac
  case $1 in
    -*) __quillet_words "$1" -o --output -q --quiet -v --verbose -h --help ;;
    *) __quillet_files "$1" pdb prc ;;
  esac
}

_quillet_install() {
  case $2 in
    -u | --user) return ;;
  esac
  case $1 in
    -*) __quillet_words "$1" -u --user -q --quiet -v --verbose -h --help ;;
    *) __quillet_files "$1" pdb prc ;;
  esac
}

_quillet_users() {
  __quillet_words "$1" -q --quiet -v --verbose -h --help
}

_quillet_settings() {
  __quillet_words "$1" -q --quiet -v --verbose -h --help
}

_quillet() {
  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
  COMPREPLY=()
  # --option=VALUE: bash splits it at the '=' into three words.
  if [[ $cur == = ]]; then
    cur=
  elif [[ $prev == = && $COMP_CWORD -ge 2 ]]; then
    prev=${COMP_WORDS[COMP_CWORD - 2]}
  fi
  if ((COMP_CWORD == 1)); then
    __quillet_words "$cur" build import html info install users settings help \
      -h --help --version
    return
  fi
  local command=${COMP_WORDS[1]}
  if declare -F "_quillet_$command" >/dev/null; then
    "_quillet_$command" "$cur" "$prev"
  fi
}

complete -F _quillet quillet
