#!/usr/bin/env bash
# ./quenfold test --release NAME: the README's commands on a fresh Debian NAME
# (bookworm, trixie, ...), in a minbase chroot on this machine (root). The
# chroot gets a fresh clone of this checkout's HEAD with ../shared beside it,
# runs `./quenfold test`, `./quenfold demo` and `./quenfold package --verify`,
# and prints how long each took. The base image is kept between runs in
# $QUENFOLD_CHROOTS (default /var/cache/quenfold); each run starts from a copy,
# and leaves the demo's screenshot and the release's dist/ beside it.
# Packages come from the Debian archive this machine's apt uses.
set -euo pipefail
QF_ROOT=$(cd "$(dirname "$0")/.." && pwd)
release=${1:-}
[[ $release =~ ^[a-z]+$ ]] || { echo "usage: ./quenfold test --release NAME (e.g. trixie)" >&2; exit 2; }
[ "$(id -u)" = 0 ] || { echo "quenfold: a chroot needs root" >&2; exit 2; }
cache=${QUENFOLD_CHROOTS:-/var/cache/quenfold}
base=$cache/$release-base
run=$cache/$release-run
shared=$(cd "$QF_ROOT/.." && pwd)/shared
. "$QF_ROOT/cmake/apt.sh"

# "ARCHIVE SECURITY": the URIs this machine's apt reads its own release from.
# Only entries whose suite is this release's name (or -security) count, so a
# third-party repository is never taken for Debian's.
host_mirrors() {
  local codename f files=()
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.sources /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] && files+=("$f")
  done
  awk -v rel="$codename" '
    FNR == 1 { flush() }
    FILENAME ~ /\.sources$/ {
      if ($0 ~ /^[ \t]*$/) { flush(); next }
      if (tolower($1) == "uris:") uris = $2
      if (tolower($1) == "suites:") for (i = 2; i <= NF; i++) suites = suites " " $i
      if (tolower($1) == "enabled:" && tolower($2) == "no") off = 1
      next
    }
    $1 == "deb" { sub(/\[[^]]*\]/, ""); uris = $2; suites = " " $3; flush() }
    function flush() {
      if (!off && uris != "") {
        if (!archive && index(suites " ", " " rel " ")) archive = uris
        if (!security && index(suites " ", " " rel "-security ")) security = uris
      }
      uris = ""; suites = ""; off = 0
    }
    END { flush(); if (archive) print archive, (security ? security : archive "-security") }
  ' "${files[@]}"
}

read -r archive security < <(host_mirrors) || true
[ -n "${archive:-}" ] || { echo "quenfold: no Debian archive in this machine's apt sources" >&2; exit 1; }
command -v debootstrap >/dev/null || qf_apt_install debootstrap

mkdir -p "$cache"
if [ ! -x "$base/usr/bin/apt-get" ]; then
  echo "== debootstrap --variant=minbase $release into $base"
  rm -rf "$base.new"
  debootstrap --variant=minbase "$release" "$base.new" "$archive" >"$cache/$release-debootstrap.log" 2>&1 ||
    { tail -20 "$cache/$release-debootstrap.log" >&2; exit 1; }
  # Debian's archive and nothing else.
  rm -f "$base.new/etc/apt/sources.list"
  cat >"$base.new/etc/apt/sources.list.d/debian.sources" <<EOF
Types: deb
URIs: $archive
Suites: $release $release-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb
URIs: $security
Suites: $release-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
  mv "$base.new" "$base"
fi

unmount() {
  local m
  for m in dev/shm dev/pts dev proc; do
    mountpoint -q "$run/$m" && { umount "$run/$m" 2>/dev/null || umount -l "$run/$m"; }
  done
  return 0
}
trap unmount EXIT
unmount
rm -rf "$run"
echo "== a copy of the $release base in $run"
cp -a "$base" "$run"
cp /etc/resolv.conf "$run/etc/resolv.conf"
# No service starts inside the chroot.
printf '#!/bin/sh\nexit 101\n' >"$run/usr/sbin/policy-rc.d"
chmod +x "$run/usr/sbin/policy-rc.d"
mount -t proc proc "$run/proc"
mount --bind /dev "$run/dev"
mount --bind /dev/pts "$run/dev/pts"
mount --bind /dev/shm "$run/dev/shm"

mkdir -p "$run/work"
git clone -q "$QF_ROOT" "$run/work/quenfold"
[ -z "$(git -C "$QF_ROOT" status --porcelain --untracked-files=no)" ] ||
  echo "quenfold: uncommitted changes are not in the chroot's clone" >&2
[ -d "$shared" ] && cp -a "$shared" "$run/work/shared"

status=0
step() {
  local name=$1 start rc=0
  shift
  echo "== $release: ./quenfold $name"
  start=$(date +%s)
  chroot "$run" /usr/bin/env -i HOME=/root TERM=dumb CI="${CI:-}" \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    bash -c 'cd /work/quenfold && exec ./quenfold "$@"' quenfold "$@" || rc=$?
  echo "== $release: ./quenfold $name: exit $rc after $(($(date +%s) - start)) s"
  [ "$rc" = 0 ] || status=1
  return $rc
}
total=$(date +%s)
if step test test; then
  step demo demo || true
  step "package --verify" package --verify || true
fi
(. "$run/etc/os-release" && echo "== $PRETTY_NAME ($(cat "$run/etc/debian_version")):" \
  "$( ((status)) && echo failed || echo passed) in $(($(date +%s) - total)) s" \
  "($SECONDS s with the base image and its copy)")
# What a person would look at afterwards: the demo's screenshot, the release.
cp "$run/work/quenfold/build/demo.png" "$cache/$release-demo.png" 2>/dev/null || true
rm -rf "$cache/$release-dist"
cp -a "$run/work/quenfold/dist" "$cache/$release-dist" 2>/dev/null || true
unmount
[ "$status" != 0 ] || rm -rf "$run"
exit "$status"
