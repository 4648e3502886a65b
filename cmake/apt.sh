# The one way every command installs Debian packages (setup, the benchmark's
# peers, the release test's debootstrap): qf_apt_install PKG... (root).
# On a healthy archive: one update, one install. A failed update is tried
# again after a pause. A mirror caught mid-sync can serve the security
# suite's index at a size other than its release file lists, for hours;
# the 64-bit libraries then come from that suite and their 32-bit twins only
# from the main one, so wine32:i386 cannot install at all. In that case one
# update and install read the machine's sources minus the security suite,
# from a copy of our own (the machine's files stay as they are), and say so.
# Anything else ends in a few lines of our own; apt's output is in the log.
#   QF_APT_OPTS   array of apt options for every call (cmake/apt-check.sh
#                 points them at a scratch archive, lists and cache)
#   QF_APT_PAUSE  seconds before the second update (default 10)
#   QF_APT_LOG    apt's output (default build/apt.log)

# apt tries a file four times (1, 2 and 4 s apart) and gives up on a silent
# server after 10 s, but it waits file after file: two minutes an update for
# Debian's three suites on one silent server. So that a command that installs
# nothing ends within three minutes, each of the (at most) three updates gets
# 50 s.
QF_APT_BOUNDS=(-o Acquire::Retries=3 -o Acquire::http::Timeout=10 -o Acquire::https::Timeout=10)
QF_APT_UPDATE_LIMIT=50

qf_apt_say() { printf 'quenfold: %s\n' "$@" >&2; }

# qf_apt_update OUT [OPTIONS...]: apt-get update, its output in OUT and the
# log. Fails on any index apt could not fetch, though apt exits 0 for some
# (a network that is down).
qf_apt_update() {
  local out=$1 rc=0
  shift
  echo "== apt-get update" >>"$QF_APT_LOG_FILE"
  timeout -k 5 "$QF_APT_UPDATE_LIMIT" apt-get -q "${QF_APT_BOUNDS[@]}" "$@" update >"$out" 2>&1 ||
    rc=$?
  [ "$rc" != 124 ] || echo "E: apt-get update did not end within $QF_APT_UPDATE_LIMIT s" >>"$out"
  cat "$out" >>"$QF_APT_LOG_FILE"
  [ "$rc" = 0 ] && ! grep -q '^[EW]: Failed to fetch ' "$out"
}

# What an update's output says failed, "WHAT<tab>WHY" a line: the indexes it
# could not fetch; else, as for an update cut short, the files it gave up
# on so far and its errors.
qf_apt_failed() {
  awk '{ sub(/ *\[IP: [^]]*\]$/, "") }
    /^[EW]: Failed to fetch / { why = $0; sub(/^[EW]: Failed to fetch [^ ]* */, "", why); fetch[++nf] = $5 "\t" why; next }
    /^Err:[0-9]+ / { what = $0; sub(/^Err:[0-9]+ /, "", what); getline why; sub(/^ +/, "", why); sub(/ *\[IP: [^]]*\]$/, "", why)
      err[++ne] = what "\t" why; next }
    /^E: / && ne + nx < 4 { err[++ne] = substr($0, 4); nx++ }
    END { if (nf) for (i = 1; i <= nf; i++) print fetch[i]; else for (i = 1; i <= ne; i++) print err[i] }' "$1"
}

qf_apt_say_failed() {
  local what why
  while IFS=$'\t' read -r what why; do
    qf_apt_say "  $what"
    [ -z "$why" ] || qf_apt_say "    $why"
  done <<<"$1"
}

# One-line sources (stdin) without the security suite's entries; fails when
# there were none.
qf_apt_drop_lines() {
  awk '{ s = $0; sub(/^[ \t]+/, "", s) }
    s ~ /^deb(-src)?[ \t]/ {
      sub(/\[[^]]*\]/, "", s); split(s, w, /[ \t]+/)
      if (w[3] ~ /-security$/) { dropped = 1; next }
    }
    { print }
    END { exit !dropped }'
}

# deb822 sources (stdin) likewise: a stanza keeps its other suites, and one
# left with none goes.
qf_apt_drop_stanzas() {
  awk 'BEGIN { RS = ""; ORS = "\n\n" }
    {
      n = split($0, line, "\n"); out = ""; field = 0; had = 0; kept = 0
      for (i = 1; i <= n; i++) {
        l = line[i]
        if (tolower(substr(l, 1, 7)) == "suites:") { field = had = 1; rest = substr(l, 8); l = "Suites:" }
        else if (field && l ~ /^[ \t]/) { rest = l; l = "" }
        else field = 0
        if (field) {
          m = split(rest, w, /[ \t]+/)
          for (j = 1; j <= m; j++) {
            if (w[j] ~ /-security$/) dropped = 1
            else if (w[j] != "") { l = l " " w[j]; kept++ }
          }
          if (l == "") continue
        }
        out = out (out == "" ? "" : "\n") l
      }
      if (!had || kept) print out
    }
    END { exit !dropped }'
}

