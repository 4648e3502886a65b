#!/usr/bin/env bash
# ./quenfold bench: builds the benchmark's programs with Release flags in
# build folders of their own, makes the stores (once), runs every figure and
# writes bench/results.md. Raw figures land in $QUENFOLD_BUILD/bench-out.
set -euo pipefail
QF_ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$QF_ROOT/cmake/session.sh"

BENCH_NATIVE=$QF_BUILD/bench-native
# The Windows programs run in the bits the machine's Wine runs (see
# qf_select_arch): 32 as users run the plug-in, else 64.
BENCH_WIN=$QF_BUILD/bench-win$QF_ARCH
BENCH_TOOLCHAIN=toolchain-mingw-i686.cmake
[ "$QF_ARCH" = 64 ] && BENCH_TOOLCHAIN=toolchain-mingw-x86_64.cmake
STORES=${QUENFOLD_BENCH_STORES:-$QF_BUILD/bench-stores}
OUT=$QF_BUILD/bench-out
export TZ=${TZ:-Asia/Tokyo}
rm -rf "$OUT"
mkdir -p "$OUT" "$STORES"

step() { echo "== $*"; }
status=0  # a scan whose rows differ from the reference fails the run, after the report

step "native Release build (no sanitizers)"
if [ ! -f "$BENCH_NATIVE/build.ninja" ]; then
  CC=gcc CXX=g++ cmake -S "$QF_ROOT" -B "$BENCH_NATIVE" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DQF_SANITIZE=OFF >/dev/null
fi
cmake --build "$BENCH_NATIVE" -j "$QF_JOBS" --target native_scan_bench >/dev/null

step "mail stores (reused when their stamp matches)"
for size in small crafted large; do
  python3 "$QF_ROOT/bench/gen_store.py" "$STORES/$size" "$size"
done

scan=$BENCH_NATIVE/bench/native_scan_bench
step "scanner, native: small store (rows checked against the reference scan)"
"$scan" --check "$STORES/small/data" >"$OUT/native_small.txt" || status=1
step "scanner, native: crafted message (17 MB header, 500 attachments)"
"$scan" --reference --passes 5 "$STORES/crafted/data" >"$OUT/native_crafted.txt" || status=1
step "scanner, native: large store (rows checked against the reference scan)"
"$scan" --check "$STORES/large/data" >"$OUT/native_large.txt" || status=1

step "instruction counts (callgrind, small store)"
if command -v valgrind >/dev/null; then
  for what in scan limit; do
    case $what in scan) fn='*ScanAllMessages*' ;; limit) fn='*SseCrPass*' ;; esac
    valgrind --tool=callgrind --callgrind-out-file="$OUT/callgrind.$what" \
      --toggle-collect="$fn" "$scan" --only "$what" "$STORES/small/data" \
      >/dev/null 2>"$OUT/callgrind.$what.log"
    ir=$(sed -n 's/^summary: *//p' "$OUT/callgrind.$what")
    echo "callgrind_${what}_ir ${ir:-0}" >>"$OUT/callgrind.txt"
  done
else
  echo "valgrind is not installed" >&2
fi

step "Python email package over the large store"
python3 "$QF_ROOT/bench/list_attachments.py" "$STORES/large/data" >"$OUT/python.txt"

step "Windows Release build"
wine_ok=0
if [ ! -f "$BENCH_WIN/build.ninja" ]; then
  cmake -S "$QF_ROOT" -B "$BENCH_WIN" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$QF_ROOT/cmake/$BENCH_TOOLCHAIN" >/dev/null
fi
if cmake --build "$BENCH_WIN" -j "$QF_JOBS" --target Quenfold devhost scan_bench win_bench \
     >"$OUT/win-build.log" 2>&1; then
  if "$QF_WINE_LOADER" --version >/dev/null 2>&1; then
    wine_ok=1
  else
    echo "Wine cannot run on this machine: Wine figures skipped" >&2
    echo "wine_unavailable $(uname -r)" >"$OUT/wine.txt"
  fi
else
  echo "the Windows build failed (see $OUT/win-build.log): Wine figures skipped" >&2
  echo "wine_build_failed 1" >"$OUT/wine.txt"
fi

# Wine on a kernel without 32-bit execution runs under qemu's user-mode
# emulation: everything works but CPU time is distorted, so the figures are
# marked as such and taken on the small store.
win_store=large repeat_store=small
if [ "$wine_ok" = 1 ] && grep -qs '^enabled' /proc/sys/fs/binfmt_misc/qemu-i386; then
  win_store=small repeat_store=small
  echo "wine_emulated 1" >"$OUT/emulation.txt"
fi

if [ "$wine_ok" = 1 ]; then
  export QF_WIN=$BENCH_WIN
  qf_session_begin
  run() { "$QF_ROOT/cmake/wine-run.sh" "$@"; }
  step "scanner under Wine ($QF_ARCH-bit build): small store"
  run "$BENCH_WIN/bin/scan_bench.exe" --check "$(winepath -w "$STORES/small/data")" \
    >"$OUT/wine_scan_small.txt" || { echo "scan_bench.exe failed" >&2; status=1; }
  step "whole search, list, memory: win_bench on the $win_store store"
  timeout 1200 "$QF_ROOT/cmake/wine-run.sh" "$BENCH_WIN/bin/win_bench.exe" \
    --data "$(winepath -w "$STORES/$win_store/data")" \
    --repeat-data "$(winepath -w "$STORES/$repeat_store/data")" >"$OUT/win_bench.txt" ||
    { echo "win_bench.exe failed" >&2; status=1; }
  echo "store $win_store" >>"$OUT/win_bench.txt"
  echo "repeat_store $repeat_store" >>"$OUT/win_bench.txt"
  # devhost.exe itself on the small store: the same search, as the program runs it.
  step "whole search through devhost.exe on the small store"
  start=$(date +%s%N)
  run "$BENCH_WIN/bin/devhost.exe" --data "$(winepath -w "$STORES/small/data")" \
    --folder 'Inbox\' --search --tsv "$(winepath -w "$OUT/devhost_rows.tsv")" >/dev/null ||
    { echo "devhost.exe failed" >&2; status=1; }
  end=$(date +%s%N)
  echo "devhost_ms $(((end - start) / 1000000))" >"$OUT/devhost.txt"
  [ -f "$OUT/devhost_rows.tsv" ] &&
    echo "devhost_rows $(($(wc -l <"$OUT/devhost_rows.tsv") - 1))" >>"$OUT/devhost.txt"
  echo "wine_version $("$QF_WINE_LOADER" --version)" >"$OUT/wine.txt"
  echo "wine_arch $QF_ARCH" >>"$OUT/wine.txt"
  qf_session_end
fi

step "results"
python3 "$QF_ROOT/bench/write_results.py" "$OUT" "$QF_ROOT/bench/results.md"
[ "$status" = 0 ] || echo "bench: a step failed or the scanner's rows differ from the reference" >&2
exit "$status"
