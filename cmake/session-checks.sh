#!/usr/bin/env bash
# cmake/session-checks.sh ALONE.TSV: sessions whose first start goes wrong, on
# a scratch prefix of their own (the build's stays; a fresh one costs 5 to
# 8 s). Every search must list the rows of ALONE.TSV, and once the last has
# ended no keeper, display or server of the scratch prefix may be left.
#  1. two searches side by side on a fresh prefix;
#  2. first starts killed outright at several moments, the last while it
#     makes the prefix, then two searches side by side;
#  3. a Ctrl-C and a SIGTERM during a start, each ending its command within
#     seconds, then a search;
#  4. a keeper killed while a command's program runs, then a search.
set -euo pipefail
QF_ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$QF_ROOT/cmake/session.sh"
alone=$1

# Seconds a command may take to end after a Ctrl-C or SIGTERM, and to wait
# for what a step waits on (a start underway, a prefix being made).
QF_SIGNAL_END_LIMIT=5
QF_STEP_LIMIT=120

work=$(mktemp -d "$QF_BUILD/session-checks.XXXXXX")
export QUENFOLD_WINE_DIR=$work/wine
session=$QUENFOLD_WINE_DIR/session prefix=$QUENFOLD_WINE_DIR/wineprefix
status=0

# Whatever a failed step left running goes with the scratch folder.
cleanup() {
  set +e
  flock -n "$session/keeper.lock" true 2>/dev/null || kill -9 "$(cat "$session/keeper.pid")"
  qf_session_stop_xvfb "$session"
  for p in "$prefix" "$prefix.new"; do
    [ ! -d "$p" ] || env -u TMPDIR WINEPREFIX="$p" timeout 20 wineserver -k >/dev/null 2>&1
  done
  rm -rf "$work"
}
trap cleanup EXIT

search() {
  local tsv=$1
  shift
  "$QF_ROOT/devhost/run-search.sh" "$QF_ROOT/samples/mail" --sort date --tsv "$work/$tsv" "$@"
}

# A search started as a terminal starts it, in a process group of its own
# (its shell's PID in REPLY), so that the group can be killed or interrupted
# as a whole.
search_as_job() {
  set -m
  "$QF_ROOT/devhost/run-search.sh" "$QF_ROOT/samples/mail" --sort date --tsv "$work/$1" \
    >>"$work/jobs.log" 2>&1 &
  REPLY=$!
  set +m
}

# Waits up to QF_STEP_LIMIT s for a shell condition.
wait_for() {
  local limit=$((SECONDS + QF_STEP_LIMIT))
  until eval "$1"; do
    ((SECONDS < limit)) || return 1
    sleep 0.02
  done
}

# Both searches side by side list the rows of one alone.
side_by_side() {
  local a b ok=0
  rm -f "$work/a.tsv" "$work/b.tsv"
  search a.tsv & a=$!
  search b.tsv --comctl 5 & b=$!
  wait "$a" || ok=1
  wait "$b" || ok=1
  [ "$ok" = 0 ] && cmp -s "$alone" "$work/a.tsv" && cmp -s "$alone" "$work/b.tsv"
}

# No keeper, no display and no server of the scratch prefix.
nothing_left() {
  flock -n "$session/keeper.lock" true || {
    echo "  a keeper is left: $(ps -o pid=,args= -g "$(cat "$session/keeper.pid")" | tr '\n' ';')" >&2
    return 1
  }
  qf_session_xvfb "$session"
  [ -z "$REPLY" ] || { echo "  an Xvfb is left" >&2; return 1; }
  env -u TMPDIR WINEPREFIX="$prefix" timeout 5 wineserver -w ||
    { echo "  a Wine server is left" >&2; return 1; }
}

report() { # report OK TEXT
  if [ "$1" = 0 ]; then echo "$2: ok"; else echo "$2: FAILED"; status=1; fi
}

# 1. Fresh: one search makes the prefix while the other waits for it.
start=$SECONDS
ok=0
side_by_side && nothing_left || ok=1
report $ok "two searches at once on a fresh prefix ($((SECONDS - start)) s)"

