#!/usr/bin/env bash
# ./quenfold demo [--gui [--loop dialog|plain]] [--comctl 5|6]: searches the sample mail store in samples/mail,
# prints the rows as a table and saves a screenshot of the search window to
# $QUENFOLD_BUILD/demo.png (the window enlarged and its columns widened, as a
# user would look at the rows). With --gui, opens devhost on $DISPLAY instead,
# its message loop as --loop says (plain: a host that knows only its own
# accelerators, Delete, Enter and Esc).
set -euo pipefail
QF_ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$QF_ROOT/cmake/session.sh"
samples=$QF_ROOT/samples/mail

usage() { echo "usage: ./quenfold demo [--gui [--loop dialog|plain]] [--comctl 5|6]" >&2; exit 2; }
gui=0 comctl=() loop=()
while [ $# -gt 0 ]; do
    case "$1" in
        --gui) gui=1; shift ;;
        --comctl) [ $# -ge 2 ] && [[ $2 == [56] ]] || usage; comctl=(--comctl "$2"); shift 2 ;;
        --loop) [ $# -ge 2 ] && [[ $2 == dialog || $2 == plain ]] || usage; loop=(--loop "$2"); shift 2 ;;
        *) usage ;;
    esac
done

[ "$gui" = 1 ] || [ ${#loop[@]} = 0 ] || usage
if [ "$gui" = 1 ]; then
    [ -n "${DISPLAY:-}" ] || { echo "quenfold demo --gui: no DISPLAY to show devhost on" >&2; exit 2; }
    # The session's server, shared with other commands; devhost on the caller's display.
    shown=$DISPLAY
    qf_session_begin
    echo "devhost: pick a folder, then Tools > Quenfold(&A)"
    DISPLAY=$shown "$QF_ROOT/cmake/wine-run.sh" "$QF_WIN/bin/devhost.exe" \
        --data "$(qf_winpath "$samples")" --folder 'Inbox\' "${comctl[@]}" "${loop[@]}"
    exit 0
fi

mkdir -p "$QF_BUILD"
rows=$(mktemp)
trap 'rm -f "$rows"' EXIT
"$QF_ROOT/devhost/run-search.sh" "$samples" --folder 'Inbox\' --sort date "${comctl[@]}" \
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
