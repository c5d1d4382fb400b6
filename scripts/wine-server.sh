#!/usr/bin/env bash
# Keeps one Wine server running for a prefix while a test run uses it, and stops it afterwards.
# A server left to itself exits a few seconds after its last program ends; a program started in that
# moment fails with "a wine server seems to be running, but I cannot connect to it".
# usage: wine-server.sh start|stop <prefix-dir>
set -euo pipefail
action=$1
export WINEPREFIX=$2 WINEDEBUG=-all
case "$action" in
    start)
        # A server of an earlier, interrupted run may hold the prefix, persistent or not.
        wineserver -k 2>/dev/null || true
        wineserver -w
        # ctest waits until the pipes it gave a test are closed: neither the server nor the prefix's services
        # (which now live as long as the server) may hold one, so both start here, on no pipe at all.
        wineserver -p </dev/null >/dev/null 2>&1
        wine cmd /c exit </dev/null >/dev/null 2>&1 ;;
    stop)
        wineserver -k 2>/dev/null || true
        wineserver -w ;;
    *) echo "wine-server: unknown action $action" >&2; exit 2 ;;
esac
