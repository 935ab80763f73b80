#!/usr/bin/env bash
# The fresh-root script takes its mirror from apt's configuration alone, in
# either format, and stops with a message naming the files when there is none.
#   mirror-check.sh FRESH-ROOT-SCRIPT
set -uo pipefail
script=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0
expect() {  # expect WHAT WANT: the script's answer for the configuration in $work/etc
  local got
  got=$(APT_ETC=$work/etc "$script" --mirror 2>"$work/err")
  if [ "$got" != "$2" ]; then echo "mirror-check: $1: got '$got', want '$2'" >&2; fail=1; fi
}
setup() { rm -rf "$work/etc"; mkdir -p "$work/etc/sources.list.d"; }

setup
printf 'Types: deb\nURIs: http://security.example/debian-security http://mirror.example/debian/\nSuites: bookworm\n' \
  >"$work/etc/sources.list.d/debian.sources"
expect "deb822, the second of two addresses" "http://mirror.example/debian/"

setup
printf '# deb http://old.example/debian bookworm main\ndeb [arch=amd64 signed-by=/k.gpg] http://mirror.example/debian bookworm main\n' \
  >"$work/etc/sources.list"
expect "sources.list with options" "http://mirror.example/debian"

setup
printf 'deb http://mirror.example/ubuntu jammy main\n' >"$work/etc/sources.list"
expect "no Debian mirror" ""
grep -q "names no Debian mirror" "$work/err" || { echo "mirror-check: no message when none" >&2; fail=1; }
APT_ETC=$work/etc "$script" --mirror >/dev/null 2>&1 && { echo "mirror-check: none exits 0" >&2; fail=1; }
[ "$fail" -eq 0 ] && echo "mirror-check: passed"
exit "$fail"
