#!/usr/bin/env bash
# Runs every fuzz target for SECONDS (default 60) on a working copy of its
# seed corpus; prints executions and coverage per target. Fails on a finding.
set -euo pipefail
QF_ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$QF_ROOT/cmake/session.sh"
seconds=${1:-60}
qf_configure_native
cmake --build "$QF_NATIVE" -j "$QF_JOBS" --target fuzz_scanner fuzz_header_fields fuzz_mail_date fuzz_quick_search >/dev/null
status=0
for target in scanner header_fields mail_date quick_search; do
  work=$QF_BUILD/fuzz-corpus/$target
  mkdir -p "$work" "$QF_BUILD/fuzz-findings"
  cp -n "$QF_ROOT/fuzz/corpus/$target/"* "$work/" 2>/dev/null || true
  log=$QF_BUILD/fuzz-findings/$target.log
  if "$QF_NATIVE/fuzz/fuzz_$target" -max_total_time="$seconds" -max_len=65536 -timeout=10 \
       -rss_limit_mb=4096 -artifact_prefix="$QF_BUILD/fuzz-findings/$target-" "$work" >"$log" 2>&1; then
    summary=$(grep -E '^#[0-9]+' "$log" | tail -n1 | sed -E 's/^#([0-9]+).*cov: ([0-9]+).*/\1 executions, coverage \2/')
    echo "fuzz $target: ok, $summary"
  else
    echo "fuzz $target: FAILED, see $log"; tail -n 30 "$log"; status=1
  fi
done
exit $status
