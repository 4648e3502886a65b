#!/usr/bin/env bash
# ./quenfold package [--verify]: builds the release of the plug-in (32-bit,
# optimised, stripped, the same bytes from any folder) in $QUENFOLD_BUILD/release
# and writes dist/Quenfold-VERSION.zip and dist/SHA256SUMS. With --verify it then
# builds the same commit again from a fresh clone in another folder, in another
# time zone, and compares the bytes.
set -euo pipefail
QF_ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$QF_ROOT/cmake/session.sh"

verify=0
case "${1:-}" in
    "") ;;
    --verify) verify=1 ;;
    *) echo "usage: ./quenfold package [--verify]" >&2; exit 2 ;;
esac

release=$QF_BUILD/release
dist=$QF_ROOT/dist
version=$(qf_version)
[ -n "$version" ] || { echo "quenfold package: no version in host/plugin_text_literals.h" >&2; exit 1; }

# Packages side by side write the same archive: one at a time.
mkdir -p "$QF_BUILD"
exec {package_lock}>"$QF_BUILD/.package.lock"
flock "$package_lock"

(
  exec {build_lock}>"$QF_BUILD/.build.lock"
  flock "$build_lock"
  QF_BUILD_TYPE=Release qf_configure_plugin "$release" 32
  cmake --build "$release" -j "$QF_JOBS" --target Quenfold >&2
)

# The archive's times: the last commit's, the same in every clone of it.
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$QF_ROOT" log -1 --format=%ct 2>/dev/null || echo 315532800)}
python3 "$QF_ROOT/package/write_archive.py" --dll "$release/bin/Quenfold.dll" \
    --readme "$QF_ROOT/package/Quenfold.txt" --license "$QF_ROOT/LICENSE" \
    --time "$epoch" --out "$dist" --version "$version"
[ "$verify" = 1 ] || exit 0

head=$(git -C "$QF_ROOT" rev-parse HEAD)
if [ -n "$(git -C "$QF_ROOT" status --porcelain --untracked-files=no)" ]; then
    echo "quenfold package: uncommitted changes are not in the clone; its bytes may differ" >&2
fi
other=$(mktemp -d "${TMPDIR:-/tmp}/quenfold-verify.XXXXXX")
trap 'rm -rf "$other"' EXIT
git clone -q --no-checkout "$QF_ROOT" "$other/quenfold"
git -C "$other/quenfold" checkout -q --detach "$head"
echo "== second build, from a clone of $head in $other/quenfold" >&2
(cd "$other/quenfold" && TZ=Pacific/Kiritimati QUENFOLD_BUILD=$other/quenfold/build ./quenfold package)

status=0
same() {
    if cmp -s "$1" "$2"; then
        sha256sum "$1" "$2"
    else
        echo "quenfold package: $1 and $2 differ" >&2
        status=1
    fi
}
same "$release/bin/Quenfold.dll" "$other/quenfold/build/release/bin/Quenfold.dll"
same "$dist/Quenfold-$version.zip" "$other/quenfold/dist/Quenfold-$version.zip"
same "$dist/SHA256SUMS" "$other/quenfold/dist/SHA256SUMS"
[ "$status" != 0 ] || echo "both builds are byte-identical"
exit "$status"