# 2. Killed outright 0.5 s and 1.5 s after their start, then a third with
# its keeper and the prefix's Wine while the prefix is being made (the
# keeper's Xvfb is left behind). Wine alone stays killed.
rm -rf "$prefix"
start=$SECONDS
ok=0
for moment in 0.5 1.5; do
  search_as_job killed.tsv
  sleep "$moment"
  kill -9 -- "-$REPLY" 2>/dev/null || true # unless it has ended already
  wait "$REPLY" 2>/dev/null || true
done
search_as_job killed.tsv
if wait_for '[ -d "$prefix.new/drive_c" ] || [ -d "$prefix/drive_c" ]'; then
  sleep 1
  kill -9 -- "-$REPLY" 2>/dev/null || true # unless it has ended already
  wait "$REPLY" 2>/dev/null || true
  flock -n "$session/keeper.lock" true || kill -9 "$(cat "$session/keeper.pid")" || true
  qf_session_xvfb "$session" && leaked=$REPLY
  for p in "$prefix" "$prefix.new"; do
    [ ! -d "$p" ] || env -u TMPDIR WINEPREFIX="$p" timeout 20 wineserver -k >/dev/null 2>&1 || true
  done
  side_by_side && nothing_left && ! kill -0 "${leaked:-0}" 2>/dev/null || ok=1
else
  ok=1
fi
report $ok "a first start killed at 0.5 s, 1.5 s and while making the prefix, then two searches at once ($((SECONDS - start)) s)"

# 3. A terminal's Ctrl-C goes to the command's group, timeout's SIGTERM to
# the command alone; either comes while the keeper starts (the command has
# joined, and the keeper's start takes a second or more).
for signal in INT TERM; do
  ok=0
  wait_for 'flock -n "$session/keeper.lock" true' || ok=1 # the last one's keeper gone
  search_as_job signalled.tsv
  wait_for '! flock -n -x "$session/users.lock" true || ! kill -0 "$REPLY" 2>/dev/null' || ok=1
  sleep 0.3
  if [ "$signal" = INT ]; then kill -INT -- "-$REPLY"; else kill -TERM "$REPLY"; fi || ok=1
  sent=$EPOCHREALTIME
  for ((n = 0; n < QF_SIGNAL_END_LIMIT * 20; n++)); do
    kill -0 "$REPLY" 2>/dev/null || break
    sleep 0.05
  done
  took=$(awk -v a="$sent" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.1f", b - a }')
  if kill -0 "$REPLY" 2>/dev/null; then
    ok=1
    kill -9 -- "-$REPLY"
  fi
  wait "$REPLY" 2>/dev/null || true
  report $ok "SIG$signal during a start ended the command in $took s (limit $QF_SIGNAL_END_LIMIT s)"
done
ok=0
search after.tsv || ok=1
cmp -s "$alone" "$work/after.tsv" && nothing_left || ok=1
report $ok "a search after them: the rows of one alone, nothing left running"

# 4. A keeper killed while a command's program runs: the next command takes
# its display and server over rather than ending them, and the program runs
# to its end.
ok=0
wait_for 'flock -n "$session/keeper.lock" true' || ok=1
(qf_session_begin && "$QF_ROOT/cmake/wine-run.sh" cmd /c "ping -n 6 127.0.0.1 >nul") \
  >/dev/null 2>&1 &
held=$!
if wait_for '[ -s "$session/display" ]'; then
  qf_session_xvfb "$session" && shown=$REPLY
  kill -9 "$(cat "$session/keeper.pid")"
  search adopted.tsv && cmp -s "$alone" "$work/adopted.tsv" || ok=1
  wait "$held" || ok=1
  nothing_left && ! kill -0 "${shown:-0}" 2>/dev/null || ok=1
else
  ok=1
fi
report $ok "a keeper killed while a program runs: a search after it, and the program ends well"
exit $status
