#!/usr/bin/env bash
# ./quenfold bench [--quick]: builds the benchmark's programs with Release
# flags in build folders of their own, makes the stores (once), runs every
# figure side by side and writes bench/results.md. --quick uses the
# 6,000-message store and fewer runs. --base REV also builds the search of
# commit REV (in a worktree and build folder of its own) and runs it in turns
# with this one on the same store, for a before-and-after in one run.
# Raw output lands in $QUENFOLD_BUILD/bench-out.
set -euo pipefail
QF_ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$QF_ROOT/cmake/session.sh"
# Two benchmarks at once would share their output and skew each other's figures.
mkdir -p "$QF_BUILD"
exec {bench_lock}>"$QF_BUILD/.bench.lock"
flock "$bench_lock"

store=large runs=3 base=
while [ $# -gt 0 ]; do
  case "$1" in
    --quick) store=quick runs=2 ;;
    --base) base=$2; shift ;;
    *) echo "run-bench.sh: unknown argument $1" >&2; exit 2 ;;
  esac
  shift
done
STORES=${QUENFOLD_BENCH_STORES:-$QF_BUILD/bench-stores}
OUT=$QF_BUILD/bench-out
BENCH_NATIVE=$QF_BUILD/bench-native
BENCH_WIN=$QF_BUILD/bench-win$QF_ARCH
export TZ=${TZ:-Asia/Tokyo}
rm -rf "$OUT"
mkdir -p "$OUT" "$STORES"
step() { echo "== $*" >&2; }

# What the comparison needs beyond the build: the command timer, the two
# indexers and the native benchmark library.
bench_packages=(hyperfine maildir-utils notmuch libbenchmark-dev)
missing=()
for p in "${bench_packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  step "installing ${missing[*]}"
  qf_apt_install "${missing[@]}" >&2
fi

list_sizes=(25000 50000 100000 200000)
key_sizes=(100000 1000000)
step "mail stores: $store, crafted, huge100k, huge1m and the list's floods (reused when their stamp matches)"
for s in "$store" crafted huge100k huge1m flood25k flood50k flood100k flood200k flood1000k; do
  python3 "$QF_ROOT/bench/gen_store.py" "$STORES/$s" "$s" >&2
done
data=$STORES/$store/data
# The indexers read a maildir: hard links to the same files.
maildir=$STORES/$store/maildir
if [ ! -d "$maildir/cur" ]; then
  mkdir -p "$maildir/cur" "$maildir/new" "$maildir/tmp"
  find "$data" -name '*.eml' -print0 | xargs -0 ln -f -t "$maildir/cur"
fi
empty=$STORES/empty
mkdir -p "$empty/data/Inbox"

step "native Release build and scanner benchmark"
if [ ! -f "$BENCH_NATIVE/build.ninja" ]; then
  CC=gcc CXX=g++ cmake -S "$QF_ROOT" -B "$BENCH_NATIVE" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DQF_SANITIZE=OFF >/dev/null
fi
cmake --build "$BENCH_NATIVE" -j "$QF_JOBS" --target native_scan_bench >&2
"$BENCH_NATIVE/bench/native_scan_bench" "$data" --benchmark_repetitions=$runs \
  --benchmark_report_aggregates_only=true --benchmark_out="$OUT/native.json" \
  --benchmark_out_format=json >&2

step "Windows Release build ($QF_ARCH-bit)"
toolchain=toolchain-mingw-i686.cmake
[ "$QF_ARCH" = 64 ] && toolchain=toolchain-mingw-x86_64.cmake
if [ ! -f "$BENCH_WIN/build.ninja" ]; then
  cmake -S "$QF_ROOT" -B "$BENCH_WIN" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$QF_ROOT/cmake/$toolchain" >/dev/null
fi
cmake --build "$BENCH_WIN" -j "$QF_JOBS" --target win_bench list_bench Quenfold >&2
qf_build >/dev/null  # ./quenfold search, timed below, uses the regular build

if [ -n "$base" ]; then
  step "the search of $base, for before and after"
  BASE_SRC=$QF_BUILD/bench-base-src
  BASE_WIN=$QF_BUILD/bench-base-win$QF_ARCH
  if [ -d "$BASE_SRC" ]; then
    git -C "$BASE_SRC" checkout -q --detach "$base"
  else
    git -C "$QF_ROOT" worktree add -q --detach "$BASE_SRC" "$base"
  fi
  if [ ! -f "$BASE_WIN/build.ninja" ]; then
    cmake -S "$BASE_SRC" -B "$BASE_WIN" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$BASE_SRC/cmake/$toolchain" >/dev/null
  fi
  cmake --build "$BASE_WIN" -j "$QF_JOBS" --target win_bench Quenfold >&2
fi

