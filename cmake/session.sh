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

qf_missing() {
  local p missing=()
  for p in "${qf_packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
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
  if [ -n "${WINEPREFIX:-}" ]; then wineserver -k >/dev/null 2>&1 || true; fi
  if [ -n "$QF_XVFB_PID" ]; then kill "$QF_XVFB_PID" 2>/dev/null || true; wait "$QF_XVFB_PID" 2>/dev/null || true; fi
  QF_XVFB_PID=
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
  LANG=ja_JP.UTF-8 LOCPATH=$QUENFOLD_LOCPATH wine wineboot -i >/dev/null 2>&1
  # Plain Xvfb has no window manager: unmanaged windows spare every hide or
  # destroy of a top-level window Wine's two-second wait for one.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
}
