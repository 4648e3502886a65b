# Sessions side by side: every ./quenfold command that runs Windows programs
# joins the one Wine server and virtual display of its prefix. A keeper
# process starts both for the first session and stops the display once the
# server has gone. The kernel's locks on files in $QF_SESSION_DIR count:
#   users.lock   every session holds it shared while it lives; the kernel drops
#                a killed one's, and a free exclusive lock means no one is left
#   control      held exclusively while a session joins or leaves
#   keeper.lock  held by the keeper from its first step to its last: a keeper
#                still starting, running or stopping is never doubled
# Beside them: "display" names the display while the session can be joined,
# "keeper.pid" the last keeper, "xvfb.pid" its Xvfb (a killed keeper's is
# found and stopped by the next), "keeper.err" why a keeper could not start.
# $QF_SESSION_DIR is build/winNN/session, or $QUENFOLD_WINE_DIR/session for
# the scratch prefixes of cmake/session-checks.sh. A keeper started alone
# ends what a killed keeper left; one started while sessions still run on a
# killed keeper's server takes the server and display over. The prefix is
# made under a temporary name and renamed whole (qf_session_make_prefix).
# Beyond the session: a session holds build/.build.lock shared, so a build
# waits rather than relinks what it runs (cmake/build.sh); packages and
# benchmarks take turns on build/.package.lock and build/.bench.lock; Wine
# programs take the default TMPDIR, under which Wine finds the prefix's
# server (cmake/wine-run.sh). ./quenfold test ends with searches side by
# side and after a killed one (check_side_by_side), then starts that go
# wrong on a scratch prefix (cmake/session-checks.sh).
. "$(dirname "${BASH_SOURCE[0]}")/build.sh"

# Time limits in seconds. A first start makes the prefix (5 to 8 s alone,
# far more on a busy machine); the others are a few seconds at most.
QF_KEEPER_START_LIMIT=240
QF_KEEPER_STOP_LIMIT=20
QF_KEEPER_IDLE_LIMIT=5
QF_XVFB_START_LIMIT=10
QF_XVFB_STOP_LIMIT=5
QF_SERVER_STOP_LIMIT=20

QF_SESSION_USERS= QF_SESSION_BUILD= QF_SESSION_CONTROL=

# Joins the prefix's session, with the build lock shared meanwhile: waits for
# a keeper that is starting or stopping, or starts one.
qf_session_begin() {
  qf_wine_env
  local dir=$QF_SESSION_DIR control mode=shared limit
  mkdir -p "$dir"
  qf_hold_build && QF_SESSION_BUILD=$REPLY
  exec {control}>"$dir/control"
  flock -x "$control"
  # Set only now, so that an interrupt from here on leaves through
  # qf_session_end knowing that the control lock is its own.
  QF_SESSION_CONTROL=$control
  trap qf_session_end EXIT
  # No one else in the session: what a killed keeper left running is no one's.
  if flock -n -x "$dir/users.lock" true; then mode=alone; fi
  qf_lock -s "$dir/users.lock" && QF_SESSION_USERS=$REPLY
  limit=$((SECONDS + QF_KEEPER_START_LIMIT))
  while ! flock -n "$dir/keeper.lock" true; do
    [ -s "$dir/display" ] && break # running
    # A keeper that a killed command left starting, or one stopping.
    if ((SECONDS >= limit)); then
      echo "quenfold: the Wine session's keeper took over $QF_KEEPER_START_LIMIT s to start or stop" >&2
      return 1
    fi
    sleep 0.1
  done
  if flock -n "$dir/keeper.lock" true; then
    rm -f "$dir/keeper.err"
    read -r -t "$QF_KEEPER_START_LIMIT" _ < <(qf_close_fds &&
      exec setsid "$BASH" "${BASH_SOURCE[0]}" keep "$dir" "$mode" </dev/null 2>>"$dir/keeper.err") ||
      true
  fi
  exec {control}>&-
  QF_SESSION_CONTROL=
  if [ ! -s "$dir/display" ]; then
    local why
    why=$(tail -n1 "$dir/keeper.err" 2>/dev/null) || why=
    flock -n "$dir/keeper.lock" true || why="its keeper started none within $QF_KEEPER_START_LIMIT s"
    echo "quenfold: no virtual display or Wine server for $WINEPREFIX: ${why:-its keeper ended}" >&2
    return 1
  fi
  DISPLAY=$(cat "$dir/display")
  export DISPLAY
}

