#!/usr/bin/env bash
# Two people, one schedule, as two machines would be: two real copies of the
# program, each with its own X server, settings, state and runtime folders,
# and an outside writer. Typed at with xdotool; files compared byte for byte.
# usage: sharing-e2e.sh VINTA VINTA_KTS
set -euo pipefail
vinta=$1 kts=$2
work=$(mktemp -d)
trap 'kill -9 $(jobs -p) $(cat "$work/servers" 2>/dev/null) 2>/dev/null || true; rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=xcb

fail() {
  echo "sharing-e2e: $*" >&2
  [ -z "${E2E_SHOT:-}" ] || DISPLAY=:$xa import -window root "$E2E_SHOT" || true
  exit 1
}
# Polls a condition for at most 45 seconds: a loaded machine starts a program slowly.
until_true() { for _ in $(seq 450); do eval "$1" && return 0; sleep 0.1; done; fail "timed out: $1"; }

# An X server on a free display; prints its number. -noreset: when a test
# closes its program no client is left, and a server resetting then would
# refuse the next program started on it.
start_x() {
  local fifo n
  fifo=$work/displayfd; mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -r -noreset -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  echo $! >>"$work/servers"
  read -r n <"$fifo"; rm -f "$fifo"; echo "$n"
}
xa=$(start_x) xb=$(start_x)

# A machine: its own copy of the program (its VINTA.ini lives beside it),
# state, runtime folder and display.
machine() {
  local m=$1
  mkdir -p "$work/$m/state" && mkdir -m 700 "$work/$m/run"
  cp "$vinta" "$work/$m/vinta"
  printf '[OPT]\nFileName=%s\n[ENV]\nX=0\nY=0\nW=800\nH=500\n' "$work/share/plan.kts" >"$work/$m/VINTA.ini"
}
# The environment of machine $1.
vars() {
  local d; [ "$1" = a ] && d=$xa || d=$xb
  echo "DISPLAY=:$d XDG_STATE_HOME=$work/$1/state VINTA_RUNTIME_DIR=$work/$1/run XDG_CONFIG_HOME=$work/$1/config"
}
# Runs a command on machine $1.
on() { local m=$1; shift; env $(vars "$m") "$@"; }
window() { on "$1" xdotool search --onlyvisible --name "$2" 2>/dev/null | head -1 || true; }
title() { on "$1" xdotool getwindowname "$(window "$1" "Vinta - ")" 2>/dev/null || true; }
# No window manager hands out focus, so the test does. A focus change that
# never comes (a window not yet mapped on a loaded machine) must not hang the
# test: each try is bounded and the window looked up again.
press() {
  local m=$1 w=$2; shift 2
  for _ in 1 2 3; do
    timeout 30 env $(vars "$m") xdotool windowfocus --sync "$(window "$m" "$w")" key "$@" && return 0
    sleep 0.2
  done
  fail "could not type $* into $w"
}
start() { env $(vars "$1") "$work/$1/vinta" & eval "pid_$1=\$!"; }
exited() { ! ps -o stat= -p "$1" | grep -qv Z; }
lock_pid() { sed -n 's/^pid=//p' "$work/share/.~lock.plan.kts#" 2>/dev/null || true; }
dump() { "$kts" dump "$1" | md5sum; }

mkdir "$work/share"
"$kts" generate --rows 5 "$work/share/plan.kts"
"$kts" generate --rows 9 --seed 2 "$work/theirs.kts"
machine a; machine b

# A opens the schedule and locks it.
start a
until_true '[ -n "$(window a "Vinta - ")" ]'
until_true '[ "$(lock_pid)" = "$pid_a" ]'
grep -q "^user=$(id -un)$" "$work/share/.~lock.plan.kts#" || fail "the lock does not name the user"
grep -q "^host=$(uname -n)$" "$work/share/.~lock.plan.kts#" || fail "the lock does not name the host"

# B is told who has it open; Enter opens it read-only.
start b
until_true '[ -n "$(window b "使用中のファイル")" ]'
press b "使用中のファイル" Return
until_true '[[ "$(title b)" == *"読み取り専用"* ]]'
[ "$(lock_pid)" = "$pid_a" ] || fail "read-only took the lock"

# An outside writer replaces the file while A has unsaved work: A asks, and
# keeping the work leaves their file byte for byte, also through a save's Cancel.
on a xdotool mousemove 120 160 click 1
press a "Vinta - " shift+Insert
cp "$work/theirs.kts" "$work/share/plan.kts"
until_true '[ -n "$(window a "ファイルの変更")" ]'
press a "ファイルの変更" Return
press a "Vinta - " ctrl+s
until_true '[ -n "$(window a "上書き保存")" ]'
press a "上書き保存" Return
until_true '[ -z "$(window a "上書き保存")" ]'
cmp -s "$work/theirs.kts" "$work/share/plan.kts" || fail "Cancel wrote over their file"
# Writing over it is the user's explicit choice: shift+Tab twice from Cancel.
press a "Vinta - " ctrl+s
until_true '[ -n "$(window a "上書き保存")" ]'
press a "上書き保存" shift+Tab shift+Tab space
until_true '! cmp -s "$work/theirs.kts" "$work/share/plan.kts"'
until_true '[ -z "$(window a "上書き保存")" ]'
[ "$(lock_pid)" = "$pid_a" ] || fail "A lost its lock"

# A killed program's lock is stale: B, started again, takes it over unasked.
kill -9 "$pid_a"; wait "$pid_a" 2>/dev/null || true
press b "Vinta - " ctrl+q
until_true 'exited "$pid_b"'
[ "$(lock_pid)" = "$pid_a" ] || fail "B removed a lock that was not its own"
start b
until_true '[ -n "$(window b "Vinta - ")" ]'
until_true '[ "$(lock_pid)" = "$pid_b" ]'
[ -z "$(window b "使用中のファイル")" ] || fail "a stale lock was asked about"
[[ "$(title b)" != *"読み取り専用"* ]] || fail "a stale lock left the schedule read-only"

# A clean exit leaves the folder as it was before.
press b "Vinta - " ctrl+q
until_true 'exited "$pid_b"'
wait "$pid_b" || fail "B ended with status $?"
left=$(ls -A "$work/share")
[ "$left" = "plan.kts" ] || fail "left in the folder: $left"
echo "sharing-e2e: passed"
