# Shared by ./quenfold and the scripts it runs: paths, setup checks, and a
# Wine + Xvfb session that is ended when the calling shell exits.
QF_ROOT=${QF_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
QF_BUILD=${QUENFOLD_BUILD:-$QF_ROOT/build}
QF_WIN=$QF_BUILD/win
QF_NATIVE=$QF_BUILD/native
QF_JOBS=${QUENFOLD_JOBS:-2}

qf_packages=(cmake ninja-build g++-mingw-w64-i686-posix wine wine32:i386 xvfb googletest
             fonts-ipafont-gothic locales imagemagick g++ clang libclang-rt-14-dev python3
             x11-utils)

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
  [ -f "$QF_WIN/build.ninja" ] && return 0
  cmake -S "$QF_ROOT" -B "$QF_WIN" -G Ninja -DCMAKE_BUILD_TYPE=${QF_BUILD_TYPE:-RelWithDebInfo} \
    -DCMAKE_TOOLCHAIN_FILE="$QF_ROOT/cmake/toolchain-mingw-i686.cmake" >/dev/null
}

qf_configure_native() {
  [ -f "$QF_NATIVE/build.ninja" ] && return 0
  CC=clang CXX=clang++ cmake -S "$QF_ROOT" -B "$QF_NATIVE" -G Ninja \
    -DCMAKE_BUILD_TYPE=Debug >/dev/null
}

qf_build() {
  qf_configure_win
  cmake --build "$QF_WIN" -j "$QF_JOBS"
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
  export WINEPREFIX=$QF_WIN/wineprefix WINEARCH=win32 WINEDEBUG=-all
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
  mkdir -p "$WINEPREFIX"
  LANG=ja_JP.UTF-8 LOCPATH=$QUENFOLD_LOCPATH wineserver -p
  LANG=ja_JP.UTF-8 LOCPATH=$QUENFOLD_LOCPATH wine wineboot -i >/dev/null 2>&1
}
