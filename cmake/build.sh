# Shared by ./quenfold and the scripts it runs (through cmake/session.sh):
# paths, the packages a machine needs, configuring and building.
QF_ROOT=${QF_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
QF_BUILD=${QUENFOLD_BUILD:-$QF_ROOT/build}
QF_NATIVE=$QF_BUILD/native
. "$QF_ROOT/cmake/apt.sh"

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
    qf_apt_install $missing || return
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

# The build lock: a build holds it exclusively, so commands side by side
# build the same folders one at a time and never relink what another runs;
# running programs from the build holds it shared (qf_hold_build, sessions).
qf_build() {
  mkdir -p "$QF_BUILD"
  local lock
  exec {lock}>"$QF_BUILD/.build.lock"
  flock -n -x "$lock" || {
    echo "quenfold: waiting for the programs another command runs from $QF_BUILD" >&2
    flock -x "$lock"
  }
  qf_build_locked
  exec {lock}>&-
}

# qf_lock -s|-x FILE: takes the lock on a descriptor of this shell, kept until
# the shell ends or closes it (its number in REPLY). Wine programs do not
# inherit it (cmake/wine-run.sh), so none that outlives the command holds it.
qf_lock() {
  local fd
  exec {fd}>"$2"
  flock "$1" "$fd"
  export QF_SESSION_FDS="${QF_SESSION_FDS:-} $fd"
  REPLY=$fd
}
qf_hold_build() { mkdir -p "$QF_BUILD" && qf_lock -s "$QF_BUILD/.build.lock"; }

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

# The build prefix's Wine: its prefix and settings in the environment, and
# "wine" and the tools that call it (winepath) taking the build's loader.
qf_wine_env() {
  qf_locale
  # The prefix and its session's folder (cmake/session.sh): the build's, or
  # those in QUENFOLD_WINE_DIR (the session checks use scratch ones).
  QF_WINE_DIR=${QUENFOLD_WINE_DIR:-$QF_WIN}
  QF_SESSION_DIR=$QF_WINE_DIR/session
  export WINEPREFIX=$QF_WINE_DIR/wineprefix WINEARCH=$QF_WINEARCH WINEDEBUG=-all
  export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
  # Written aside and renamed: sessions side by side may write it at once.
  mkdir -p "$QF_BUILD/winebin"
  printf '#!/bin/sh\nexec %s "$@"\n' "$QF_WINE_LOADER" >"$QF_BUILD/winebin/wine.$$"
  chmod +x "$QF_BUILD/winebin/wine.$$"
  cp "$QF_BUILD/winebin/wine.$$" "$QF_BUILD/winebin/wine-stable.$$"
  mv -f "$QF_BUILD/winebin/wine.$$" "$QF_BUILD/winebin/wine"
  mv -f "$QF_BUILD/winebin/wine-stable.$$" "$QF_BUILD/winebin/wine-stable"
  case ":$PATH:" in *":$QF_BUILD/winebin:"*) ;; *) export PATH=$QF_BUILD/winebin:$PATH ;; esac
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
