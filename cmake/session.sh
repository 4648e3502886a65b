# Shared by ./quenfold and the scripts it runs: paths, setup checks, and a
# Wine + Xvfb session that is ended when the calling shell exits.
QF_ROOT=${QF_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
QF_BUILD=${QUENFOLD_BUILD:-$QF_ROOT/build}
QF_NATIVE=$QF_BUILD/native

# The Windows build the tests run: 32-bit where the kernel runs 32-bit
# programs (and so 32-bit Wine), else the same code built for 64-bit Wine.
# The 32-bit DLL is built in either case; it is what users install.
qf_select_arch() {
  if [ -n "${QUENFOLD_ARCH:-}" ]; then
    QF_ARCH=$QUENFOLD_ARCH
  elif /usr/lib/wine/wine --version >/dev/null 2>&1; then
    QF_ARCH=32
  else
    QF_ARCH=64
  fi
  QF_WIN=$QF_BUILD/win$QF_ARCH
  QF_WIN32=$QF_BUILD/win32
  if [ "$QF_ARCH" = 32 ]; then
    QF_WINE_LOADER=/usr/lib/wine/wine QF_WINEARCH=win32
  else
    QF_WINE_LOADER=/usr/lib/wine/wine64 QF_WINEARCH=win64
  fi
  export QF_WINE_LOADER
}
qf_select_arch
QF_JOBS=${QUENFOLD_JOBS:-2}

# The same names on Debian 12 and 13: where a package's name carries a
# version, its release-neutral name (libclang-rt-dev: clang 14's or 19's).
qf_packages=(cmake ninja-build g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
             g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32
             wine wine32:i386 wine64 xvfb googletest
             fonts-ipafont-gothic locales imagemagick g++ clang libclang-rt-dev python3
             python3-pefile git x11-utils valgrind)
# Debian's interpreter, which has python3-pefile, whatever python3 is first on PATH.
QF_PYTHON=/usr/bin/python3

# One dpkg-query for the whole list: a call per package costs half a second.
qf_missing() {
  local installed p missing=()
  installed=" $(dpkg-query -W -f='${Package} ${Package}:${Architecture} ${Status}\n' \
    "${qf_packages[@]}" 2>/dev/null |
    awk '$3 " " $4 " " $5 == "install ok installed" { printf "%s %s ", $1, $2 }')"
  for p in "${qf_packages[@]}"; do
    [[ $installed == *" $p "* ]] || missing+=("$p")
  done
  echo "${missing[@]}"
}

qf_setup() {
  local missing
  missing=$(qf_missing)
  if [ -n "$missing" ]; then
    echo "quenfold: installing $missing"
    dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
    apt-get update -q
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
  fi
  qf_locale
  qf_select_arch
}

# Code page 932 needs a generated Japanese locale.
qf_locale() {
  export QUENFOLD_LOCPATH=$QF_BUILD/locale
  if [ ! -d "$QUENFOLD_LOCPATH/ja_JP.UTF-8" ]; then
    mkdir -p "$QUENFOLD_LOCPATH"
    localedef -i ja_JP -f UTF-8 "$QUENFOLD_LOCPATH/ja_JP.UTF-8" 2>/dev/null || true
  fi
}