step "whole search, split by stage, under Wine ($QF_ARCH-bit)"
(
  export QF_WIN=$BENCH_WIN
  qf_session_begin
  if [ -n "$base" ]; then
    # Before and after in turns, three times: the machine's noise shows as
    # the spread within each side.
    for k in 1 2 3; do
      "$QF_ROOT/cmake/wine-run.sh" "$BASE_WIN/bin/win_bench.exe" --data "$(qf_winpath "$data")" \
        >"$OUT/win_bench_before.$k.txt"
      "$QF_ROOT/cmake/wine-run.sh" "$BENCH_WIN/bin/win_bench.exe" --data "$(qf_winpath "$data")" \
        >"$OUT/win_bench_after.$k.txt"
    done
  fi
  "$QF_ROOT/cmake/wine-run.sh" "$BENCH_WIN/bin/win_bench.exe" --data "$(qf_winpath "$data")" \
    --crafted "$(qf_winpath "$STORES/crafted/data")" \
    --huge-100k "$(qf_winpath "$STORES/huge100k/data")" \
    --huge-1m "$(qf_winpath "$STORES/huge1m/data")" >"$OUT/win_bench.txt"
  step "the results list at ${list_sizes[*]} rows, through each DLL"
  for k in $(seq 1 "$runs"); do
    for size in "${list_sizes[@]}"; do
      flood=$(qf_winpath "$STORES/flood$((size / 1000))k/data")
      if [ -n "$base" ]; then
        "$QF_ROOT/cmake/wine-run.sh" "$BENCH_WIN/bin/list_bench.exe" --data "$flood" \
          --dll "$(qf_winpath "$BASE_WIN/bin/Quenfold.dll")" >"$OUT/list_before.$k.$size.txt"
      fi
      "$QF_ROOT/cmake/wine-run.sh" "$BENCH_WIN/bin/list_bench.exe" --data "$flood" \
        --dll "$(qf_winpath "$BENCH_WIN/bin/Quenfold.dll")" >"$OUT/list_after.$k.$size.txt"
    done
  done
  step "keys and clicks that move the selection at ${key_sizes[*]} rows, through each DLL"
  for k in $(seq 1 "$runs"); do
    for size in "${key_sizes[@]}"; do
      flood=$(qf_winpath "$STORES/flood$((size / 1000))k/data")
      if [ -n "$base" ]; then
        "$QF_ROOT/cmake/wine-run.sh" "$BENCH_WIN/bin/list_bench.exe" --data "$flood" --keys \
          --dll "$(qf_winpath "$BASE_WIN/bin/Quenfold.dll")" >"$OUT/keys_before.$k.$size.txt"
      fi
      "$QF_ROOT/cmake/wine-run.sh" "$BENCH_WIN/bin/list_bench.exe" --data "$flood" --keys \
        --dll "$(qf_winpath "$BENCH_WIN/bin/Quenfold.dll")" >"$OUT/keys_after.$k.$size.txt"
    done
  done
  qf_session_end
)
{
  echo "wine_version $("$QF_WINE_LOADER" --version)"
  echo "wine_arch $QF_ARCH"
  echo "store $store"
  [ -z "$base" ] || echo "base $(git -C "$QF_ROOT" rev-parse --short "$base")"
} >"$OUT/run.txt"

step "the same messages by other programs, and the plug-in's start-up (hyperfine)"
notmuch_config=$OUT/notmuch-config
printf '[database]\npath=%s\n[new]\ntags=new\n' "$maildir" >"$notmuch_config"
# hyperfine pairs names, preparations and commands by their order.
hyperfine --runs "$runs" --export-json "$OUT/commands.json" \
  -n "cat of every file" --prepare true "find '$data' -name '*.eml' -exec cat {} + >/dev/null" \
  -n "Python email package" --prepare true "python3 '$QF_ROOT/bench/list_attachments.py' '$data'" \
  -n "mu index, cold" --prepare "rm -rf '$OUT/mu'" \
  "mu init --muhome='$OUT/mu' --maildir='$maildir' >/dev/null && mu index --muhome='$OUT/mu' >/dev/null" \
  -n "notmuch new, cold" --prepare "rm -rf '$maildir/.notmuch'" \
  "NOTMUCH_CONFIG='$notmuch_config' notmuch new >/dev/null" \
  -n "./quenfold search, empty store" --prepare true \
  "'$QF_ROOT/quenfold' search '$empty/data' --tsv /dev/null >/dev/null 2>&1" \
  -n "./quenfold search, $store store" --prepare true \
  "'$QF_ROOT/quenfold' search '$data' --tsv /dev/null >/dev/null 2>&1" >&2

step "results"
python3 "$QF_ROOT/bench/write_results.py" "$OUT" "$QF_ROOT/bench/results.md"