# qf_apt_without_security SOURCELIST SOURCEPARTS DIR: those sources without
# the security suite, in DIR/sources.list and DIR/parts; fails when there
# was nothing to leave out.
qf_apt_without_security() {
  local list=$1 parts=$2 dir=$3 f dropped=1
  mkdir -p "$dir/parts"
  : >"$dir/sources.list"
  if [ -f "$list" ] && qf_apt_drop_lines <"$list" >"$dir/sources.list"; then dropped=0; fi
  for f in "$parts"/*.list; do
    [ -f "$f" ] || continue
    if qf_apt_drop_lines <"$f" >"$dir/parts/${f##*/}"; then dropped=0; fi
  done
  for f in "$parts"/*.sources; do
    [ -f "$f" ] || continue
    if qf_apt_drop_stanzas <"$f" >"$dir/parts/${f##*/}"; then dropped=0; fi
  done
  return $dropped
}

# qf_apt_install PKG...: installs PKG, as described at the top.
qf_apt_install() {
  local opts=("${QF_APT_OPTS[@]}") pause=${QF_APT_PAUSE:-10} work last failed rc=0 mode=all
  local list='' parts='' src='' f
  QF_APT_LOG_FILE=${QF_APT_LOG:-${QF_BUILD:-$QF_ROOT/build}/apt.log}
  mkdir -p "$(dirname "$QF_APT_LOG_FILE")"
  : >"$QF_APT_LOG_FILE"
  work=$(mktemp -d "${TMPDIR:-/tmp}/quenfold-apt.XXXXXX")
  # The sources apt reads, wherever the options point them.
  eval "$(apt-config "${opts[@]}" shell list Dir::Etc::sourcelist/f parts Dir::Etc::sourceparts/d)"
  for f in "$list" "$parts"*.list "$parts"*.sources; do [ ! -f "$f" ] || src+="${src:+ }$f"; done
  qf_apt_say "updating the package lists (apt's output: $QF_APT_LOG_FILE)"
  if ! qf_apt_update "$work/update1" "${opts[@]}"; then
    qf_apt_say "the update failed; trying again in $pause s"
    sleep "$pause"
    last=$work/update2
    if ! qf_apt_update "$last" "${opts[@]}"; then
      mode=failed
      failed=$(qf_apt_failed "$last")
      # Only the security suite's indexes failed, and the sources have it.
      if grep -q '/dists/[^/ ]*-security/' <<<"$failed" &&
        ! grep -qv '/dists/[^/ ]*-security/' <<<"$failed" &&
        qf_apt_without_security "$list" "$parts" "$work/main"; then
        qf_apt_say "" "=====================================================================" \
          "The package archive serves a broken index, twice in a row:"
        qf_apt_say_failed "$failed"
        qf_apt_say "The archive is at fault (a mirror mid-sync or out of step), not Quenfold." \
          "Installing from the main suites only, WITHOUT THE SECURITY SUITE, for" \
          "this one update and install; this machine's apt sources stay as they are." \
          "=====================================================================" ""
        opts+=(-o "Dir::Etc::SourceList=$work/main/sources.list"
               -o "Dir::Etc::SourceParts=$work/main/parts")
        last=$work/update3
        qf_apt_update "$last" "${opts[@]}" && mode=main
      fi
    fi
  fi
  if [ "$mode" = failed ]; then
    qf_apt_say "" "Could not install $*: apt could not update its package lists, tried" \
      "twice $pause s apart$([ "$last" = "$work/update3" ] && echo ' and once without the security suite'). It failed on:"
    qf_apt_say_failed "$(qf_apt_failed "$last")"
    qf_apt_say "Try again later, or point apt at another mirror: the URIs in $src." \
      "apt's output: $QF_APT_LOG_FILE"
    rm -rf "$work"
    return 1
  fi
  echo "== apt-get install $*" >>"$QF_APT_LOG_FILE"
  # apt's status through the pipe, whatever the caller's pipefail.
  {
    DEBIAN_FRONTEND=noninteractive apt-get -q "${QF_APT_BOUNDS[@]}" "${opts[@]}" install -y \
      --no-install-recommends "$@" || echo $? >"$work/install-failed"
  } 2>&1 | tee -a "$QF_APT_LOG_FILE" || true
  [ ! -f "$work/install-failed" ] || rc=$(cat "$work/install-failed")
  rm -rf "$work"
  if [ "$rc" != 0 ]; then
    qf_apt_say "" "Could not install $*$([ "$mode" = main ] && echo ' from the main suites'):" \
      "  $(grep '^E: ' "$QF_APT_LOG_FILE" | tail -1 | cut -c4-)" \
      "Try again later, or point apt at another mirror: the URIs in $src." \
      "apt's output: $QF_APT_LOG_FILE"
    return 1
  fi
  if [ "$mode" = main ]; then
    qf_apt_say "" "Installed from the main suites only: $* came without the security" \
      "suite's latest fixes, as this mirror's index of it was broken. Once the" \
      "mirror is healthy, 'apt-get update && apt-get upgrade' brings them."
  fi
}
