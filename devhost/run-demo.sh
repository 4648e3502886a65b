#!/usr/bin/env bash
# ./quenfold demo [--gui]: searches the sample mail store in samples/mail,
# prints the rows as a table and saves a screenshot of the search window to
# $QUENFOLD_BUILD/demo.png (the window enlarged and its columns widened, as a
# user would look at the rows). With --gui, opens devhost on $DISPLAY instead.
set -euo pipefail
QF_ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$QF_ROOT/cmake/session.sh"
samples=$QF_ROOT/samples/mail

if [ "${1:-}" = "--gui" ]; then
    [ -n "${DISPLAY:-}" ] || { echo "quenfold demo --gui: no DISPLAY to show devhost on" >&2; exit 2; }
    qf_locale
    export WINEPREFIX=$QF_WIN/wineprefix WINEARCH=win32 WINEDEBUG=-all
    export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
    trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
    echo "devhost: pick a folder, then Tools > Quenfold(&A)"
    "$QF_ROOT/cmake/wine-run.sh" "$QF_WIN/bin/devhost.exe" --data "$(qf_winpath "$samples")" \
        --folder 'Inbox\'
    exit 0
fi
[ $# -eq 0 ] || { echo "usage: ./quenfold demo [--gui]" >&2; exit 2; }

mkdir -p "$QF_BUILD"
rows=$(mktemp)
trap 'rm -f "$rows"' EXIT
"$QF_ROOT/devhost/run-search.sh" "$samples" --folder 'Inbox\' --sort date \
    --tsv "$rows" --screenshot "$QF_BUILD/demo.png"

# Aligned by display width: Japanese characters take two columns.
python3 - "$rows" <<'PY'
import sys, unicodedata
def width(text):
    return sum(2 if unicodedata.east_asian_width(c) in 'WF' else 1 for c in text)
def unescape(field):
    return field.replace('\\t', ' ').replace('\\r', ' ').replace('\\n', ' ').replace('\\\\', '\\')
lines = open(sys.argv[1], encoding='utf-8').read().splitlines()
table = [[unescape(f) for f in line.split('\t')] for line in lines]
widths = [min(40, max(width(row[i]) for row in table)) for i in range(len(table[0]))]
def cut(text, limit):
    out = ''
    for c in text:
        if width(out + c) > limit - (1 if width(text) > limit else 0):
            return out + '…'
        out += c
    return out
for n, row in enumerate(table):
    cells = [cut(f, w) for f, w in zip(row, widths)]
    print('  '.join(c + ' ' * (w - width(c)) for c, w in zip(cells, widths)).rstrip())
    if n == 0:
        print('  '.join('-' * w for w in widths))
print('\n%d attachments found below Inbox\\ (samples/mail)' % (len(table) - 1))
PY
echo "screenshot: $QF_BUILD/demo.png"
