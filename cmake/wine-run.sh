#!/usr/bin/env bash
# Runs a Windows program under Wine with the run's prefix, code page 932 and
# the caller's TZ. The prefix and server are set up by ./quenfold. The build's
# toolchain names the loader (32- or 64-bit) as --loader=PATH.
loader=${QF_WINE_LOADER:-wine}
case "${1:-}" in --loader=*) loader=${1#--loader=}; shift ;; esac
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-winemenubuilder.exe=d;mscoree=d;mshtml=d}
export LANG=${QUENFOLD_LANG:-ja_JP.UTF-8}
[ -n "${QUENFOLD_LOCPATH:-}" ] && export LOCPATH=$QUENFOLD_LOCPATH
# Wine finds a prefix's server under TMPDIR: every program of the prefix
# takes the default, whatever the caller's (Debian 13's Wine 10 also crashes
# at start under another).
unset TMPDIR
# The session's locks stay with the command: the desktop and services a
# program starts may outlive it.
for fd in ${QF_SESSION_FDS:-}; do eval "exec $fd>&-"; done
exec "$loader" "$@"
