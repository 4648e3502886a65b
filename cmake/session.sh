# Sessions side by side: every ./quenfold command that runs Windows programs
# joins the one Wine server and virtual display of its build's prefix. A
# keeper process starts both for the first session and stops the display once
# the server has gone. The kernel's locks on files in $QF_WIN/session count:
#   users.lock   every session holds it shared while it lives; the kernel drops
#                a killed one's, and a free exclusive lock means no one is left
#   control      held exclusively while a session joins or leaves
#   keeper.lock  held by the keeper while its display and server run
. "$(dirname "${BASH_SOURCE[0]}")/build.sh"
QF_SESSION_USERS= QF_SESSION_BUILD=

# Joins the build prefix's session, with the build lock shared meanwhile. The
# first starts the keeper, detached (qf_detached) but for its line's pipe.
qf_session_begin() {
  qf_wine_env
  trap qf_session_end EXIT
  local dir=$QF_WIN/session control
  mkdir -p "$dir" "$WINEPREFIX"
  qf_hold_build && QF_SESSION_BUILD=$REPLY
  qf_lock -s "$dir/users.lock" && QF_SESSION_USERS=$REPLY
  exec {control}>"$dir/control"
  flock -x "$control"
  for _ in {1..400}; do # a keeper a killed command left starting, or one stopping
    [ -s "$dir/display" ] || flock -n "$dir/keeper.lock" true && break
    sleep 0.05
  done
  if flock -n "$dir/keeper.lock" true; then
    read -r -t 300 _ < <(qf_close_fds && exec setsid "$BASH" "${BASH_SOURCE[0]}" keep "$dir" \
      </dev/null 2>/dev/null) || true
  fi
  exec {control}>&-
  [ -s "$dir/display" ] || { echo "quenfold: no virtual display or Wine server" >&2; return 1; }
  export DISPLAY=$(cat "$dir/display")
}

# Leaves; the last ends the server and its programs ("-k", which returns up to
# 0.25 s late) and returns once the keeper has seen it go ("-w") and stopped X.
qf_session_end() {
  [ -n "$QF_SESSION_USERS" ] || return 0
  local dir=$QF_WIN/session control killer
  exec {control}>"$dir/control"
  flock -x "$control"
  exec {QF_SESSION_USERS}>&- {QF_SESSION_BUILD}>&-
  QF_SESSION_USERS=
  if flock -n -x "$dir/users.lock" true; then
    env -u TMPDIR wineserver -k >/dev/null 2>&1 &
    killer=$!
    flock -w 20 "$dir/keeper.lock" true || true
    kill "$killer" 2>/dev/null || true
    wait "$killer" 2>/dev/null || true
  fi
  exec {control}>&-
}

# The keeper, run detached as "session.sh keep DIR": Xvfb, the persistent
# server and the first programs; prints the display once they run, and stops
# the display (by the pid it started) once the server or the display ends.
qf_session_keep() {
  local dir=$1 xvfb server keeper
  trap '' PIPE # a starter killed before it read the line does not end the keeper
  unset TMPDIR # Wine's server is found under it (cmake/wine-run.sh)
  export LANG=ja_JP.UTF-8 LOCPATH=$QUENFOLD_LOCPATH
  rm -f "$dir/display" "$dir/display.new"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$dir/display.new" >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 1 200); do [ -s "$dir/display.new" ] && break; sleep 0.05; done
  [ -s "$dir/display.new" ] || { kill "$xvfb"; return 1; }
  export DISPLAY=:$(head -n1 "$dir/display.new")
  # A server without a keeper (a killed command's program may start one) goes.
  wineserver -p >/dev/null 2>&1 ||
    { wineserver -k; timeout 20 wineserver -w; wineserver -p; } >/dev/null 2>&1
  # The first program boots the prefix (no wineboot: a second boot starts a
  # second service manager, and RPC never comes). Xvfb has no window manager:
  # unmanaged windows spare Wine's 2 s wait for one at each top-level hide.
  grep -qx '"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null ||
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  # The desktop lives while programs follow each other within a second.
  wine rundll32.exe user32.dll,GetDesktopWindow >/dev/null 2>&1
  exec {keeper}>"$dir/keeper.lock"
  flock -x "$keeper"
  echo "$DISPLAY" >"$dir/display"
  echo "$DISPLAY" 2>/dev/null
  exec >/dev/null
  wineserver -w >/dev/null 2>&1 &
  server=$!
  wait -n "$server" "$xvfb" || true
  rm -f "$dir/display" "$dir/display.new"
  wineserver -k >/dev/null 2>&1 || true
  kill "$xvfb" "$server" 2>/dev/null || true
  wait "$xvfb" "$server" 2>/dev/null || true
}

# A command in a session of its own with only the standard descriptors: what
# outlives its starter holds no lock and no caller's pipe, and no interrupt of
# the starter reaches it. qf_detached_bg leaves its pid in QF_DETACHED_PID.
qf_close_fds() { local n; for ((n = 3; n < 256; n++)); do eval "exec $n>&-"; done 2>/dev/null; }
qf_detached() { (qf_close_fds && exec setsid "$@"); }
qf_detached_bg() {
  (qf_close_fds && exec setsid "$@") &
  QF_DETACHED_PID=$!
}

if [ "${BASH_SOURCE[0]}" = "$0" ] && [ "${1:-}" = keep ]; then qf_session_keep "$2"; fi
