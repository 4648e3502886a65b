#!/usr/bin/env bash
# cmake/apt-check.sh: qf_apt_install (cmake/apt.sh) against a scratch archive
# of copy: URIs, with lists, cache and dpkg status of its own and download
# only, so that the machine's apt and packages stay as they are. The archive
# has a main suite with qf-apt-probe 1.0, and a security suite with 1.0+s1
# (in contrib, named by a one-line source; main by a deb822 stanza beside
# the main suite). Cases:
#  1. a healthy archive: one update, and the security suite's probe;
#  2. the security suite's i386 index at a size other than its release file
#     lists: the fallback's lines, and the main suite's probe;
#  3. the main suite's index broken too: our closing lines, a non-zero exit,
#     within seconds.
# apt checks a local index by its hashes, so case 2 reads "Hash Sum mismatch"
# where a mirror over http reads "File has unexpected size".
set -euo pipefail
QF_ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$QF_ROOT/cmake/apt.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/quenfold-apt-check.XXXXXX")
trap 'rm -rf "$work"' EXIT
archive=$work/archive

# The probe package, VERSION, as a Packages stanza for its pool.
probe() {
  local version=$1 deb=$archive/pool/qf-apt-probe_$1_all.deb
  mkdir -p "$work/pkg-$version/DEBIAN" "$archive/pool"
  printf '%s\n' "Package: qf-apt-probe" "Version: $version" "Architecture: all" \
    "Maintainer: Quenfold <quenfold@localhost>" "Description: a package for the install check" \
    >"$work/pkg-$version/DEBIAN/control"
  dpkg-deb --root-owner-group -b "$work/pkg-$version" "$deb" >/dev/null
  printf '%s\n' "Package: qf-apt-probe" "Version: $version" "Architecture: all" \
    "Maintainer: Quenfold <quenfold@localhost>" "Filename: pool/${deb##*/}" \
    "Size: $(stat -c %s "$deb")" "SHA256: $(sha256sum <"$deb" | cut -d' ' -f1)" \
    "Description: a package for the install check" ""
}

# suite SUITE COMPONENT PACKAGES: the component's index for both architectures.
suite() {
  local arch
  for arch in amd64 i386; do
    mkdir -p "$archive/dists/$1/$2/binary-$arch"
    printf '%s' "$3" >"$archive/dists/$1/$2/binary-$arch/Packages"
  done
}

# release SUITE [BROKEN_INDEX]: the suite's release file; the size it lists
# for BROKEN_INDEX is one byte more than the file's.
release() {
  local dir=$archive/dists/$1 f size
  {
    printf '%s\n' "Origin: Quenfold" "Suite: $1" "Codename: $1" "Architectures: amd64 i386" \
      "Components: main contrib" "Date: $(date -Ru)" "SHA256:"
    for f in $(cd "$dir" && find . -name Packages | cut -c3- | sort); do
      size=$(stat -c %s "$dir/$f")
      [ "$f" != "${2:-}" ] || size=$((size + 1))
      echo " $(sha256sum <"$dir/$f" | cut -d' ' -f1) $size $f"
    done
  } >"$dir/Release"
}

suite qfcheck main "$(probe 1.0)"
suite qfcheck-security main ""
suite qfcheck-security contrib "$(probe 1.0+s1)"
mkdir -p "$work/etc/parts"
echo "deb [trusted=yes] copy:$archive qfcheck-security contrib" >"$work/etc/sources.list"
printf '%s\n' "Types: deb" "URIs: copy:$archive" "Suites: qfcheck qfcheck-security" \
  "Components: main" "Trusted: yes" >"$work/etc/parts/qf.sources"
cp "$work/etc/sources.list" "$work/etc/parts/qf.sources" "$work/"

# install OUT: the probe through qf_apt_install into fresh lists and cache.
install() {
  rm -rf "$work/state" && mkdir -p "$work/state/lists/partial" "$work/state/cache/archives/partial"
  : >"$work/state/status"
  QF_APT_OPTS=(-o "Dir::Etc::SourceList=$work/etc/sources.list" -o "Dir::Etc::SourceParts=$work/etc/parts"
    -o "Dir::State::Lists=$work/state/lists" -o "Dir::Cache=$work/state/cache"
    -o "Dir::State::status=$work/state/status" -o Debug::NoLocking=1 -o APT::Sandbox::User=root
    -o "APT::Architectures::=$(dpkg --print-architecture)" -o APT::Architectures::=i386
    -o APT::Get::Download-Only=true)
  QF_APT_PAUSE=0 QF_APT_LOG=$work/apt.log qf_apt_install qf-apt-probe >"$1" 2>&1
}
got() { [ -f "$work/state/cache/archives/qf-apt-probe_$1_all.deb" ]; }
updates() { grep -c '^== apt-get update' "$work/apt.log"; }
failed=''
check() {
  [ "$2" = 0 ] || {
    failed+="  $1: failed; the command's output:"$'\n'$(sed 's/^/    /' "$work/out")$'\n'
  }
}

release qfcheck
release qfcheck-security
ok=0
install "$work/out" && got 1.0+s1 && [ "$(updates)" = 1 ] || ok=1
check "a healthy archive: one update, the security suite's package" $ok

release qfcheck-security main/binary-i386/Packages
ok=0
install "$work/out" && got 1.0 && ! got 1.0+s1 &&
  grep -q "qfcheck-security/main/binary-i386/Packages" "$work/out" &&
  grep -q "WITHOUT THE SECURITY SUITE" "$work/out" && tail -1 "$work/out" | grep -q "apt-get upgrade" &&
  cmp -s "$work/sources.list" "$work/etc/sources.list" && cmp -s "$work/qf.sources" "$work/etc/parts/qf.sources" ||
  ok=1
check "the security suite's index broken: installs from the main suite, says so" $ok

release qfcheck main/binary-i386/Packages
ok=0 start=$SECONDS
! install "$work/out" && ! got 1.0 && ((SECONDS - start < 30)) &&
  grep -q "qfcheck/main/binary-i386/Packages" "$work/out" &&
  tail -1 "$work/out" | grep -q "^quenfold: apt's output: $work/apt.log" &&
  [ "$(grep -vc '^quenfold: ' "$work/out")" = 0 ] || ok=1
check "the main suite's index broken too: our closing lines, a failure, within 30 s" $ok
if [ -z "$failed" ]; then
  echo "installs on a scratch archive: healthy; the security index broken; the main one too: ok"
else
  printf 'installs on a scratch archive:\n%s' "$failed"
  exit 1
fi
