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

qf_packages=(cmake ninja-build g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
             wine wine32:i386 wine64 xvfb googletest
             fonts-ipafont-gothic locales imagemagick g++ clang libclang-rt-14-dev python3
             x11-utils valgrind)

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

qf_configure_win() {
  local dir=${1:-$QF_WIN} arch=${2:-$QF_ARCH}
  [ -f "$dir/build.ninja" ] && return 0
  local toolchain=toolchain-mingw-i686.cmake
  [ "$arch" = 64 ] && toolchain=toolchain-mingw-x86_64.cmake
  cmake -S "$QF_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=${QF_BUILD_TYPE:-RelWithDebInfo} \
    -DCMAKE_TOOLCHAIN_FILE="$QF_ROOT/cmake/$toolchain" >/dev/null
}

qf_configure_native() {
  [ -f "$QF_NATIVE/build.ninja" ] && return 0
  CC=clang CXX=clang++ cmake -S "$QF_ROOT" -B "$QF_NATIVE" -G Ninja \
    -DCMAKE_BUILD_TYPE=Debug >/dev/null
}

qf_build() {
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

QF_XVFB_PID=
qf_session_end() {
  if [ -n "${WINEPREFIX:-}" ]; then
    # "-k" looks for the server's end at growing intervals and returns up to a
    # quarter of a second late; "-w" returns as soon as it is gone.
    wineserver -k >/dev/null 2>&1 &
    local killer=$!
    timeout 20 wineserver -w >/dev/null 2>&1 || true
    kill "$killer" 2>/dev/null || true
    wait "$killer" 2>/dev/null || true
  fi
  if [ -n "$QF_XVFB_PID" ]; then kill "$QF_XVFB_PID" 2>/dev/null || true; wait "$QF_XVFB_PID" 2>/dev/null || true; fi
  QF_XVFB_PID=
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

# Starts Xvfb and a persistent wineserver on the build's own prefix.
qf_session_begin() {
  qf_locale
  export WINEPREFIX=$QF_WIN/wineprefix WINEARCH=$QF_WINEARCH WINEDEBUG=-all
  export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
  trap qf_session_end EXIT
  local dfile
  dfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$dfile" >/dev/null 2>&1 &
  QF_XVFB_PID=$!
  local i
  for i in $(seq 1 100); do [ -s "$dfile" ] && break; sleep 0.05; done
  export DISPLAY=:$(head -n1 "$dfile")
  rm -f "$dfile"
  # "wine" and the tools that call it (winepath) take the build's loader.
  mkdir -p "$QF_BUILD/winebin"
  printf '#!/bin/sh\nexec %s "$@"\n' "$QF_WINE_LOADER" >"$QF_BUILD/winebin/wine"
  cp "$QF_BUILD/winebin/wine" "$QF_BUILD/winebin/wine-stable"
  chmod +x "$QF_BUILD/winebin/wine" "$QF_BUILD/winebin/wine-stable"
  case ":$PATH:" in *":$QF_BUILD/winebin:"*) ;; *) export PATH=$QF_BUILD/winebin:$PATH ;; esac
  mkdir -p "$WINEPREFIX"
  LANG=ja_JP.UTF-8 LOCPATH=$QUENFOLD_LOCPATH wineserver -p
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
      wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null
  fi
  # The desktop lives while programs follow each other within a second; one
  # that a test opened would keep that test's output open until it closed.
  LANG=ja_JP.UTF-8 LOCPATH=$QUENFOLD_LOCPATH \
    wine rundll32.exe user32.dll,GetDesktopWindow >/dev/null 2>&1 </dev/null
}