# Leaves; the last ends the server and its programs ("-k", which returns up to
# 0.25 s late) and returns once the keeper has seen it go and stopped X. A
# keeper still starting is left alone: it ends itself if no one comes.
qf_session_end() {
  local dir=$QF_SESSION_DIR control=$QF_SESSION_CONTROL killer
  QF_SESSION_CONTROL=
  if [ -z "$QF_SESSION_USERS" ]; then
    [ -z "$control" ] || exec {control}>&-
    return 0
  fi
  if [ -z "$control" ]; then
    exec {control}>"$dir/control"
    flock -x "$control"
  fi
  exec {QF_SESSION_USERS}>&- {QF_SESSION_BUILD}>&-
  QF_SESSION_USERS=
  if flock -n -x "$dir/users.lock" true && [ -s "$dir/display" ]; then
    rm -f "$dir/display" # no one joins a session that is ending
    env -u TMPDIR wineserver -k >/dev/null 2>&1 &
    killer=$!
    flock -w "$QF_KEEPER_STOP_LIMIT" "$dir/keeper.lock" true || true
    kill "$killer" 2>/dev/null || true
    wait "$killer" 2>/dev/null || true
    # A killed keeper's display, if no keeper was left to stop it.
    if flock -n "$dir/keeper.lock" true; then qf_session_stop_xvfb "$dir"; fi
  fi
  exec {control}>&-
}

# The pid of the Xvfb a keeper of DIR started, if it still runs (REPLY).
qf_session_xvfb() {
  REPLY=$(cat "$1/xvfb.pid" 2>/dev/null) || REPLY=
  [ -n "$REPLY" ] && [ "$(cat "/proc/$REPLY/comm" 2>/dev/null)" = Xvfb ] || REPLY=
}
qf_session_stop_xvfb() {
  local n
  qf_session_xvfb "$1"
  if [ -n "$REPLY" ]; then
    kill "$REPLY" 2>/dev/null || true
    for ((n = 0; n < QF_XVFB_STOP_LIMIT * 20; n++)); do
      kill -0 "$REPLY" 2>/dev/null || break
      sleep 0.05
    done
  fi
  rm -f "$1/xvfb.pid"
}

# The prefix is made under a temporary name and renamed once Wine's boot has
# ended with its server, so that it exists only whole; a start killed on the
# way leaves the temporary one, which the next start removes.
qf_session_make_prefix() {
  [ -s "$WINEPREFIX/system.reg" ] && return 0
  local new=$WINEPREFIX.new
  if [ -d "$WINEPREFIX" ]; then
    echo "quenfold: $WINEPREFIX is incomplete; it is made again" >&2
    mv "$WINEPREFIX" "$WINEPREFIX.old.$$" && rm -rf "$WINEPREFIX.old.$$"
  fi
  if [ -d "$new" ]; then
    WINEPREFIX=$new timeout "$QF_SERVER_STOP_LIMIT" wineserver -k >/dev/null 2>&1 || true
    rm -rf "$new"
  fi
  # The first program boots the prefix (no wineboot: a second boot starts a
  # second service manager, and RPC never comes). Xvfb has no window manager:
  # unmanaged windows spare Wine's 2 s wait for one at each top-level hide.
  if ! WINEPREFIX=$new wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
    >/dev/null 2>&1 || ! WINEPREFIX=$new timeout "$QF_SERVER_STOP_LIMIT" wineserver -w; then
    echo "quenfold: Wine could not make the prefix $WINEPREFIX" >&2
    return 1
  fi
  mv "$new" "$WINEPREFIX"
}

# Japanese Windows draws dialogs in MS UI Gothic: Wine substitutes that face
# for "MS Shell Dlg" at code page 932 (FontSubstitutes, which it rewrites when
# the code page changes) but lacks it, and falls back to a fixed-width gothic
# that clips the dialogs' texts. Each Japanese UI face is replaced by the
# installed IPA face of like metrics (proportional or fixed); every Wine
# process reads the replacements as it starts.
qf_font_replacements=("MS UI Gothic=IPAPGothic" "MS PGothic=IPAPGothic"
  "Meiryo UI=IPAPGothic" "MS Gothic=IPAGothic")

# Writes the replacements into a prefix that lacks them (a new one, or one an
# older checkout made) before the session's first program. The prefix's
# registry file tells: a keeper that starts alone has ended the last server,
# which saved it; where it lags (a server taken over), they are written again.
qf_session_fonts() {
  local dir=$1 entry line have want=() missing=
  for entry in "${qf_font_replacements[@]}"; do want+=("\"${entry%%=*}\"=\"${entry#*=}\""); done
  have=$(awk '/^\[/ { keep = index($0, "[Software\\\\Wine\\\\Fonts\\\\Replacements]") == 1 } keep' \
    "$WINEPREFIX/user.reg" 2>/dev/null) || have=
  for line in "${want[@]}"; do
    [[ $'\n'$have$'\n' == *$'\n'"$line"$'\n'* ]] || missing=1
  done
  [ -n "$missing" ] || return 0
  printf '%s\n' REGEDIT4 '' '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' "${want[@]}" \
    >"$dir/fonts.reg"
  wine reg import "$(qf_winpath "$dir/fonts.reg")" >/dev/null 2>&1 ||
    echo "quenfold: the Japanese font replacements could not be written into $WINEPREFIX" >&2
}

