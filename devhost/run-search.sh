#!/usr/bin/env bash
# ./quenfold search DATA_DIR [--folder ID] [--no-subfolders] [--filter TEXT]
#                  [--sort COLUMN]... [--tsv FILE] [--screenshot FILE.png] [--comctl 5|6]
# ./quenfold search DATA_DIR [--folder ID] [--no-subfolders] --quit-host open|searching|about
#                  [--comctl 5|6]
# Runs one search session in devhost under Wine on a virtual display and
# prints the rows as TSV (UTF-8), or writes them to FILE. devhost activates
# common controls 6, as a host with the usual manifest; --comctl 5 runs it
# as a host without one. With --quit-host the host quits instead of the close
# button, after the search (open), while it runs (searching) or while the
# plug-in's about box is up after it (about), and the one
# line devhost prints about the plug-in's windows left and its calls into the
# host after the exit is the output.
set -euo pipefail
QF_ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$QF_ROOT/cmake/session.sh"

usage() {
    echo "usage: ./quenfold search DATA_DIR [--folder ID] [--no-subfolders] [--filter TEXT]" >&2
    echo "         [--sort file|type|subject|sender|date|folder]... [--tsv FILE] [--screenshot FILE.png]" >&2
    echo "         [--comctl 5|6]" >&2
    echo "       ./quenfold search DATA_DIR [--folder ID] [--no-subfolders] --quit-host open|searching|about" >&2
    echo "         [--comctl 5|6]" >&2
    exit 2
}

data= folder='Inbox\' tsv= png= quit=
extra=()
while [ $# -gt 0 ]; do
    case "$1" in
        --folder) [ $# -ge 2 ] || usage; folder=$2; shift 2 ;;
        --no-subfolders) extra+=(--no-subfolders); shift ;;
        --filter) [ $# -ge 2 ] || usage; extra+=(--filter "$2"); shift 2 ;;
        --sort) [ $# -ge 2 ] || usage; extra+=(--sort "$2"); shift 2 ;;
        --tsv) [ $# -ge 2 ] || usage; tsv=$2; shift 2 ;;
        --screenshot) [ $# -ge 2 ] || usage; png=$2; shift 2 ;;
        --comctl) [ $# -ge 2 ] && [[ $2 == [56] ]] || usage; extra+=(--comctl "$2"); shift 2 ;;
        --quit-host) [ $# -ge 2 ] && [[ $2 == open || $2 == searching || $2 == about ]] || usage
            quit=$2; shift 2 ;;
        -h|--help) usage ;;
        -*) echo "quenfold search: unknown option '$1'" >&2; usage ;;
        *) [ -z "$data" ] || usage; data=$1; shift ;;
    esac
done
[ -n "$data" ] || usage
# The quit ends the session where the rows would be read (devhost says so
# of --filter and --sort).
[ -z "$quit" ] || [ -z "$tsv$png" ] || usage
if [ ! -d "$data" ]; then
    echo "quenfold search: the data folder '$data' does not exist" >&2
    exit 2
fi
devhost=$QF_WIN/bin/devhost.exe
[ -f "$devhost" ] || { echo "quenfold search: $devhost is not built" >&2; exit 2; }

qf_session_begin
work=$(mktemp -d "${TMPDIR:-/tmp}/quenfold-search.XXXXXX")
shot_xvfb=
cleanup() {
    qf_session_end
    [ -z "$shot_xvfb" ] || kill "$shot_xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

data=$(cd "$data" && pwd)
args=(--data "$(qf_winpath "$data")" --folder "$folder" --search "${extra[@]}")
status=0
if [ -n "$quit" ]; then
    "$QF_ROOT/cmake/wine-run.sh" "$devhost" "${args[@]}" --quit-host "$quit" >"$work/out" \
        2>"$work/err" || status=$?
    said=$(grep -v '^$' "$work/err" | grep -iv 'fixme\|^wine:' || true)
    [ -z "$said" ] || echo "$said" >&2
    cat "$work/out"
    [ -s "$work/out" ] || echo "quenfold search: devhost said nothing of its quit (exit code $status)" >&2
    exit "$status"
fi
args+=(--tsv "$(qf_winpath "$work/rows.tsv")")
if [ -n "$png" ]; then
    # A desktop window of its own draws the frames and captions plain Xvfb
    # lacks. It gets a display of its own too, so that a screenshot shows no
    # other session's desktop; the display ends with its last client.
    args+=(--screenshot "$(qf_winpath "$work/shot.bmp")")
    qf_detached_bg sh -c 'exec Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -terminate 3>"$1"' \
        sh "$work/display" >/dev/null 2>&1 </dev/null
    shot_xvfb=$QF_DETACHED_PID
    for _ in $(seq 1 200); do [ -s "$work/display" ] && break; sleep 0.05; done
    DISPLAY=:$(head -n1 "$work/display") "$QF_ROOT/cmake/wine-run.sh" \
        explorer "/desktop=quenfold-$$,1280x1024" "$devhost" "${args[@]}" >"$work/out" 2>"$work/err" &
    desktop=$!
    # The desktop may outlive devhost: done once the screenshot is complete.
    for _ in $(seq 1 1200); do
        kill -0 "$desktop" 2>/dev/null || break
        if [ -s "$work/shot.bmp" ]; then
            size=$(stat -c %s "$work/shot.bmp"); sleep 1
            [ "$size" = "$(stat -c %s "$work/shot.bmp")" ] && break
        fi
        sleep 0.25
    done
    if kill -0 "$desktop" 2>/dev/null; then
        kill "$desktop" 2>/dev/null || true
    else
        wait "$desktop" || status=$?
    fi
else
    "$QF_ROOT/cmake/wine-run.sh" "$devhost" "${args[@]}" >"$work/out" 2>"$work/err" || status=$?
fi
said=$(grep -v '^$' "$work/err" | grep -iv 'fixme\|^wine:' || true)
[ -z "$said" ] || echo "$said" >&2
if [ ! -f "$work/rows.tsv" ]; then
    # devhost names the reason when it has one (a missing start folder).
    [ -n "$said" ] || echo "quenfold search: devhost wrote no rows (exit code $status)" >&2
    exit $(( status == 0 ? 1 : status ))
fi
if [ -n "$png" ]; then
    if [ -f "$work/shot.bmp" ]; then
        convert "$work/shot.bmp" "$png"
    else
        echo "quenfold search: no screenshot was taken" >&2
        [ "$status" -ne 0 ] || status=1
    fi
fi
if [ -n "$tsv" ]; then cp "$work/rows.tsv" "$tsv"; else cat "$work/rows.tsv"; fi
exit "$status"