# qf_configure_win [DIR [ARCH [CMAKE_ARGS...]]]
qf_configure_win() {
  local dir=${1:-$QF_WIN} arch=${2:-$QF_ARCH}
  shift $(($# < 2 ? $# : 2))
  [ -f "$dir/build.ninja" ] && return 0
  local toolchain=toolchain-mingw-i686.cmake
  [ "$arch" = 64 ] && toolchain=toolchain-mingw-x86_64.cmake
  cmake -S "$QF_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=${QF_BUILD_TYPE:-RelWithDebInfo} \
    -DCMAKE_TOOLCHAIN_FILE="$QF_ROOT/cmake/$toolchain" "$@" >/dev/null
}

# The DLLs alone, with the win32 thread-model compiler (cmake/plugin_build.cmake).
qf_configure_plugin() {
  local dir=$1 arch=$2
  # A folder configured before the DLLs had a build of their own holds the
  # posix-model compiler: start it afresh.
  if [ -f "$dir/CMakeCache.txt" ] && ! grep -q '^QF_PLUGIN_BUILD:BOOL=ON' "$dir/CMakeCache.txt"; then
    rm -rf "$dir"
  fi
  qf_configure_win "$dir" "$arch" -DQF_THREAD_MODEL=win32 -DQF_PLUGIN_BUILD=ON
}

qf_configure_native() {
  [ -f "$QF_NATIVE/build.ninja" ] && return 0
  CC=clang CXX=clang++ cmake -S "$QF_ROOT" -B "$QF_NATIVE" -G Ninja \
    -DCMAKE_BUILD_TYPE=Debug >/dev/null
}

# Commands side by side build the same folders one at a time.
qf_build() {
  mkdir -p "$QF_BUILD"
  local lock
  exec {lock}>"$QF_BUILD/.build.lock"
  flock "$lock"
  qf_build_locked
  exec {lock}>&-
}

qf_build_locked() {
  qf_configure_win
  cmake --build "$QF_WIN" -j "$QF_JOBS"
  if [ "$QF_ARCH" != 32 ]; then
    # The plug-in users install, and its host, in 32 bits.
    qf_configure_win "$QF_WIN32" 32
    cmake --build "$QF_WIN32" -j "$QF_JOBS" --target Quenfold devhost
  fi
  qf_configure_native
  cmake --build "$QF_NATIVE" -j "$QF_JOBS"
}

# Sessions side by side: every ./quenfold command that runs Windows programs
# joins the one Wine server and virtual display of its build's prefix. Each
# session leaves a file named after its shell's pid and start time; the first
# to join (no other live session) starts both afresh, clearing whatever a
# killed session left, and the last to leave stops them. A session killed
# outright leaves a file whose process is gone, which counts as left.
QF_SESSION_FILE=
qf_session_dir() { echo "$QF_WIN/session"; }

# "PID START" of this shell; START tells a reused pid from the one recorded.
qf_session_id() {
  local stat
  read -r stat <"/proc/$$/stat"
  stat=${stat##*) }
  set -- $stat
  echo "$$ ${20}"
}

# Removes the files of sessions whose shells are gone; true if any is left.
qf_session_others() {
  local dir=$1 file pid start now any=1
  for file in "$dir"/users/*; do
    [ -e "$file" ] || continue
    read -r pid start <"$file" || true
    now=
    if [ -r "/proc/$pid/stat" ]; then
      now=$(sed 's/.*) //' "/proc/$pid/stat" 2>/dev/null | cut -d' ' -f20)
    fi
    if [ -n "$pid" ] && [ "$now" = "$start" ]; then any=0; else rm -f "$file"; fi
  done
  return $any
}

# Stops the prefix's server (and with it every Wine program it runs) and the
# display the sessions shared. Runs with the control lock held.
# True while the process runs. Not "kill -0": the display outlives the session
# that started it, and a parent that does not reap at once (some containers'
# init) leaves it a zombie that "kill -0" still finds, for seconds.
qf_running() {
  local state
  state=$(sed 's/.*) //' "/proc/$1/stat" 2>/dev/null | cut -c1)
  [ -n "$state" ] && [ "$state" != Z ]
}

qf_session_stop_shared() {
  local dir=$1 pid
  # "-k" looks for the server's end at growing intervals and returns up to a
  # quarter of a second late; "-w" returns as soon as it is gone.
  wineserver -k >/dev/null 2>&1 &
  local killer=$!
  timeout 20 wineserver -w >/dev/null 2>&1 || true
  kill "$killer" 2>/dev/null || true
  wait "$killer" 2>/dev/null || true
  if [ -f "$dir/xvfb.pid" ]; then
    read -r pid <"$dir/xvfb.pid" || true
    if [ -n "$pid" ] && grep -qa Xvfb "/proc/$pid/cmdline" 2>/dev/null; then
      kill "$pid" 2>/dev/null || true
      local i
      for i in $(seq 1 100); do qf_running "$pid" || break; sleep 0.05; done
      kill -9 "$pid" 2>/dev/null || true
    fi
  fi
  rm -f "$dir/xvfb.pid" "$dir/display"
}

qf_session_end() {
  [ -n "$QF_SESSION_FILE" ] || return 0
  local dir
  dir=$(qf_session_dir)
  (
    flock 9
    rm -f "$QF_SESSION_FILE"
    qf_session_others "$dir" || qf_session_stop_shared "$dir"
  ) 9>"$dir/control"
  QF_SESSION_FILE=
}

# The plug-in's version text, from the one header that holds it.
qf_version() {
  sed -n 's/^#define QF_TEXT_VERSION "\(.*\)"$/\1/p' "$QF_ROOT/host/plugin_text_literals.h"
}

# The Windows path of an absolute Unix path, on the Z: drive that maps the
# file system's root in every prefix: winepath's answer without a Wine process.
qf_winpath() {
  local path=$1
  printf 'Z:%s\n' "${path//\//\\}"
}

# True when the prefix already holds the session's X11 setting (false for a
# prefix not yet created).
qf_unmanaged_windows() {
  awk '/^\[/ { key = index($0, "[Software\\\\Wine\\\\X11 Driver]") == 1 }
       key && $0 == "\"Managed\"=\"N\"" { found = 1 }
       END { exit !found }' "$WINEPREFIX/user.reg" 2>/dev/null
}

# Joins the build prefix's shared session (see above), starting its Xvfb and
# persistent wineserver when no other session runs.
qf_session_begin() {
  qf_locale
  export WINEPREFIX=$QF_WIN/wineprefix WINEARCH=$QF_WINEARCH WINEDEBUG=-all
  export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
  trap qf_session_end EXIT
  # "wine" and the tools that call it (winepath) take the build's loader.
  mkdir -p "$QF_BUILD/winebin"
  # Written aside and renamed: sessions side by side may write it at once.
  printf '#!/bin/sh\nexec %s "$@"\n' "$QF_WINE_LOADER" >"$QF_BUILD/winebin/wine.$$"
  chmod +x "$QF_BUILD/winebin/wine.$$"
  cp "$QF_BUILD/winebin/wine.$$" "$QF_BUILD/winebin/wine-stable.$$"
  mv -f "$QF_BUILD/winebin/wine.$$" "$QF_BUILD/winebin/wine"
  mv -f "$QF_BUILD/winebin/wine-stable.$$" "$QF_BUILD/winebin/wine-stable"
  case ":$PATH:" in *":$QF_BUILD/winebin:"*) ;; *) export PATH=$QF_BUILD/winebin:$PATH ;; esac
  local dir
  dir=$(qf_session_dir)
  mkdir -p "$dir/users" "$WINEPREFIX"
  # The lock is held by this subshell alone; what it starts to outlive it
  # does not inherit it (qf_detached).
  (
    flock 9
    if ! qf_session_others "$dir" || ! qf_session_display_alive "$dir"; then
      qf_session_stop_shared "$dir"
      qf_session_start_shared "$dir"
    fi
    qf_session_id >"$dir/users/$$"
  ) 9>"$dir/control"
  QF_SESSION_FILE=$dir/users/$$
  export DISPLAY=:$(cat "$dir/display")
}

qf_session_display_alive() {
  local dir=$1 pid
  [ -s "$dir/display" ] && [ -f "$dir/xvfb.pid" ] || return 1
  read -r pid <"$dir/xvfb.pid" || return 1
  grep -qa Xvfb "/proc/$pid/cmdline" 2>/dev/null
}

# Runs a command in a session of its own with no file descriptor but the
# standard three: what outlives the session that started it holds no lock
# and no caller's pipe, and an interrupt of that session does not reach it.
# qf_detached waits for the command; qf_detached_bg leaves it running, its
# pid in QF_DETACHED_PID.
qf_close_fds() {
  local fd
  for fd in /proc/$BASHPID/fd/*; do
    fd=${fd##*/}
    [ "$fd" -gt 2 ] 2>/dev/null && eval "exec $fd>&-"
  done
  return 0
}
qf_detached() { (qf_close_fds && exec setsid "$@"); }
qf_detached_bg() {
  (qf_close_fds && exec setsid "$@") &
  QF_DETACHED_PID=$!
}

# Xvfb and the server outlive the session that starts them (qf_detached).
qf_session_start_shared() {
  local dir=$1 i
  rm -f "$dir/display"
  qf_detached_bg sh -c 'exec Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$1"' \
    sh "$dir/display.new" >/dev/null 2>&1 </dev/null
  echo "$QF_DETACHED_PID" >"$dir/xvfb.pid"
  for i in $(seq 1 200); do [ -s "$dir/display.new" ] && break; sleep 0.05; done
  mv -f "$dir/display.new" "$dir/display"
  export DISPLAY=:$(cat "$dir/display")
  # A program left by a killed session may have started a server of its own
  # since the last one was stopped: stop that one too.
  local try
  for try in 1 2 3; do
    LANG=ja_JP.UTF-8 LOCPATH=$QUENFOLD_LOCPATH qf_detached -w wineserver -p </dev/null >/dev/null 2>&1 &&
      break
    wineserver -k >/dev/null 2>&1 || true
    timeout 20 wineserver -w >/dev/null 2>&1 || true
  done
  # Wine boots the session for its first program and makes it wait (setting
  # up a new or outdated prefix first). No explicit wineboot: a second boot
  # starts a second service manager, and the RPC service then never comes
  # (3 s lost by each program that waits for it). The first programs run
  # here, output going nowhere: the services and desktop they start outlive
  # them and would hold a test's output open.
  if ! qf_unmanaged_windows; then
    # Plain Xvfb has no window manager: unmanaged windows spare every hide or
    # destroy of a top-level window Wine's two-second wait for one.
    LANG=ja_JP.UTF-8 LOCPATH=$QUENFOLD_LOCPATH \
      qf_detached -w wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null
  fi
  # The desktop lives while programs follow each other within a second; one
  # that a test opened would keep that test's output open until it closed.
  LANG=ja_JP.UTF-8 LOCPATH=$QUENFOLD_LOCPATH \
    qf_detached -w wine rundll32.exe user32.dll,GetDesktopWindow >/dev/null 2>&1 </dev/null
}
