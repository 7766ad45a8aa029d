#!/bin/sh
# documented_options_test.sh QUILLET KIND FILE
#
# Every command that 'QUILLET --help' lists, and every short and long option that
# 'QUILLET --help' and 'QUILLET COMMAND --help' show, must appear in FILE, where that
# command is described:
#   KIND man   a manual page: the general options in ".SH OPTIONS", a command's options
#              in its ".SS quillet COMMAND ..." section, or in the part of ".SH COMMANDS"
#              before the first command (for what every command takes)
#   KIND bash, KIND zsh   a completion file: the general options in the function
#              _quillet, a command's options in the function _quillet_COMMAND
# The options come from the program at test time, so an option added to a command
# without its documentation fails here, by name.
set -eu
quillet=$1 kind=$2 file=$3
case $kind in man | bash | zsh) ;; *) echo "unknown KIND '$kind'" >&2; exit 2 ;; esac
[ -r "$file" ] || { echo "cannot read $file" >&2; exit 1; }

# The options a --help text shows: the lines of its "Options:" block that start with a
# dash, up to the two blanks before the description, e.g. "  -t, --type TYPE  ...".
help_options() {
  "$quillet" "$@" --help | awk '
    /^Options:/ { on = 1; next }
    on && /^$/ { on = 0 }
    on && /^ +-/ {
      head = $0; sub(/^ +/, "", head)
      cut = index(head, "  "); if (cut) head = substr(head, 1, cut - 1)
      gsub(/[,=[\]]/, " ", head)
      n = split(head, word, " ")
      for (i = 1; i <= n; i++) if (word[i] ~ /^--?[A-Za-z0-9]/) print word[i]
    }'
}

# The commands 'quillet --help' lists under "Commands:".
commands=$("$quillet" --help | awk '/^Commands:/ { on = 1; next } on && /^$/ { exit } on { print $1 }')
[ -n "$commands" ] || { echo "'$quillet --help' lists no commands" >&2; exit 1; }

# FILE as plain text: roff's font changes, escaped dashes and special characters undone.
plain=$(mktemp)
trap 'rm -f "$plain"' EXIT
if [ "$kind" = man ]; then
  sed -e 's/\\f[BIRP]//g' -e 's/\\f(..//g' -e 's/\\f\[[^]]*\]//g' -e 's/\\-/-/g' \
      -e 's/\\&//g' -e 's/\\([a-z][a-z]/ /g' -e 's/\\e/\\/g' "$file" >"$plain"
else
  cp "$file" "$plain"
fi

# The part of FILE that describes COMMAND ("" for the general options).
section() {
  if [ "$kind" = man ]; then
    awk -v command="$1" '
      { line = $0; gsub(/"/, "", line); split(line, f, " ") }
      f[1] == ".SH" { here = (command == "" && f[2] == "OPTIONS"); shared = (command != "" && f[2] == "COMMANDS"); next }
      f[1] == ".SS" { shared = 0; here = (command != "" && f[2] == "quillet" && f[3] == command); if (here) print "found"; next }
      here || shared { print }' "$plain"
  else
    awk -v name="_quillet${1:+_$1}" '
      index($0, name "()") == 1 { here = 1; print "found"; next }
      here && /^}/ { exit }
      here { print }' "$plain"
  fi
}

missing=""
for command in "" $commands; do
  text=$(section "$command")
  label=${command:-(general options)}
  if [ "$kind" = man ] && [ -n "$command" ] && ! printf '%s\n' "$text" | grep -qx found; then
    missing="$missing
  quillet $command: no section '.SS quillet $command'"
    continue
  fi
  if [ "$kind" != man ] && [ -z "$text" ]; then
    missing="$missing
  quillet ${command:-}: no function _quillet${command:+_$command}"
    continue
  fi
  options=$(help_options $command)
  printf '%s\n' "$options" | grep -qx -- --help ||
    { echo "could not read the options of 'quillet $command --help'" >&2; exit 1; }
  for option in $options; do
    printf '%s\n' "$text" | grep -Eq -- "(^|[^A-Za-z0-9-])$option(\$|[^A-Za-z0-9-])" ||
      missing="$missing
  quillet $label: $option"
  done
done

if [ -n "$missing" ]; then
  echo "$file does not document:$missing"
  exit 1
fi
echo "$file documents every command and option of $(echo $commands | wc -w) commands"