# The keeper, run detached as "session.sh keep DIR alone|shared": Xvfb, the
# persistent server and the first programs; prints the display once they run,
# and stops the display (by the pid it started) once the server or the
# display ends. Started alone, it first ends what a killed keeper left; shared
# (sessions still run on a killed keeper's server), it takes them over.
qf_session_keep() {
  local dir=$1 keeper
  trap '' PIPE # a starter killed before it read the line does not end the keeper
  unset TMPDIR # Wine's server is found under it (cmake/wine-run.sh)
  export LANG=ja_JP.UTF-8 LOCPATH=$QUENFOLD_LOCPATH
  exec {keeper}>"$dir/keeper.lock"
  flock -x "$keeper"
  echo $$ >"$dir/keeper.pid"
  # The programs it starts do not inherit the lock (bash keeps it on a
  # descriptor closed at exec): a killed keeper's lock goes with it.
  qf_session_serve "$@" {keeper}>&-
}
qf_session_serve() {
  local dir=$1 mode=$2 control xvfb server adopted= n
  qf_session_xvfb "$dir"
  if [ "$mode" = shared ] && [ -n "$REPLY" ] && [ -s "$dir/display" ]; then
    xvfb=$REPLY adopted=1
    DISPLAY=$(cat "$dir/display")
  else
    qf_session_stop_xvfb "$dir"
    rm -f "$dir/display" "$dir/display.new"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$dir/display.new" >/dev/null 2>&1 &
    xvfb=$!
    echo "$xvfb" >"$dir/xvfb.pid"
    for ((n = 0; n < QF_XVFB_START_LIMIT * 20; n++)); do
      [ -s "$dir/display.new" ] && break
      sleep 0.05
    done
    if [ ! -s "$dir/display.new" ]; then
      echo "quenfold: Xvfb named no display within $QF_XVFB_START_LIMIT s" >&2
      kill "$xvfb"
      return 1
    fi
    DISPLAY=:$(head -n1 "$dir/display.new")
    # A server no session uses (a killed keeper's, or one that a killed
    # command's program started) goes, with its programs.
    { wineserver -k; timeout "$QF_SERVER_STOP_LIMIT" wineserver -w; } >/dev/null 2>&1 || true
  fi
  export DISPLAY
  qf_session_make_prefix || { [ -n "$adopted" ] || kill "$xvfb"; return 1; }
  wineserver -p >/dev/null 2>&1 || true # taken over, it runs already
  qf_session_fonts "$dir"
  # The desktop lives while programs follow each other within a second.
  wine rundll32.exe user32.dll,GetDesktopWindow >/dev/null 2>&1
  echo "$DISPLAY" >"$dir/display"
  echo "$DISPLAY" 2>/dev/null
  exec >/dev/null
  wineserver -w >/dev/null 2>&1 &
  server=$!
  # A starter killed while this one started leaves no one to end the server:
  # unless a session joins within QF_KEEPER_IDLE_LIMIT s, it ends here. A
  # session that holds the control lock is joining or leaving, and the last
  # to leave ends the server itself.
  exec {control}>"$dir/control"
  for ((n = 1; n <= QF_KEEPER_IDLE_LIMIT * 10; n++)); do
    kill -0 "$server" 2>/dev/null || break
    if flock -n -x "$control"; then
      flock -n -x "$dir/users.lock" true || break # joined
      if ((n == QF_KEEPER_IDLE_LIMIT * 10)); then
        rm -f "$dir/display"
        wineserver -k >/dev/null 2>&1 || true
      fi
      flock -u "$control"
    fi
    sleep 0.1
  done
  exec {control}>&-
  if [ -n "$adopted" ]; then wait "$server"; else wait -n "$server" "$xvfb"; fi || true
  rm -f "$dir/display" "$dir/display.new"
  wineserver -k >/dev/null 2>&1 || true
  kill "$server" 2>/dev/null || true
  wait "$server" 2>/dev/null || true
  if [ -n "$adopted" ]; then
    qf_session_stop_xvfb "$dir"
  else
    kill "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
    rm -f "$dir/xvfb.pid"
  fi
}

# A command in a session of its own with only the standard descriptors: what
# outlives its starter holds no lock and no caller's pipe, and no interrupt of
# the starter reaches it. qf_detached_bg leaves its pid in QF_DETACHED_PID.
qf_close_fds() { local n; for ((n = 3; n < 256; n++)); do eval "exec $n>&-"; done 2>/dev/null; }
qf_detached_bg() {
  (qf_close_fds && exec setsid "$@") &
  QF_DETACHED_PID=$!
}

if [ "${BASH_SOURCE[0]}" = "$0" ] && [ "${1:-}" = keep ]; then qf_session_keep "$2" "$3"; fi
